// CCTexture2D: an image in GL memory, with its size in pixels and in points.
//
// A texture knows the scale of the file it came from (2 for "-hd" art, 1
// otherwise), so that content sizes come out in points whatever the screen's
// content scale: plain art on a high-density screen shows at its intended
// size, only blurrier. Images are uploaded with premultiplied alpha.
#pragma once

#include <cstdint>
#include <string>

#include "engine/CCObject.h"
#include "engine/ccTypes.h"

namespace platform {
struct Image;
}

enum CCTexture2DPixelFormat {
    kCCTexture2DPixelFormat_RGBA8888 = 0,
    kCCTexture2DPixelFormat_RGB888 = 1,
    kCCTexture2DPixelFormat_RGB565 = 2,
    kCCTexture2DPixelFormat_A8 = 3,
    kCCTexture2DPixelFormat_I8 = 4,
    kCCTexture2DPixelFormat_AI88 = 5,
    kCCTexture2DPixelFormat_RGBA4444 = 6,
    kCCTexture2DPixelFormat_RGB5A1 = 7,
    kCCTexture2DPixelFormat_Default = kCCTexture2DPixelFormat_RGBA8888,
};

// What a loaded file was made for: it fixes the file's pixels per point.
enum ccResolutionType {
    kCCResolutionUnknown = 0,
    kCCResolutioniPhone = 1,
    kCCResolutioniPhoneRetinaDisplay = 2,
    kCCResolutioniPad = 3,
    kCCResolutioniPadRetinaDisplay = 4,
};

inline float ccResolutionScale(ccResolutionType type) {
    return type == kCCResolutioniPhoneRetinaDisplay || type == kCCResolutioniPadRetinaDisplay ? 2.0f : 1.0f;
}

class CCTexture2D : public CCObject {
public:
    // From a decoded image (premultiplied here when it is not yet).
    static Ref<CCTexture2D> textureWithImage(const platform::Image& image, ccResolutionType resolution);
    bool initWithImage(const platform::Image& image, ccResolutionType resolution);
    // From premultiplied RGBA rows, top row first; scale is pixels per point.
    bool initWithRGBA(const std::uint8_t* rgba, int pixelsWide, int pixelsHigh, float scale);
    // An empty texture to render into (render textures).
    bool initEmpty(int pixelsWide, int pixelsHigh, float scale);
    ~CCTexture2D() override;

    unsigned name() const { return name_; }
    int pixelsWide() const { return pixelsWide_; }
    int pixelsHigh() const { return pixelsHigh_; }
    CGSize contentSizeInPixels() const { return {float(pixelsWide_), float(pixelsHigh_)}; }
    // Size in points.
    CGSize contentSize() const { return {pixelsWide_ / scale_, pixelsHigh_ / scale_}; }
    float scale() const { return scale_; }
    ccResolutionType resolutionType() const { return resolutionType_; }
    bool hasPremultipliedAlpha() const { return premultiplied_; }
    // Every pixel fully opaque: it may be drawn without blending.
    bool isOpaque() const { return opaque_; }
    // Every pixel fully clear (a touch area's picture): nothing to draw.
    bool isTransparent() const { return transparent_; }
    CCTexture2DPixelFormat pixelFormat() const { return format_; }

    // Nearest-neighbour sampling (crisp pixels) / linear sampling (the default).
    void setAliasTexParameters();
    void setAntiAliasTexParameters();

    // The resource name it was loaded from, for diagnostics ("" when made in code).
    const std::string& fileName() const { return fileName_; }
    void setFileName(std::string name) { fileName_ = std::move(name); }

    // Class settings: the GL format that images with alpha are stored in.
    static void setDefaultAlphaPixelFormat(CCTexture2DPixelFormat format);
    static CCTexture2DPixelFormat defaultAlphaPixelFormat();
    // Whether PVR images carry premultiplied alpha (kept for PVR loaders).
    static void PVRImagesHavePremultipliedAlpha(bool premultiplied);
    static bool PVRImagesHavePremultipliedAlphaValue();

private:
    bool upload(const std::uint8_t* rgba, int w, int h, float scale, CCTexture2DPixelFormat format);
    void setFilter(int filter);

    unsigned name_ = 0;
    unsigned generation_ = 0;
    bool opaque_ = false;
    bool transparent_ = false;
    int pixelsWide_ = 0;
    int pixelsHigh_ = 0;
    float scale_ = 1;
    ccResolutionType resolutionType_ = kCCResolutionUnknown;
    bool premultiplied_ = true;
    CCTexture2DPixelFormat format_ = kCCTexture2DPixelFormat_RGBA8888;
    std::string fileName_;
};
