// CCMaskedLayer: a layer whose whole subtree is clipped to a rectangle by
// the GL scissor test.
//
// The rectangle is in framebuffer pixels, origin at the screen's
// bottom-left, as the scissor box takes it: callers that think in points
// multiply by the content scale factor first. Its components are truncated
// toward zero when applied (x 10.9 clips from pixel 10).
//
// Masked layers do not nest: an inner one clips to its own box alone and
// leaves clipping off when its subtree is done, also for the rest of an
// outer masked layer's subtree.
//
// Main thread only, inside the drawing pass.
#pragma once

#include "engine/CCLayer.h"

class CCMaskedLayer : public CCLayer {
public:
    // Clips to nothing until a rectangle is set.
    static Ref<CCMaskedLayer> node();
    static Ref<CCMaskedLayer> layerWithRect(CGRect pixels);
    bool initWithRect(CGRect pixels);

    CGRect maskedRect() const { return maskedRect_; }
    // Applies from the next frame.
    void setMaskedRect(CGRect pixels) { maskedRect_ = pixels; }
    // The rectangle in points: each component over the content scale factor.
    CGRect maskedRectInPoints() const;

    void visit() override;

private:
    CGRect maskedRect_;
};
