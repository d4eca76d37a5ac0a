// CCRenderTexture: an off-screen canvas. Between begin and end, visits draw
// into its texture instead of the screen, with the texture's own points as
// coordinates (a node without a parent draws at its own position). Its child
// `sprite` shows the texture, flipped upright by a y scale of -1 and blended
// as premultiplied alpha. Placed at the window's centre, a window-sized
// render texture shows texture point (x, y) at scene point (x, y).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/CCRenderer.h"
#include "engine/CCSprite.h"
#include "engine/CCTexture2D.h"

class CCRenderTexture : public CCNode {
public:
    // Size in points; null (and a log line) when GL cannot make the target.
    static Ref<CCRenderTexture> renderTextureWithWidth(int width, int height);
    static Ref<CCRenderTexture> renderTextureWithWidth(int width, int height, CCTexture2DPixelFormat format);
    bool initWithWidth(int width, int height, CCTexture2DPixelFormat format);
    ~CCRenderTexture() override;

    void begin();
    // begin, then clear to the colour (components 0..1).
    void beginWithClear(float r, float g, float b, float a);
    void end();
    // Clears the texture outside begin/end.
    void clear(float r, float g, float b, float a);

    CCSprite* sprite() const { return sprite_.get(); }
    void setSprite(CCSprite* sprite);
    CCTexture2D* texture() const { return texture_.get(); }

    // The texture's pixels, RGBA rows top to bottom (tests, screenshots).
    std::vector<std::uint8_t> readPixels(int& width, int& height);

    // Nothing has been drawn since it was made or cleared to transparent: a
    // blank texture is not drawn at all, which saves a window-sized fill and
    // changes no pixel.
    bool isBlank() const { return blank_; }
    // Draws only this part of the picture (points, origin bottom-left, cut to
    // the picture), for a caller that knows everything outside it is
    // transparent: the rest of a window-sized quad is fill for nothing.
    void setShownRect(CGRect rect);
    void showAll() { setShownRect({{0, 0}, contentSize_}); }
    void visit() override;

private:
    Ref<CCTexture2D> texture_;
    Ref<CCSprite> sprite_;
    unsigned framebuffer_ = 0;
    unsigned generation_ = 0;
    // What each end() restores; begins may nest.
    struct Saved {
        CCRenderer::Target target;
        std::size_t stackMark = 0;
    };
    std::vector<Saved> saved_;
    bool blank_ = true;
    bool nothingShown_ = false;
};
