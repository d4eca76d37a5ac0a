#include "engine/CCTexture2D.h"

#include <GLES2/gl2.h>

#include <vector>

#include "engine/CCRenderer.h"
#include "platform/Image.h"
#include "platform/Log.h"

namespace {
CCTexture2DPixelFormat defaultAlphaFormat = kCCTexture2DPixelFormat_RGBA8888;
bool pvrPremultiplied = false;
}  // namespace

void CCTexture2D::setDefaultAlphaPixelFormat(CCTexture2DPixelFormat format) { defaultAlphaFormat = format; }
CCTexture2DPixelFormat CCTexture2D::defaultAlphaPixelFormat() { return defaultAlphaFormat; }
void CCTexture2D::PVRImagesHavePremultipliedAlpha(bool premultiplied) { pvrPremultiplied = premultiplied; }
bool CCTexture2D::PVRImagesHavePremultipliedAlphaValue() { return pvrPremultiplied; }

Ref<CCTexture2D> CCTexture2D::textureWithImage(const platform::Image& image, ccResolutionType resolution) {
    Ref<CCTexture2D> t(new CCTexture2D);
    if (!t->initWithImage(image, resolution)) return nullptr;
    return t;
}

CCTexture2D::~CCTexture2D() { CCRenderer::shared().deleteTexture(name_, generation_); }

bool CCTexture2D::initWithImage(const platform::Image& image, ccResolutionType resolution) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgba.size() < static_cast<std::size_t>(image.width) * image.height * 4) {
        platform::log("CCTexture2D: empty or truncated image");
        return false;
    }
    resolutionType_ = resolution;
    const float scale = ccResolutionScale(resolution);
    if (image.premultiplied) return upload(image.rgba.data(), image.width, image.height, scale, defaultAlphaFormat);
    platform::Image copy = image;
    platform::premultiplyAlpha(copy);
    return upload(copy.rgba.data(), copy.width, copy.height, scale, defaultAlphaFormat);
}

bool CCTexture2D::initWithRGBA(const std::uint8_t* rgba, int w, int h, float scale) {
    return upload(rgba, w, h, scale, kCCTexture2DPixelFormat_RGBA8888);
}

bool CCTexture2D::initEmpty(int w, int h, float scale) {
    return upload(nullptr, w, h, scale, kCCTexture2DPixelFormat_RGBA8888);
}

bool CCTexture2D::upload(const std::uint8_t* rgba, int w, int h, float scale, CCTexture2DPixelFormat format) {
    CCRenderer& renderer = CCRenderer::shared();
    if (!renderer.isReady()) {
        platform::log("CCTexture2D: no GL context for a texture");
        return false;
    }
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (w <= 0 || h <= 0 || w > maxSize || h > maxSize) {
        platform::log("CCTexture2D: %dx%d is beyond the GL limit of %d", w, h, maxSize);
        return false;
    }
    pixelsWide_ = w;
    pixelsHigh_ = h;
    scale_ = scale > 0 ? scale : 1;
    premultiplied_ = true;
    format_ = format;
    if (name_ == 0 || generation_ != renderer.contextGeneration()) {
        GLuint n = 0;
        glGenTextures(1, &n);
        name_ = n;
        generation_ = renderer.contextGeneration();
    }
    renderer.bindTexture(name_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Clamping is required for sizes that are not powers of two, and it is
    // what a texture rectangle larger than the texture wants: edges stretch.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    const std::size_t n = static_cast<std::size_t>(w) * h;
    opaque_ = transparent_ = false;
    if (rgba) {
        const bool noAlpha = format == kCCTexture2DPixelFormat_RGB565 || format == kCCTexture2DPixelFormat_RGB888 ||
                             format == kCCTexture2DPixelFormat_I8;
        bool allOpaque = format != kCCTexture2DPixelFormat_A8, allClear = !noAlpha;
        for (std::size_t i = 0; i < n && (allOpaque || allClear); ++i) {
            allOpaque = allOpaque && rgba[i * 4 + 3] == 255;
            allClear = allClear && rgba[i * 4 + 3] == 0;
        }
        opaque_ = noAlpha || allOpaque;
        transparent_ = allClear && n > 0;
    }
    if (!rgba || format == kCCTexture2DPixelFormat_RGBA8888 || format == kCCTexture2DPixelFormat_RGB888) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        format_ = kCCTexture2DPixelFormat_RGBA8888;
    } else if (format == kCCTexture2DPixelFormat_RGBA4444 || format == kCCTexture2DPixelFormat_RGB5A1 ||
               format == kCCTexture2DPixelFormat_RGB565) {
        // 16-bit formats halve the memory of art that tolerates banding.
        std::vector<std::uint16_t> packed(n);
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t* p = rgba + i * 4;
            if (format == kCCTexture2DPixelFormat_RGBA4444)
                packed[i] = static_cast<std::uint16_t>(((p[0] >> 4) << 12) | ((p[1] >> 4) << 8) | ((p[2] >> 4) << 4) | (p[3] >> 4));
            else if (format == kCCTexture2DPixelFormat_RGB5A1)
                packed[i] = static_cast<std::uint16_t>(((p[0] >> 3) << 11) | ((p[1] >> 3) << 6) | ((p[2] >> 3) << 1) | (p[3] >> 7));
            else
                packed[i] = static_cast<std::uint16_t>(((p[0] >> 3) << 11) | ((p[1] >> 2) << 5) | (p[2] >> 3));
        }
        GLenum glFormat = format == kCCTexture2DPixelFormat_RGB565 ? GL_RGB : GL_RGBA;
        GLenum type = format == kCCTexture2DPixelFormat_RGBA4444 ? GL_UNSIGNED_SHORT_4_4_4_4
                      : format == kCCTexture2DPixelFormat_RGB5A1 ? GL_UNSIGNED_SHORT_5_5_5_1
                                                                   : GL_UNSIGNED_SHORT_5_6_5;
        glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
        glTexImage2D(GL_TEXTURE_2D, 0, glFormat, w, h, 0, glFormat, type, packed.data());
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    } else {
        // A8 and the intensity formats keep one or two channels; alpha art is
        // premultiplied, so its alpha alone is the picture.
        bool twoChannels = format == kCCTexture2DPixelFormat_AI88;
        std::vector<std::uint8_t> packed(n * (twoChannels ? 2 : 1));
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t* p = rgba + i * 4;
            if (format == kCCTexture2DPixelFormat_A8)
                packed[i] = p[3];
            else if (format == kCCTexture2DPixelFormat_I8)
                packed[i] = p[0];
            else {
                packed[i * 2] = p[0];
                packed[i * 2 + 1] = p[3];
            }
        }
        GLenum glFormat = format == kCCTexture2DPixelFormat_A8   ? GL_ALPHA
                          : format == kCCTexture2DPixelFormat_I8 ? GL_LUMINANCE
                                                                 : GL_LUMINANCE_ALPHA;
        glTexImage2D(GL_TEXTURE_2D, 0, glFormat, w, h, 0, glFormat, GL_UNSIGNED_BYTE, packed.data());
    }
    return true;
}

void CCTexture2D::setFilter(int filter) {
    if (!name_ || generation_ != CCRenderer::shared().contextGeneration()) return;
    CCRenderer::shared().flush();
    CCRenderer::shared().bindTexture(name_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
}

void CCTexture2D::setAliasTexParameters() { setFilter(GL_NEAREST); }
void CCTexture2D::setAntiAliasTexParameters() { setFilter(GL_LINEAR); }
