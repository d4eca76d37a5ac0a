#include "engine/CCMenuItem.h"

#include "engine/CCSprite.h"
#include "platform/Log.h"

// --- CCMenuItem ---------------------------------------------------------------------

Ref<CCMenuItem> CCMenuItem::itemWithCallback(CCMenuItemCallback callback) {
    Ref<CCMenuItem> item(new CCMenuItem);
    item->initWithCallback(std::move(callback));
    return item;
}

bool CCMenuItem::initWithCallback(CCMenuItemCallback callback) {
    setAnchorPoint({0.5f, 0.5f});
    callback_ = std::move(callback);
    isEnabled_ = true;
    isSelected_ = false;
    return true;
}

void CCMenuItem::activate() {
    if (!isEnabled_ || !callback_) return;
    // The callback may remove the item (or its whole scene).
    Ref<CCMenuItem> keep(this);
    CCMenuItemCallback callback = callback_;
    callback(this);
}

CGRect CCMenuItem::rect() const {
    return CGRectMake(position_.x - contentSize_.width * anchorPoint_.x,
                      position_.y - contentSize_.height * anchorPoint_.y, contentSize_.width, contentSize_.height);
}

// --- CCMenuItemSprite -----------------------------------------------------------------

Ref<CCMenuItemSprite> CCMenuItemSprite::itemWithNormalSprite(CCNode* normal, CCNode* selected, CCNode* disabled,
                                                             CCMenuItemCallback callback) {
    Ref<CCMenuItemSprite> item(new CCMenuItemSprite);
    item->initWithNormalSprite(normal, selected, disabled, std::move(callback));
    return item;
}

bool CCMenuItemSprite::initWithNormalSprite(CCNode* normal, CCNode* selected, CCNode* disabled,
                                            CCMenuItemCallback callback) {
    initWithCallback(std::move(callback));
    if (!normal) platform::log("CCMenuItemSprite: no normal image");
    setNormalImage(normal);
    setSelectedImage(selected);
    setDisabledImage(disabled);
    return true;
}

void CCMenuItemSprite::replaceImage(CCNode*& slot, CCNode* image) {
    if (image == slot) return;
    if (image && image->parent()) {
        platform::log("CCMenuItemSprite: an image that already has a parent is not used");
        return;
    }
    if (slot) removeChild(slot, true);
    slot = image;
    if (image) {
        image->setAnchorPoint({0, 0});
        image->setPosition({0, 0});
        addChild(image);
    }
}

void CCMenuItemSprite::setNormalImage(CCNode* image) {
    replaceImage(normal_, image);
    if (normal_) setContentSize(normal_->contentSize());
    updateImagesVisibility();
}

void CCMenuItemSprite::setSelectedImage(CCNode* image) {
    replaceImage(selected_, image);
    updateImagesVisibility();
}

void CCMenuItemSprite::setDisabledImage(CCNode* image) {
    replaceImage(disabled_, image);
    updateImagesVisibility();
}

void CCMenuItemSprite::selected() {
    CCMenuItem::selected();
    updateImagesVisibility();
}

void CCMenuItemSprite::unselected() {
    CCMenuItem::unselected();
    updateImagesVisibility();
}

void CCMenuItemSprite::setIsEnabled(bool enabled) {
    CCMenuItem::setIsEnabled(enabled);
    updateImagesVisibility();
}

void CCMenuItemSprite::updateImagesVisibility() {
    CCNode* shown = normal_;
    if (!isEnabled_ && disabled_)
        shown = disabled_;
    else if (isEnabled_ && isSelected_ && selected_)
        shown = selected_;
    for (CCNode* image : {normal_, selected_, disabled_})
        if (image) image->setVisible(image == shown);
}

ccColor3B CCMenuItemSprite::color() const {
    if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(normal_)) return rgba->color();
    return ccWHITE;
}

void CCMenuItemSprite::setColor(ccColor3B color) {
    for (CCNode* image : {normal_, selected_, disabled_})
        if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(image)) rgba->setColor(color);
}

std::uint8_t CCMenuItemSprite::opacity() const {
    if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(normal_)) return rgba->opacity();
    return 255;
}

void CCMenuItemSprite::setOpacity(std::uint8_t opacity) {
    for (CCNode* image : {normal_, selected_, disabled_})
        if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(image)) rgba->setOpacity(opacity);
}

// --- CCMenuItemImage -------------------------------------------------------------------

Ref<CCMenuItemImage> CCMenuItemImage::itemWithNormalImage(const std::string& normal, const std::string& selected,
                                                          CCMenuItemCallback callback) {
    return itemWithNormalImage(normal, selected, "", std::move(callback));
}

Ref<CCMenuItemImage> CCMenuItemImage::itemWithNormalImage(const std::string& normal, const std::string& selected,
                                                          const std::string& disabled, CCMenuItemCallback callback) {
    auto load = [](const std::string& name) { return name.empty() ? Ref<CCSprite>() : CCSprite::spriteWithFile(name); };
    Ref<CCSprite> n = load(normal), s = load(selected), d = load(disabled);
    return itemWithNormalSprite(n, s, d, std::move(callback));
}

Ref<CCMenuItemImage> CCMenuItemImage::itemWithNormalSprite(CCNode* normal, CCNode* selected, CCNode* disabled,
                                                           CCMenuItemCallback callback) {
    Ref<CCMenuItemImage> item(new CCMenuItemImage);
    item->initWithNormalSprite(normal, selected, disabled, std::move(callback));
    return item;
}
