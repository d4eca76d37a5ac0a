// Menus and their items, driven by touches injected through the platform.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCMenu.h"
#include "engine/CCMenuItem.h"
#include "engine/CCScene.h"
#include "support/EngineHarness.h"

using testsupport::EngineHarness;
using Log = std::vector<std::string>;

namespace {

// A 100 x 50 image of one colour.
Ref<CCLayerColor> image(std::uint8_t r) { return CCLayerColor::layerWithColor({r, 0, 0, 255}, 100, 50); }

// A scene's own touch layer: priority 10, swallowing, claims everything.
struct SceneLayer : CCLayer {
    Log* log;
    explicit SceneLayer(Log* l) : log(l) {
        init();
        setIsTouchEnabled(true);
    }
    void registerWithTouchDispatcher() override {
        CCDirector::sharedDirector()->touchDispatcher()->addTargetedDelegate(this, 10, true);
    }
    bool ccTouchBegan(UITouch*, void*) override {
        log->push_back("scene");
        return true;
    }
};

class Menus : public ::testing::Test {
protected:
    void SetUp() override {
        harness_ = &EngineHarness::boot();
        scene_ = CCScene::node();
        scene_->addChild(makeRef<SceneLayer>(&log_));
        CCDirector::sharedDirector()->runWithScene(scene_);
        harness_->step();
    }
    void TearDown() override { CCDirector::sharedDirector()->end(); }

    // An item at p (its centre) that logs its name with the sender check.
    Ref<CCMenuItemSprite> item(const std::string& name, CGPoint p) {
        Ref<CCMenuItemSprite> it = CCMenuItemSprite::itemWithNormalSprite(image(10), image(20), image(30), nullptr);
        CCMenuItemSprite* raw = it.get();
        it->setCallback([this, name, raw](CCObject* sender) { log_.push_back(name + (sender == raw ? "" : " (bad sender)")); });
        it->setPosition(p);
        return it;
    }
    Ref<CCMenu> menuOnStage(std::vector<CCMenuItem*> items) {
        Ref<CCMenu> m = CCMenu::menuWithItems(std::move(items));
        m->setPosition({0, 0});
        scene_->addChild(m);
        return m;
    }
    // Touches in engine points (origin bottom-left).
    void touch(platform::TouchPhase phase, CGPoint p) {
        platform::Application::shared().injectTouch(0, phase, {p.x, 768 - p.y});
    }
    void down(CGPoint p) { touch(platform::TouchPhase::Began, p); }
    void move(CGPoint p) { touch(platform::TouchPhase::Moved, p); }
    void up(CGPoint p) { touch(platform::TouchPhase::Ended, p); }
    void tap(CGPoint p) {
        down(p);
        up(p);
    }

    EngineHarness* harness_ = nullptr;
    Ref<CCScene> scene_;
    Log log_;
};

}  // namespace

TEST_F(Menus, ATapOnAnItemActivatesItAndIsHiddenFromTheScene) {
    Ref<CCMenuItemSprite> play = item("play", {200, 300});
    Ref<CCMenu> menu = menuOnStage({play});
    EXPECT_TRUE(CCDirector::sharedDirector()->touchDispatcher()->isTargetedDelegate(menu));
    tap({200, 300});
    EXPECT_EQ(log_, (Log{"play"}));
    // Edges: left and bottom inside, right and top outside.
    log_.clear();
    tap({150, 275});
    tap({250, 300});
    tap({200, 325});
    EXPECT_EQ(log_, (Log{"play", "scene", "scene"}));
}

TEST_F(Menus, TheSelectionFollowsTheTouchAndOnlyAReleaseOnAnItemActivates) {
    Ref<CCMenuItemSprite> a = item("a", {200, 300}), b = item("b", {400, 300});
    Ref<CCMenu> menu = menuOnStage({a, b});
    down({200, 300});
    EXPECT_EQ(menu->selectedItem(), a.get());
    EXPECT_TRUE(a->isSelected());
    EXPECT_TRUE(a->selectedImage()->isVisible());
    EXPECT_FALSE(a->normalImage()->isVisible());
    move({400, 300});
    EXPECT_EQ(menu->selectedItem(), b.get());
    EXPECT_FALSE(a->isSelected());
    EXPECT_TRUE(a->normalImage()->isVisible());
    move({600, 600});
    EXPECT_EQ(menu->selectedItem(), nullptr);
    EXPECT_FALSE(b->isSelected());
    up({600, 600});
    EXPECT_TRUE(log_.empty());  // released off every item; the scene never saw it

    down({200, 300});
    move({600, 600});
    move({210, 290});
    up({210, 290});
    EXPECT_EQ(log_, (Log{"a"}));
    EXPECT_FALSE(a->isSelected());
}

TEST_F(Menus, DisabledOrHiddenItemsAndMenusTakeNoTouch) {
    Ref<CCMenuItemSprite> a = item("a", {200, 300}), b = item("b", {400, 300});
    Ref<CCNode> holder = CCNode::node();
    scene_->addChild(holder);
    Ref<CCMenu> menu = CCMenu::menuWithItems({a, b});
    menu->setPosition({0, 0});
    holder->addChild(menu);

    a->setIsEnabled(false);
    EXPECT_TRUE(a->disabledImage()->isVisible());
    EXPECT_FALSE(a->normalImage()->isVisible());
    b->setVisible(false);
    tap({200, 300});
    tap({400, 300});
    EXPECT_EQ(log_, (Log{"scene", "scene"}));

    log_.clear();
    a->setIsEnabled(true);
    menu->setIsEnabled(false);
    tap({200, 300});
    menu->setIsEnabled(true);
    holder->setVisible(false);
    tap({200, 300});
    holder->setVisible(true);
    tap({200, 300});
    EXPECT_EQ(log_, (Log{"scene", "scene", "a"}));

    // An item without an action is still claimed and does nothing.
    log_.clear();
    a->setCallback(nullptr);
    tap({200, 300});
    EXPECT_TRUE(log_.empty());
}

TEST_F(Menus, ItemsMayArriveAsChildrenAndLaterDelegatesSeeTouchesFirst) {
    Ref<CCMenu> menu = menuOnStage({});
    menu->addChild(item("late", {300, 300}));
    // The catalogue sits at -129 without swallowing: it sees the touch, the menu still acts.
    struct Catalog : CCTargetedTouchDelegate {
        Log* log;
        bool ccTouchBegan(UITouch*, void*) override {
            log->push_back("catalog");
            return true;
        }
    } catalog;
    catalog.log = &log_;
    CCDirector::sharedDirector()->touchDispatcher()->addTargetedDelegate(&catalog, -129, false);
    tap({300, 300});
    EXPECT_EQ(log_, (Log{"catalog", "late"}));
    CCDirector::sharedDirector()->touchDispatcher()->removeDelegate(&catalog);

    // The topmost of overlapping items takes the touch; scale and rotation count.
    log_.clear();
    Ref<CCMenuItemSprite> under = item("under", {600, 300}), over = item("over", {620, 300});
    menu->addChild(under, 1);
    menu->addChild(over, 2);
    tap({610, 300});
    over->setScale(2);
    tap({710, 300});
    over->setRotation(90);
    tap({620, 390});
    tap({560, 300});
    EXPECT_EQ(log_, (Log{"over", "over", "over", "under"}));

    // A menu made without a position stands at the window's centre.
    EXPECT_EQ(CCMenu::menuWithItems({})->position(), (CGPoint{512, 384}));
}

TEST_F(Menus, ACallbackMayTearDownItsOwnMenu) {
    Ref<CCMenuItemSprite> quit = item("quit", {200, 300});
    CCMenu* raw = menuOnStage({quit}).get();
    quit->setCallback([this, raw](CCObject*) {
        log_.push_back("quit");
        raw->removeFromParentAndCleanup(true);  // the scene held the only reference
    });
    quit = nullptr;
    tap({200, 300});
    tap({200, 300});
    EXPECT_EQ(log_, (Log{"quit", "scene"}));
}

TEST_F(Menus, AMenuThatLeavesMidTouchForgetsIt) {
    Ref<CCMenuItemSprite> a = item("a", {200, 300});
    Ref<CCMenu> menu = menuOnStage({a});
    down({200, 300});
    menu->removeFromParentAndCleanup(false);
    EXPECT_FALSE(a->isSelected());
    scene_->addChild(menu);
    up({200, 300});
    EXPECT_TRUE(log_.empty());
    tap({200, 300});
    EXPECT_EQ(log_, (Log{"a"}));
}

TEST(MenuItems, SpriteItemsShowTheImageOfTheirStateAtTheNormalSize) {
    EngineHarness::boot();
    Ref<CCLayerColor> normal = image(10), selected = image(20);
    normal->setContentSize({80, 40});
    Ref<CCMenuItemSprite> item = CCMenuItemSprite::itemWithNormalSprite(normal, selected, nullptr, nullptr);
    EXPECT_EQ(item->contentSize(), (CGSize{80, 40}));
    EXPECT_EQ(item->anchorPoint(), (CGPoint{0.5f, 0.5f}));
    EXPECT_EQ(normal->parent(), item.get());
    EXPECT_EQ(normal->position(), (CGPoint{0, 0}));
    item->setPosition({100, 100});
    EXPECT_EQ(item->rect(), CGRectMake(60, 80, 80, 40));

    EXPECT_TRUE(normal->isVisible());
    EXPECT_FALSE(selected->isVisible());
    item->selected();
    EXPECT_FALSE(normal->isVisible());
    EXPECT_TRUE(selected->isVisible());
    item->unselected();
    // No disabled image: the normal one stands in.
    item->setIsEnabled(false);
    EXPECT_TRUE(normal->isVisible());
    EXPECT_FALSE(selected->isVisible());

    item->setOpacity(90);
    EXPECT_EQ(normal->opacity(), 90);
    EXPECT_EQ(selected->opacity(), 90);
    EXPECT_EQ(item->opacity(), 90);

    // Image items made from sprites are image items.
    Ref<CCMenuItemImage> imageItem = CCMenuItemImage::itemWithNormalSprite(image(1), image(2), image(3), nullptr);
    EXPECT_EQ(imageItem->contentSize(), (CGSize{100, 50}));
    EXPECT_EQ(CCMenuItemImage::itemWithNormalImage("", "", nullptr)->normalImage(), nullptr);
}
