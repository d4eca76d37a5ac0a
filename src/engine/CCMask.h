// CCMask: shows an object (any node) with its alpha multiplied by the alpha
// of a mask sprite, inside the mask sprite's quad.
//
// A masking pass draws the object into a window-sized render texture, then
// the mask sprite over it with only the alpha channel written and the blend
// function (zero, source alpha), so the texture's alpha is scaled by the
// mask's. The render texture, placed at the window's centre, is the node's
// only child and shows the result, blended with (source alpha, one minus
// source alpha): the colour channels were never scaled by the mask, so the
// alpha applies here. Outside the mask's quad the object keeps its own alpha.
//
// The object and the mask sprite are not children: they are drawn only into
// the texture, at their own positions, and the caller keeps and moves them.
// visit shows the previous pass and then runs a new one, so a change shows a
// frame late unless the caller runs mask() itself right after it. A mask that
// missed frames (hidden, or out of the tree) runs a pass before it shows again.
//
// Main thread only, inside the drawing pass or between frames.
#pragma once

#include <optional>
#include <vector>

#include "engine/CCNode.h"
#include "engine/CCRenderTexture.h"
#include "engine/CCSprite.h"

class CCMask : public CCNode {
public:
    static Ref<CCMask> createMaskForObject(CCNode* object, CCSprite* mask);
    bool initWithObject(CCNode* object, CCSprite* mask);

    // One masking pass on a texture cleared to transparent white.
    void mask();
    // One masking pass on a texture cleared to (r, g, b, a), components 0..1.
    void maskWithClear(float r, float g, float b, float a);
    // One masking pass over what the texture holds.
    void maskWithoutClear();
    // Applies the mask once more to the texture's content, without the object.
    void reDrawMask();

    // Draws the last pass's result, then runs a pass for the next frame.
    void visit() override;

    CCNode* object() const { return objectSprite_.get(); }
    void setObject(CCNode* object);
    CCSprite* maskSprite() const { return maskSprite_.get(); }
    // Replaces the mask sprite, inverted: from now on the object is cut away
    // where the mask is opaque (a mask given at creation keeps it there).
    void setMask(CCSprite* mask);
    // The texture holding the masked picture; null when GL could not make one
    // (passes then do nothing).
    CCRenderTexture* masked() const { return masked_.get(); }
    // Replaces the texture, and the child that shows it.
    void setMasked(CCRenderTexture* masked);

private:
    void pass(bool clear, ccColor4F clearColor, bool drawObject);
    // What a cleared pass would draw from: every property of the object's
    // and the mask's sprites that shows, and the clear colour. Empty when it
    // cannot be told (nodes other than plain sprites, whose pixels may change
    // behind their properties): then every frame runs its pass.
    std::vector<float> passInputs(ccColor4F clearColor) const;

    // Declared so that destruction releases the texture, the mask sprite and
    // then the object.
    Ref<CCNode> objectSprite_;
    Ref<CCSprite> maskSprite_;
    Ref<CCRenderTexture> masked_;
    // The director's frame of the last pass run by visit.
    std::optional<unsigned long> passedInFrame_;
    // The inputs of the last cleared pass while the texture still holds its
    // result: a frame whose inputs are the same would draw the same picture.
    std::vector<float> lastInputs_;
};

// The mask sprite's blend function: keeps the destination scaled by the mask's alpha.
inline constexpr ccBlendFunc kCCMaskSpriteBlendFunc{CC_GL_ZERO, CC_GL_SRC_ALPHA};
// A mask sprite set later: scales the destination by one minus the mask's alpha.
inline constexpr ccBlendFunc kCCInvertedMaskSpriteBlendFunc{CC_GL_ZERO, CC_GL_ONE_MINUS_SRC_ALPHA};
// How the masked texture is drawn on screen.
inline constexpr ccBlendFunc kCCMaskedTextureBlendFunc{CC_GL_SRC_ALPHA, CC_GL_ONE_MINUS_SRC_ALPHA};
