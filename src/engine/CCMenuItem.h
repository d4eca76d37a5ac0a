// Menu items: nodes a CCMenu hit-tests and activates. An item is selected
// while a touch that began on it stays on it, and activated when that touch
// ends there; activation calls the item's callback with the item as sender.
// A disabled item takes no part in this.
#pragma once

#include <functional>
#include <string>

#include "engine/CCNode.h"

using CCMenuItemCallback = std::function<void(CCObject* sender)>;

class CCMenuItem : public CCNode {
public:
    // An empty callback makes an item without an action.
    static Ref<CCMenuItem> itemWithCallback(CCMenuItemCallback callback);
    bool initWithCallback(CCMenuItemCallback callback);

    void setCallback(CCMenuItemCallback callback) { callback_ = std::move(callback); }
    virtual void activate();
    virtual void selected() { isSelected_ = true; }
    virtual void unselected() { isSelected_ = false; }
    bool isSelected() const { return isSelected_; }
    virtual void setIsEnabled(bool enabled) { isEnabled_ = enabled; }
    bool isEnabled() const { return isEnabled_; }
    // The item's rectangle in its parent's coordinates, unscaled.
    CGRect rect() const;

protected:
    CCMenuItemCallback callback_;
    bool isEnabled_ = true;
    bool isSelected_ = false;
};

// An item showing one of three nodes (its children): the normal one, the
// selected one while selected and the disabled one while disabled; the
// normal one stands in for a missing one. Its size is the normal node's.
class CCMenuItemSprite : public CCMenuItem, public CCRGBAProtocol {
public:
    // normal is required; selected and disabled may be null.
    static Ref<CCMenuItemSprite> itemWithNormalSprite(CCNode* normal, CCNode* selected, CCNode* disabled,
                                                      CCMenuItemCallback callback);
    bool initWithNormalSprite(CCNode* normal, CCNode* selected, CCNode* disabled, CCMenuItemCallback callback);

    CCNode* normalImage() const { return normal_; }
    CCNode* selectedImage() const { return selected_; }
    CCNode* disabledImage() const { return disabled_; }
    void setNormalImage(CCNode* image);
    void setSelectedImage(CCNode* image);
    void setDisabledImage(CCNode* image);

    void selected() override;
    void unselected() override;
    void setIsEnabled(bool enabled) override;

    // Colour and opacity go to every image that has them.
    ccColor3B color() const override;
    void setColor(ccColor3B color) override;
    std::uint8_t opacity() const override;
    void setOpacity(std::uint8_t opacity) override;

protected:
    void replaceImage(CCNode*& slot, CCNode* image);
    void updateImagesVisibility();

    // Children of the item, so owned through children_.
    CCNode* normal_ = nullptr;
    CCNode* selected_ = nullptr;
    CCNode* disabled_ = nullptr;
};

// A sprite item made from image files.
class CCMenuItemImage : public CCMenuItemSprite {
public:
    // An empty file name gives no image; an image that cannot be loaded logs.
    static Ref<CCMenuItemImage> itemWithNormalImage(const std::string& normal, const std::string& selected,
                                                    CCMenuItemCallback callback);
    static Ref<CCMenuItemImage> itemWithNormalImage(const std::string& normal, const std::string& selected,
                                                    const std::string& disabled, CCMenuItemCallback callback);
    static Ref<CCMenuItemImage> itemWithNormalSprite(CCNode* normal, CCNode* selected, CCNode* disabled,
                                                     CCMenuItemCallback callback);
};
