// The GL ES 2 renderer under every node: a transform stack for the drawing
// pass, and a quad batcher.
//
// Nodes hand their quads over in node space with the current transform; the
// batcher transforms them on the CPU into one reused vertex buffer and draws
// every run of consecutive quads that share texture and blend function with
// a single glDrawElements. Solid colours use a 1x1 white texture, so layers
// batch with sprites. Colours are premultiplied by their alpha.
//
// Anyone who changes GL state directly must flush() first, or the queued
// quads would be drawn under the new state. The scissor and colour-mask
// helpers here do it for you.
//
// All of it runs on the main thread, inside the director's drawing pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/ccTypes.h"

// One vertex as the shader takes it: position in points, colour, texture coordinate.
struct ccV2F_C4B_T2F {
    CGPoint vertices;
    ccColor4B colors;
    float u = 0, v = 0;
};

// Corners of a quad: top-left, bottom-left, top-right, bottom-right.
struct ccV2F_C4B_T2F_Quad {
    ccV2F_C4B_T2F tl, bl, tr, br;
};

class CCRenderer {
public:
    static CCRenderer& shared();

    // Creates the shaders and buffers in the current GL context. Called when
    // the director gets its view; again after a new context was made, which
    // also makes every GL name of the old one stale (see contextGeneration).
    bool setUp();
    void tearDown();
    bool isReady() const { return ready_; }
    // Incremented by every setUp: objects made in an older context must not
    // delete their GL names in the new one.
    unsigned contextGeneration() const { return generation_; }

    // Render target: a framebuffer, its viewport in pixels and the points it shows.
    struct Target {
        unsigned framebuffer = 0;
        int x = 0, y = 0, width = 0, height = 0;  // viewport, pixels
        float widthPoints = 0, heightPoints = 0;   // orthographic projection, origin bottom-left
        // The pixels of the picture the target shows, the units of a scissor
        // box: the game's screen at its content scale, which a resized or
        // full-screen window scales into a letterboxed viewport. 0: the
        // viewport's own pixels.
        float pixelsWide = 0, pixelsHigh = 0;
    };
    void setTarget(const Target& target);
    const Target& target() const { return target_; }
    void clear(const ccColor4F& color);

    // The drawing pass's transform stack: node space to the target's points.
    const CGAffineTransform& currentTransform() const { return stack_.back(); }
    void pushTransform(const CGAffineTransform& t) { stack_.push_back(t); }
    void popTransform() {
        if (stack_.size() > 1) stack_.pop_back();
    }
    // Starts a fresh stack (a frame or a render texture's begin); restoreStack undoes it.
    std::size_t saveStack();
    void restoreStack(std::size_t mark);

    // Queues quads given in node space, transformed by `transform`.
    void drawQuads(const ccV2F_C4B_T2F_Quad* quads, std::size_t count, const CGAffineTransform& transform,
                   unsigned texture, ccBlendFunc blend);
    void drawQuad(const ccV2F_C4B_T2F_Quad& quad, const CGAffineTransform& transform, unsigned texture,
                  ccBlendFunc blend) {
        drawQuads(&quad, 1, transform, texture, blend);
    }
    void flush();

    // State that masking and clipping nodes wrap around their subtrees. The
    // box is in the target's picture pixels (see Target), origin bottom-left;
    // it is mapped through the viewport, now and on each change of target.
    struct ScissorBox {
        int x = 0, y = 0, width = 0, height = 0;
    };
    void enableScissor(int x, int y, int width, int height);
    void disableScissor();
    bool isScissorEnabled() const { return scissor_; }
    // The box last enabled, in picture pixels.
    const ScissorBox& scissorBox() const { return scissorBox_; }
    void setColorMask(bool r, bool g, bool b, bool a);

    // An opaque rectangle that will be drawn later in this pass, in the
    // current target's points: until clearOccluder, the parts of upright
    // quads it hides are not drawn (a quad is cut into the bands around it),
    // so a card over a busy scene does not cost the scene's pixels twice.
    // Quads with differing corner colours, turned quads and other targets
    // are drawn whole.
    void setOccluder(const CGRect& rect);
    void clearOccluder() { occluder_ = false; }

    unsigned whiteTexture() const { return white_; }

    // Counters since the last resetStats (the director resets them each frame).
    // pixels: how many pixels the quads and clears wrote or blended, clipped
    // to the target and the scissor box; counted only while asked for
    // (benchmarks), as it costs a little per quad.
    struct Stats {
        int drawCalls = 0;
        long quads = 0;
        double pixels = 0;
        int offscreenPasses = 0;  // switches to a render texture
    };
    const Stats& stats() const { return stats_; }
    void resetStats() { stats_ = {}; }
    void setCountingPixels(bool counting) { countingPixels_ = counting; }

    // Binds to unit 0 (texture uploads).
    void bindTexture(unsigned texture);
    void deleteTexture(unsigned texture, unsigned generation);

private:
    CCRenderer();
    void applyProjection();
    void applyBlend(ccBlendFunc blend);
    void applyScissorBox();
    // The target's pixels a quad (in the target's points) covers inside the
    // viewport and the scissor box.
    double coveredPixels(const ccV2F_C4B_T2F_Quad& q) const;
    void queue(const ccV2F_C4B_T2F_Quad& q);
    // Queues what of q lies outside the occluder; false when q is not cut
    // (the caller draws it whole).
    bool queueAroundOccluder(const ccV2F_C4B_T2F_Quad& q);

    bool ready_ = false;
    unsigned generation_ = 0;
    unsigned program_ = 0;
    int uProjection_ = -1;
    int uTexture_ = -1;
    unsigned vertexBuffer_ = 0;
    unsigned indexBuffer_ = 0;
    unsigned white_ = 0;

    Target target_;
    std::vector<CGAffineTransform> stack_;
    std::vector<ccV2F_C4B_T2F_Quad> pending_;
    unsigned pendingTexture_ = 0;
    ccBlendFunc pendingBlend_;
    bool scissor_ = false;
    ScissorBox scissorBox_;
    Stats stats_;
    bool countingPixels_ = false;
    bool occluder_ = false;
    CGRect occluderRect_{};
    unsigned occluderFramebuffer_ = 0;
};
