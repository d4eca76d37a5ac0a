// CCGLView: the OpenGL ES 2 rendering view the director draws into. On the
// desktop it is the platform window's GL surface; making the view makes the
// window and its context.
#pragma once

#include <string>

#include "engine/CCObject.h"
#include "engine/ccTypes.h"

inline const std::string kEAGLColorFormatRGB565 = "RGB565";
inline const std::string kEAGLColorFormatRGBA8 = "RGBA8";

// Depth formats, by their GL enumeration values.
inline constexpr unsigned kCCDepthFormatNone = 0;
inline constexpr unsigned kCCDepthFormat16 = 0x81A5;      // GL_DEPTH_COMPONENT16
inline constexpr unsigned kCCDepthFormat24 = 0x81A6;      // GL_DEPTH_COMPONENT24_OES
inline constexpr unsigned kCCDepth24Stencil8 = 0x88F0;    // GL_DEPTH24_STENCIL8_OES

class CCGLView : public CCObject {
public:
    // Null (and a log line) when the platform cannot make the surface.
    // Requests the driver cannot meet fall back to its defaults.
    static Ref<CCGLView> viewWithFrame(CGRect frame, const std::string& pixelFormat, unsigned depthFormat,
                                       bool preserveBackbuffer, void* sharegroup, bool multiSampling,
                                       unsigned numberOfSamples);
    static Ref<CCGLView> viewWithFrame(CGRect frame) {
        return viewWithFrame(frame, kEAGLColorFormatRGBA8, kCCDepthFormatNone, false, nullptr, false, 0);
    }

    CGRect frame() const { return frame_; }
    const std::string& pixelFormat() const { return pixelFormat_; }
    unsigned depthFormat() const { return depthFormat_; }
    // The surface in pixels (the game's letterboxed screen inside the window).
    CGSize surfaceSize() const;

private:
    CGRect frame_;
    std::string pixelFormat_;
    unsigned depthFormat_ = 0;
};
