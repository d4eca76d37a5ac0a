#include "engine/CCMenu.h"

#include <algorithm>

#include "engine/CCDirector.h"

Ref<CCMenu> CCMenu::menuWithItems(std::vector<CCMenuItem*> items) {
    Ref<CCMenu> menu(new CCMenu);
    menu->initWithItems(items);
    return menu;
}

bool CCMenu::initWithItems(const std::vector<CCMenuItem*>& items) {
    CCLayer::init();
    CGSize win = CCDirector::sharedDirector()->winSize();
    setPosition({win.width / 2, win.height / 2});
    for (CCMenuItem* item : items)
        if (item) addChild(item);
    setIsTouchEnabled(true);
    return true;
}

void CCMenu::registerWithTouchDispatcher() {
    CCDirector::sharedDirector()->touchDispatcher()->addTargetedDelegate(this, kCCMenuTouchPriority, true);
}

CCMenuItem* CCMenu::itemForTouch(UITouch* touch) {
    const CGPoint p = CCDirector::sharedDirector()->convertTouchToGL(touch);
    sortAllChildren();
    // From the top of the drawing order down: overlapping items go to the one seen.
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        auto* item = dynamic_cast<CCMenuItem*>(it->get());
        if (!item || !item->isVisible() || !item->isEnabled()) continue;
        const CGPoint local = item->convertToNodeSpace(p);
        const CGSize s = item->contentSize();
        if (CGRectContainsPoint(CGRectMake(0, 0, s.width, s.height), local)) return item;
    }
    return nullptr;
}

void CCMenu::selectItem(CCMenuItem* item) {
    if (item == selectedItem_) return;
    // Held: unselected() may run game code that drops the item.
    Ref<CCMenuItem> old = std::move(selectedItem_);
    selectedItem_ = item;
    if (old) old->unselected();
    if (item) item->selected();
}

bool CCMenu::ccTouchBegan(UITouch* touch, void*) {
    if (trackedTouch_ || !isEnabled_) return false;
    for (const CCNode* n = this; n; n = n->parent())
        if (!n->isVisible()) return false;
    CCMenuItem* item = itemForTouch(touch);
    if (!item) return false;
    trackedTouch_ = touch;
    selectItem(item);
    return true;
}

void CCMenu::ccTouchMoved(UITouch* touch, void*) {
    if (touch != trackedTouch_) return;
    selectItem(itemForTouch(touch));
}

void CCMenu::ccTouchEnded(UITouch* touch, void*) {
    if (touch != trackedTouch_) return;
    trackedTouch_ = nullptr;
    Ref<CCMenuItem> item = std::move(selectedItem_);
    if (!item) return;
    item->unselected();
    item->activate();
}

void CCMenu::ccTouchCancelled(UITouch* touch, void*) {
    if (touch != trackedTouch_) return;
    trackedTouch_ = nullptr;
    selectItem(nullptr);
}

void CCMenu::onExit() {
    // The dispatcher forgets our claim on exit; drop the half-made tap.
    trackedTouch_ = nullptr;
    selectItem(nullptr);
    CCLayer::onExit();
}

void CCMenu::removeChild(CCNode* child, bool cleanup) {
    if (child && child == selectedItem_.get()) selectItem(nullptr);
    CCLayer::removeChild(child, cleanup);
}

void CCMenu::removeAllChildrenWithCleanup(bool cleanup) {
    selectItem(nullptr);
    CCLayer::removeAllChildrenWithCleanup(cleanup);
}
