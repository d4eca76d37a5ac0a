#include "engine/CCGLView.h"

#include "platform/Application.h"
#include "platform/Log.h"

Ref<CCGLView> CCGLView::viewWithFrame(CGRect frame, const std::string& pixelFormat, unsigned depthFormat,
                                      bool preserveBackbuffer, void* sharegroup, bool multiSampling,
                                      unsigned numberOfSamples) {
    platform::ViewConfig config;
    config.rgb565 = pixelFormat == kEAGLColorFormatRGB565;
    config.depthBits = depthFormat == kCCDepthFormat16 ? 16 : depthFormat ? 24 : 0;
    config.samples = multiSampling ? static_cast<int>(numberOfSamples) : 0;
    // Preserving the back buffer and sharing a context have no desktop
    // counterpart: nothing here reads the previous frame or shares GL objects.
    (void)preserveBackbuffer;
    (void)sharegroup;
    if (!platform::Application::shared().createView(config)) {
        platform::log("CCGLView: no rendering view");
        return nullptr;
    }
    Ref<CCGLView> view(new CCGLView);
    view->frame_ = frame;
    view->pixelFormat_ = pixelFormat;
    view->depthFormat_ = depthFormat;
    return view;
}

CGSize CCGLView::surfaceSize() const {
    platform::PixelRect r = platform::Application::shared().viewport();
    return {static_cast<float>(r.width), static_cast<float>(r.height)};
}
