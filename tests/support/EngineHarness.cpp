#include "support/EngineHarness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>

#include "engine/CCDirector.h"
#include "engine/CCFileUtils.h"
#include "engine/CCGLView.h"
#include "engine/CCLabelBMFont.h"
#include "engine/CCLabelTTF.h"
#include "engine/CCSpriteFrame.h"
#include "engine/CCTexture2D.h"
#include "engine/CCTextureCache.h"
#include "platform/Bundle.h"
#include "platform/Image.h"

namespace testsupport {
namespace {

// Sets up the engine the way the game's start-up does.
struct Delegate : platform::ApplicationDelegate {
    bool didFinishLaunching() override {
        CCDirector* director = CCDirector::sharedDirector();
        platform::DeviceProfile d = platform::Application::shared().device();
        // 8 bits a channel so that pixel checks are exact.
        Ref<CCGLView> view = CCGLView::viewWithFrame(CGRectMake(0, 0, float(d.widthPoints), float(d.heightPoints)),
                                                     kEAGLColorFormatRGBA8, 0, false, nullptr, false, 0);
        if (!view) return false;
        director->setView(view);
        director->setProjection(kCCDirectorProjection2D);
        director->setAnimationInterval(1.0 / 60);
        director->enableRetinaDisplay(true);
        CCTexture2D::setDefaultAlphaPixelFormat(kCCTexture2DPixelFormat_RGBA8888);
        CCFileUtils* files = CCFileUtils::sharedFileUtils();
        files->setiPhoneRetinaDisplaySuffix("-hd");
        files->setiPadSuffix("");
        files->setiPadRetinaDisplaySuffix("-hd");
        return true;
    }
    void willTerminate() override { CCDirector::sharedDirector()->end(); }
};

struct State {
    Delegate delegate;
    bool booted = false;
    platform::DeviceProfile device;
    int windowWidth = 0, windowHeight = 0;
    bool hookInstalled = false;
    bool capture = false;
    Frame captured;
};

State& state() {
    static State s;
    return s;
}

void resetEngine() {
    CCDirector* director = CCDirector::sharedDirector();
    // Leave no scene from an earlier test running.
    if (director->runningScene() || director->sceneCount()) director->end();
    if (!director->view()) {
        // end() dropped the view: re-attach the window that still exists.
        Ref<CCGLView> view = CCGLView::viewWithFrame(CGRectZero);
        director->setView(view);
        director->enableRetinaDisplay(true);
    }
    director->setNextDeltaTimeZero(false);
    director->resume();
    director->startAnimation();
    CCLabelBMFont::purgeCachedData();
    CCLabelTTF::purgeCachedData();
    CCSpriteFrameCache::sharedSpriteFrameCache()->removeSpriteFrames();
    CCTextureCache::sharedTextureCache()->removeAllTextures();
    CCFileUtils::sharedFileUtils()->purgeCachedEntries();
}

}  // namespace

void expectNear(Rgba got, Rgba want, int tolerance) {
    EXPECT_NEAR(got.r, want.r, tolerance);
    EXPECT_NEAR(got.g, want.g, tolerance);
    EXPECT_NEAR(got.b, want.b, tolerance);
}

Rgba Frame::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {};
    const std::uint8_t* p = &rgba[(static_cast<std::size_t>(height - 1 - y) * width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

EngineHarness& EngineHarness::boot(const platform::DeviceProfile& device, const std::string& resourceDir,
                                   int windowWidth, int windowHeight) {
    static EngineHarness harness;
    State& s = state();
    if (!resourceDir.empty()) platform::Bundle::main().setResourcePath(resourceDir);
    auto& app = platform::Application::shared();
    const bool sameDevice = s.booted && s.device.idiom == device.idiom && s.device.widthPoints == device.widthPoints &&
                            s.device.heightPoints == device.heightPoints && s.device.scale == device.scale &&
                            s.windowWidth == windowWidth && s.windowHeight == windowHeight;
    if (s.booted && !sameDevice) shutdown();
    if (!s.booted) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("ALSOFT_DRIVERS", "null", 0);
        if (!s.hookInstalled) {
            app.addAfterDraw([] {
                State& st = state();
                if (!st.capture) return;
                st.captured.rgba = platform::Application::shared().readPixels(st.captured.width, st.captured.height);
                st.capture = false;
            });
            s.hookInstalled = true;
        }
        platform::LaunchOptions options;
        options.device = device;
        options.headless = true;
        options.windowWidth = windowWidth;
        options.windowHeight = windowHeight;
        if (!app.start(options, s.delegate)) {
            std::fprintf(stderr, "EngineHarness: the platform does not start\n");
            std::abort();
        }
        s.booted = true;
        s.device = device;
        s.windowWidth = windowWidth;
        s.windowHeight = windowHeight;
    }
    resetEngine();
    return harness;
}

void EngineHarness::shutdown() {
    State& s = state();
    if (!s.booted) return;
    platform::Application::shared().stop();
    s.booted = false;
}

void EngineHarness::step(int frames) {
    for (int i = 0; i < frames; ++i) platform::Application::shared().runFrame();
}

Frame EngineHarness::frame() {
    State& s = state();
    s.capture = true;
    s.captured = {};
    step(1);
    return s.captured;
}

void writePngFile(const std::string& path, int width, int height, const std::vector<std::uint8_t>& pixels) {
    platform::writePng(path, width, height, pixels.data());
}

std::vector<std::uint8_t> solidImage(int width, int height, Rgba c) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height * 4);
    for (std::size_t i = 0; i < out.size(); i += 4) {
        out[i] = c.r;
        out[i + 1] = c.g;
        out[i + 2] = c.b;
        out[i + 3] = c.a;
    }
    return out;
}

}  // namespace testsupport
