#include "engine/CCSprite.h"

#include <utility>

#include "engine/CCTextureCache.h"
#include "platform/Log.h"

Ref<CCSprite> CCSprite::node() {
    Ref<CCSprite> s(new CCSprite);
    s->init();
    return s;
}

Ref<CCSprite> CCSprite::spriteWithFile(const std::string& name) {
    Ref<CCSprite> s(new CCSprite);
    return s->initWithFile(name) ? s : nullptr;
}

Ref<CCSprite> CCSprite::spriteWithFile(const std::string& name, CGRect rect) {
    Ref<CCSprite> s(new CCSprite);
    return s->initWithFile(name, rect) ? s : nullptr;
}

Ref<CCSprite> CCSprite::spriteWithTexture(CCTexture2D* texture) {
    Ref<CCSprite> s(new CCSprite);
    return s->initWithTexture(texture) ? s : nullptr;
}

Ref<CCSprite> CCSprite::spriteWithTexture(CCTexture2D* texture, CGRect rect) {
    Ref<CCSprite> s(new CCSprite);
    return s->initWithTexture(texture, rect) ? s : nullptr;
}

Ref<CCSprite> CCSprite::spriteWithSpriteFrame(CCSpriteFrame* frame) {
    Ref<CCSprite> s(new CCSprite);
    return s->initWithSpriteFrame(frame) ? s : nullptr;
}

Ref<CCSprite> CCSprite::spriteWithSpriteFrameName(const std::string& name) {
    CCSpriteFrame* frame = CCSpriteFrameCache::sharedSpriteFrameCache()->spriteFrameByName(name);
    if (!frame) return nullptr;
    return spriteWithSpriteFrame(frame);
}

bool CCSprite::init() { return initWithTexture(nullptr, CGRectZero); }

bool CCSprite::initWithTexture(CCTexture2D* texture, CGRect rect, bool rotated) {
    setAnchorPoint({0.5f, 0.5f});
    flipX_ = flipY_ = false;
    offsetPosition_ = unflippedOffsetPositionFromCenter_ = CGPointZero;
    const ccColor4B white{255, 255, 255, 255};
    quad_.tl.colors = quad_.bl.colors = quad_.tr.colors = quad_.br.colors = white;
    texture_ = texture;
    blend_ = texture && !texture->hasPremultipliedAlpha() ? kCCBlendFuncStraight : kCCBlendFuncPremultiplied;
    setTextureRect(rect, rotated, rect.size);
    updateColor();
    return true;
}

bool CCSprite::initWithTexture(CCTexture2D* texture) {
    if (!texture) return false;
    CGSize size = texture->contentSize();
    return initWithTexture(texture, CGRectMake(0, 0, size.width, size.height));
}

bool CCSprite::initWithFile(const std::string& name) {
    CCTexture2D* texture = CCTextureCache::sharedTextureCache()->addImage(name);
    return texture && initWithTexture(texture);
}

bool CCSprite::initWithFile(const std::string& name, CGRect rect) {
    CCTexture2D* texture = CCTextureCache::sharedTextureCache()->addImage(name);
    return texture && initWithTexture(texture, rect);
}

bool CCSprite::initWithSpriteFrame(CCSpriteFrame* frame) {
    if (!frame) return false;
    if (!initWithTexture(frame->texture(), frame->rect(), frame->rotated())) return false;
    setDisplayFrame(frame);
    return true;
}

void CCSprite::setTexture(CCTexture2D* texture) {
    if (texture == texture_.get()) return;
    const bool defaultBlend = blend_ == kCCBlendFuncPremultiplied || blend_ == kCCBlendFuncStraight;
    texture_ = texture;
    if (texture && defaultBlend)
        blend_ = texture->hasPremultipliedAlpha() ? kCCBlendFuncPremultiplied : kCCBlendFuncStraight;
    if (texture && rect_.size.width == 0 && rect_.size.height == 0) {
        CGSize size = texture->contentSize();
        setTextureRect(CGRectMake(0, 0, size.width, size.height));
    } else {
        setTextureCoords(rect_);
    }
    updateColor();
}

void CCSprite::setTextureRect(CGRect rect) { setTextureRect(rect, false, rect.size); }

void CCSprite::setTextureRect(CGRect rect, bool rotated, CGSize untrimmedSize) {
    rectRotated_ = rotated;
    setContentSize(untrimmedSize);
    setVertexRect(rect);
    setTextureCoords(rect);
    CGPoint relative = unflippedOffsetPositionFromCenter_;
    if (flipX_) relative.x = -relative.x;
    if (flipY_) relative.y = -relative.y;
    offsetPosition_.x = relative.x + (contentSize_.width - rect_.size.width) / 2;
    offsetPosition_.y = relative.y + (contentSize_.height - rect_.size.height) / 2;
    const float x1 = offsetPosition_.x, y1 = offsetPosition_.y;
    const float x2 = x1 + rect_.size.width, y2 = y1 + rect_.size.height;
    quad_.bl.vertices = {x1, y1};
    quad_.br.vertices = {x2, y1};
    quad_.tl.vertices = {x1, y2};
    quad_.tr.vertices = {x2, y2};
}

void CCSprite::setVertexRect(CGRect rect) { rect_ = rect; }

void CCSprite::setTextureCoords(CGRect rect) {
    if (!texture_) return;
    // Rect in points -> the texture's pixels -> 0..1; row 0 of the image is v 0.
    const float s = texture_->scale();
    const float W = static_cast<float>(texture_->pixelsWide());
    const float H = static_cast<float>(texture_->pixelsHigh());
    const float x = rect.origin.x * s, y = rect.origin.y * s, w = rect.size.width * s, h = rect.size.height * s;
    if (rectRotated_) {
        // Stored turned a quarter clockwise in the sheet: w and h swap there.
        float left = x / W, right = (x + h) / W, top = y / H, bottom = (y + w) / H;
        if (flipX_) std::swap(top, bottom);
        if (flipY_) std::swap(left, right);
        quad_.bl.u = left;
        quad_.bl.v = top;
        quad_.br.u = left;
        quad_.br.v = bottom;
        quad_.tl.u = right;
        quad_.tl.v = top;
        quad_.tr.u = right;
        quad_.tr.v = bottom;
    } else {
        float left = x / W, right = (x + w) / W, top = y / H, bottom = (y + h) / H;
        if (flipX_) std::swap(left, right);
        if (flipY_) std::swap(top, bottom);
        quad_.bl.u = left;
        quad_.bl.v = bottom;
        quad_.br.u = right;
        quad_.br.v = bottom;
        quad_.tl.u = left;
        quad_.tl.v = top;
        quad_.tr.u = right;
        quad_.tr.v = top;
    }
}

void CCSprite::setDisplayFrame(CCSpriteFrame* frame) {
    if (!frame) return;
    unflippedOffsetPositionFromCenter_ = frame->offset();
    if (frame->texture() != texture_.get()) setTexture(frame->texture());
    frameName_ = frame->name();
    setTextureRect(frame->rect(), frame->rotated(), frame->originalSize());
}

Ref<CCSpriteFrame> CCSprite::displayFrame() const {
    return CCSpriteFrame::frameWithTexture(texture_.get(), rect_, rectRotated_, unflippedOffsetPositionFromCenter_,
                                           contentSize_);
}

bool CCSprite::isFrameDisplayed(CCSpriteFrame* frame) const {
    return frame && frame->texture() == texture_.get() && frame->rect() == rect_;
}

void CCSprite::setFlipX(bool flip) {
    if (flipX_ == flip) return;
    flipX_ = flip;
    setTextureRect(rect_, rectRotated_, contentSize_);
}

void CCSprite::setFlipY(bool flip) {
    if (flipY_ == flip) return;
    flipY_ = flip;
    setTextureRect(rect_, rectRotated_, contentSize_);
}

void CCSprite::setColor(ccColor3B color) {
    color_ = color;
    updateColor();
}

void CCSprite::setOpacity(std::uint8_t opacity) {
    opacity_ = opacity;
    updateColor();
}

void CCSprite::updateColor() {
    const bool premultiply = !texture_ || texture_->hasPremultipliedAlpha();
    ccColor4B c = ccVertexColor(color_, opacity_, premultiply);
    quad_.tl.colors = quad_.bl.colors = quad_.tr.colors = quad_.br.colors = c;
}

void CCSprite::draw() {
    if (!texture_) return;
    // A clear picture blended over the screen leaves it as it is.
    if (texture_->isTransparent() && blend_ == kCCBlendFuncPremultiplied) return;
    CCRenderer& r = CCRenderer::shared();
    // An opaque picture shown whole needs no blending (backgrounds).
    const bool opaque = texture_->isOpaque() && opacity_ == 255 && blend_ == kCCBlendFuncPremultiplied;
    r.drawQuad(quad_, r.currentTransform(), texture_->name(), opaque ? kCCBlendFuncOpaque : blend_);
}
