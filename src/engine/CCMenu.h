// CCMenu: a layer that holds menu items (as children) and turns touches into
// item activations. It registers as a targeted touch delegate at priority
// -128 and swallows the touches it claims: those that begin on one of its
// enabled, visible items while the menu and all its ancestors are visible.
// The item under the claimed touch shows as selected while the touch moves
// (none while it is off every item); when the touch ends the item then
// selected is activated. One touch at a time.
//
// Like any layer the menu is window-sized and placed by its bottom-left
// corner; menuWithItems puts that corner at the window's centre.
#pragma once

#include <vector>

#include "engine/CCLayer.h"
#include "engine/CCMenuItem.h"

class CCMenu : public CCLayer {
public:
    // An empty list is valid: items may arrive later through addChild.
    static Ref<CCMenu> menuWithItems(std::vector<CCMenuItem*> items);
    static Ref<CCMenu> node() { return menuWithItems({}); }
    bool initWithItems(const std::vector<CCMenuItem*>& items);

    // A disabled menu claims no touches.
    bool isEnabled() const { return isEnabled_; }
    void setIsEnabled(bool enabled) { isEnabled_ = enabled; }
    // The item under the tracked touch, or null.
    CCMenuItem* selectedItem() const { return selectedItem_.get(); }

    void registerWithTouchDispatcher() override;
    bool ccTouchBegan(UITouch* touch, void* event) override;
    void ccTouchMoved(UITouch* touch, void* event) override;
    void ccTouchEnded(UITouch* touch, void* event) override;
    void ccTouchCancelled(UITouch* touch, void* event) override;

    void onExit() override;
    void removeChild(CCNode* child, bool cleanup) override;
    void removeAllChildrenWithCleanup(bool cleanup) override;

protected:
    // The topmost enabled, visible item under the touch.
    CCMenuItem* itemForTouch(UITouch* touch);
    void selectItem(CCMenuItem* item);

    bool isEnabled_ = true;
    UITouch* trackedTouch_ = nullptr;
    Ref<CCMenuItem> selectedItem_;
};
