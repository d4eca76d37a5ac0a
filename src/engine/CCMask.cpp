#include "engine/CCMask.h"

#include <algorithm>
#include <limits>
#include <typeinfo>

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

namespace {

// A plain node or sprite shows nothing but its texture in its own box; any
// other kind may draw anything anywhere.
bool isPlain(const CCNode* node) { return typeid(*node) == typeid(CCNode) || typeid(*node) == typeid(CCSprite); }

// Appends what a plain sprite (or node) shows; false for any other kind.
bool appendShown(const CCNode* node, std::vector<float>& out) {
    if (!node) return true;
    if (!isPlain(node)) return false;
    const auto* sprite = dynamic_cast<const CCSprite*>(node);
    const CGAffineTransform& t = node->nodeToWorldTransform();
    out.insert(out.end(), {t.a, t.b, t.c, t.d, t.tx, t.ty, node->visible() ? 1.0f : 0.0f,
                           node->contentSize().width, node->contentSize().height});
    if (sprite) {
        const CGRect r = sprite->textureRect();
        const ccColor3B c = sprite->color();
        const ccBlendFunc b = sprite->blendFunc();
        out.insert(out.end(), {static_cast<float>(sprite->texture() ? sprite->texture()->name() : 0), r.origin.x,
                               r.origin.y, r.size.width, r.size.height, sprite->flipX() ? 1.0f : 0.0f,
                               sprite->flipY() ? 1.0f : 0.0f, static_cast<float>(c.r), static_cast<float>(c.g),
                               static_cast<float>(c.b), static_cast<float>(sprite->opacity()),
                               static_cast<float>(b.src), static_cast<float>(b.dst)});
    }
    for (const auto& child : node->children())
        if (!appendShown(child.get(), out)) return false;
    return true;
}

// Grows `box` (left, bottom, right, top in the space `toSpace` maps into) by
// the boxes of a subtree of plain nodes; false when some node is not plain.
bool growByDrawnBoxes(const CCNode* node, const CGAffineTransform& toSpace, float (&box)[4]) {
    if (!isPlain(node)) return false;
    const CGAffineTransform t = CGAffineTransformConcat(node->nodeToParentTransform(), toSpace);
    const CGRect own =
        CGRectApplyAffineTransform(CGRectMake(0, 0, node->contentSize().width, node->contentSize().height), t);
    box[0] = std::min(box[0], own.origin.x);
    box[1] = std::min(box[1], own.origin.y);
    box[2] = std::max(box[2], own.origin.x + own.size.width);
    box[3] = std::max(box[3], own.origin.y + own.size.height);
    for (const auto& child : node->children())
        if (!growByDrawnBoxes(child.get(), t, box)) return false;
    return true;
}

}  // namespace

std::vector<float> CCMask::passInputs(ccColor4F clearColor) const {
    std::vector<float> inputs{clearColor.r, clearColor.g, clearColor.b, clearColor.a};
    if (!appendShown(objectSprite_.get(), inputs) || !appendShown(maskSprite_.get(), inputs)) return {};
    return inputs;
}

void CCMask::pass(bool clear, ccColor4F clearColor, bool drawObject) {
    if (!masked_) return;
    // A pass over the texture's content depends on more than its inputs.
    lastInputs_ = clear && drawObject ? passInputs(clearColor) : std::vector<float>{};
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
    // Cleared to transparent and then drawn only where the object and its
    // children are: the rest of the texture adds nothing, so only their box
    // is drawn. An object with a node that may draw anywhere shows it all.
    float b[4] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                  std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest()};
    if (clear && clearColor.a == 0 && drawObject && objectSprite_ &&
        growByDrawnBoxes(objectSprite_.get(), CGAffineTransformIdentity, b))
        masked_->setShownRect(CGRectMake(b[0] - 1, b[1] - 1, b[2] - b[0] + 2, b[3] - b[1] + 2));
    else
        masked_->showAll();
}

void CCMask::visit() {
    // A hidden mask shows nothing: no need to keep its texture current.
    if (!visible_) return;
    const unsigned long frame = CCDirector::sharedDirector()->totalFrames();
    // The texture is from before the frames it missed: bring it up to date first.
    if (passedInFrame_ && *passedInFrame_ + 1 < frame) mask();
    CCNode::visit();
    // The same inputs as the pass the texture holds would draw the same
    // picture again: a window-sized clear and fill saved each still frame.
    const std::vector<float> inputs = passInputs({1, 1, 1, 0});
    if (inputs.empty() || inputs != lastInputs_) mask();
    passedInFrame_ = frame;
}

void CCMask::setObject(CCNode* object) { objectSprite_ = object; }

void CCMask::setMask(CCSprite* mask) {
    maskSprite_ = mask;
    if (maskSprite_) maskSprite_->setBlendFunc(kCCInvertedMaskSpriteBlendFunc);
}

void CCMask::setMasked(CCRenderTexture* masked) {
    if (masked == masked_.get()) return;
    lastInputs_.clear();
    if (masked_) removeChild(masked_, true);
    masked_ = masked;
    if (!masked_) return;
    if (masked_->parent()) masked_->removeFromParentAndCleanup(false);
    addChild(masked_, 0);
}
