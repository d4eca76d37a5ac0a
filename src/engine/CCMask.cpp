#include "engine/CCMask.h"

#include "engine/CCDirector.h"
#include "engine/CCRenderer.h"

Ref<CCMask> CCMask::createMaskForObject(CCNode* object, CCSprite* mask) {
    Ref<CCMask> node(new CCMask);
    return node->initWithObject(object, mask) ? node : nullptr;
}

bool CCMask::initWithObject(CCNode* object, CCSprite* mask) {
    if (!CCNode::init()) return false;
    objectSprite_ = object;
    maskSprite_ = mask;
    if (maskSprite_) maskSprite_->setBlendFunc(kCCMaskSpriteBlendFunc);
    const CGSize win = CCDirector::sharedDirector()->winSize();
    // Without GL there is no texture; the node still works and shows nothing.
    Ref<CCRenderTexture> texture =
        CCRenderTexture::renderTextureWithWidth(static_cast<int>(win.width), static_cast<int>(win.height));
    if (texture) {
        texture->sprite()->setBlendFunc(kCCMaskedTextureBlendFunc);
        texture->setPosition({win.width * 0.5f, win.height * 0.5f});
    }
    setMasked(texture);
    return true;
}

void CCMask::mask() { maskWithClear(1, 1, 1, 0); }

void CCMask::maskWithClear(float r, float g, float b, float a) { pass(true, {r, g, b, a}, true); }

void CCMask::maskWithoutClear() { pass(false, {}, true); }

void CCMask::reDrawMask() { pass(false, {}, false); }

void CCMask::pass(bool clear, ccColor4F clearColor, bool drawObject) {
    if (!masked_) return;
    // A screen clip (a masked layer around us) means nothing in the texture.
    CCRenderer& renderer = CCRenderer::shared();
    const bool clipped = renderer.isScissorEnabled();
    const CCRenderer::ScissorBox box = renderer.scissorBox();
    if (clipped) renderer.disableScissor();
    if (clear)
        masked_->beginWithClear(clearColor.r, clearColor.g, clearColor.b, clearColor.a);
    else
        masked_->begin();
    if (drawObject && objectSprite_) objectSprite_->visit();
    if (maskSprite_) {
        renderer.setColorMask(false, false, false, true);
        maskSprite_->visit();
        renderer.setColorMask(true, true, true, true);
    }
    masked_->end();
    if (clipped) renderer.enableScissor(box.x, box.y, box.width, box.height);
}

void CCMask::visit() {
    // A hidden mask shows nothing: no need to keep its texture current.
    if (!visible_) return;
    const unsigned long frame = CCDirector::sharedDirector()->totalFrames();
    // The texture is from before the frames it missed: bring it up to date first.
    if (passedInFrame_ && *passedInFrame_ + 1 < frame) mask();
    CCNode::visit();
    mask();
    passedInFrame_ = frame;
}

void CCMask::setObject(CCNode* object) { objectSprite_ = object; }

void CCMask::setMask(CCSprite* mask) {
    maskSprite_ = mask;
    if (maskSprite_) maskSprite_->setBlendFunc(kCCInvertedMaskSpriteBlendFunc);
}

void CCMask::setMasked(CCRenderTexture* masked) {
    if (masked == masked_.get()) return;
    if (masked_) removeChild(masked_, true);
    masked_ = masked;
    if (!masked_) return;
    if (masked_->parent()) masked_->removeFromParentAndCleanup(false);
    addChild(masked_, 0);
}
