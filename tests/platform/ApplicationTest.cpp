#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/Application.h"
#include "platform/MainQueue.h"

using platform::Application;
using platform::TouchPhase;

namespace {

struct Recorder : platform::ApplicationDelegate, platform::TouchHandler, platform::FrameHandler {
    std::vector<std::string> events;
    std::vector<platform::Point> locations;
    int frames = 0;
    double lastDelta = 0;

    bool didFinishLaunching() override {
        auto& app = Application::shared();
        if (!app.createView({true, 0, 0})) return false;  // 16-bit colour where the driver allows
        app.setFrameHandler(this);
        app.setTouchHandler(this);
        return true;
    }
    void willResignActive() override { events.push_back("resign"); }
    void didBecomeActive() override { events.push_back("active"); }
    void didEnterBackground() override { events.push_back("background"); }
    void willEnterForeground() override { events.push_back("foreground"); }
    void willTerminate() override { events.push_back("terminate"); }
    void record(const char* what, const platform::TouchSet& t) {
        events.push_back(what);
        locations.push_back(t[0]->locationInView());
    }
    void touchesBegan(const platform::TouchSet& t) override { record("began", t); }
    void touchesMoved(const platform::TouchSet& t) override { record("moved", t); }
    void touchesEnded(const platform::TouchSet& t) override { record("ended", t); }
    void touchesCancelled(const platform::TouchSet& t) override { record("cancelled", t); }
    void drawFrame(double dt) override {
        ++frames;
        lastDelta = dt;
    }
};

void pushWindowEvent(Uint8 what) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = what;
    SDL_PushEvent(&e);
}

void pushMouse(Uint32 type, int x, int y) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_MOUSEMOTION) {
        e.motion.x = x;
        e.motion.y = y;
        e.motion.state = SDL_BUTTON_LMASK;
    } else {
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = x;
        e.button.y = y;
    }
    SDL_PushEvent(&e);
}

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::LaunchOptions options;
        options.headless = true;
        options.device = platform::DeviceProfile::phone(2);
        ASSERT_TRUE(Application::shared().start(options, recorder));
    }
    void TearDown() override { Application::shared().stop(); }
    Recorder recorder;
};

}  // namespace

TEST_F(ApplicationTest, FixedStepsAndTheDeviceViewport) {
    auto& app = Application::shared();
    for (int i = 0; i < 3; ++i) app.runFrame();
    EXPECT_EQ(recorder.frames, 3);
    EXPECT_DOUBLE_EQ(recorder.lastDelta, 1.0 / 60.0);
    EXPECT_EQ(app.viewport().width, 960);
    EXPECT_EQ(app.viewport().height, 640);
    app.stopAnimation();
    app.runFrame();
    EXPECT_EQ(recorder.frames, 3);  // the display link is paused
    app.startAnimation();
    app.runFrame();
    EXPECT_EQ(recorder.frames, 4);
}

TEST_F(ApplicationTest, WindowEventsBecomeLifecycleCallbacks) {
    auto& app = Application::shared();
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);  // only once while inactive
    pushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    pushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    app.runFrame();
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"resign", "background", "foreground", "active"}));
    // A page hidden and shown (another tab) goes to the background and back;
    // the window's first showing is no return.
    recorder.events.clear();
    pushWindowEvent(SDL_WINDOWEVENT_SHOWN);
    pushWindowEvent(SDL_WINDOWEVENT_HIDDEN);
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    pushWindowEvent(SDL_WINDOWEVENT_SHOWN);
    app.runFrame();
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"resign", "background", "foreground", "active"}));
}

TEST_F(ApplicationTest, MouseBecomesATouchInViewPoints) {
    auto& app = Application::shared();
    // A 960x640 pixel window shows the 480x320 point phone screen.
    pushMouse(SDL_MOUSEBUTTONDOWN, 100, 40);
    pushMouse(SDL_MOUSEMOTION, 200, 80);
    pushMouse(SDL_MOUSEBUTTONUP, 200, 80);
    pushMouse(SDL_MOUSEMOTION, 300, 80);  // no button: not a touch
    app.runFrame();
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"began", "moved", "ended"}));
    ASSERT_EQ(recorder.locations.size(), 3u);
    EXPECT_EQ(recorder.locations[0], (platform::Point{50, 20}));
    EXPECT_EQ(recorder.locations[2], (platform::Point{100, 40}));
}

TEST_F(ApplicationTest, FocusLossCancelsAHeldTouch) {
    auto& app = Application::shared();
    app.injectTouch(0, TouchPhase::Began, {10, 10});
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    app.runFrame();
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"began", "cancelled", "resign"}));
    // An end for a touch that is gone is dropped.
    app.injectTouch(0, TouchPhase::Ended, {10, 10});
    EXPECT_EQ(recorder.events.size(), 3u);
}

TEST_F(ApplicationTest, HandedOverWorkRunsInTheLoop) {
    auto& app = Application::shared();
    bool ran = false;
    platform::performOnMainThread([&] { ran = true; }, false);
    app.runFrame();
    EXPECT_TRUE(ran);
}

TEST_F(ApplicationTest, AnOverlayTakesTheTouchesThatBeginOnIt) {
    auto& app = Application::shared();
    struct Overlay : platform::TouchHandler, platform::FrameHandler {
        std::vector<std::string>* events = nullptr;
        void touchesBegan(const platform::TouchSet&) override { events->push_back("overlay began"); }
        void touchesMoved(const platform::TouchSet&) override { events->push_back("overlay moved"); }
        void touchesEnded(const platform::TouchSet&) override { events->push_back("overlay ended"); }
        void touchesCancelled(const platform::TouchSet&) override { events->push_back("overlay cancelled"); }
        void drawFrame(double) override { events->push_back("overlay drawn"); }
    } overlay;
    overlay.events = &recorder.events;

    app.injectTouch(1, TouchPhase::Began, {10, 10});  // before the overlay: stays the engine's
    app.setOverlayTouchHandler(&overlay);
    app.injectTouch(2, TouchPhase::Began, {20, 20});
    app.injectTouch(1, TouchPhase::Ended, {10, 10});
    app.injectTouch(2, TouchPhase::Moved, {25, 25});
    app.injectTouch(3, TouchPhase::Began, {30, 30});
    app.injectTouch(2, TouchPhase::Ended, {25, 25});
    app.setOverlayTouchHandler(nullptr);
    app.injectTouch(3, TouchPhase::Ended, {30, 30});  // its overlay is gone: nobody hears the rest
    app.injectTouch(4, TouchPhase::Began, {40, 40});
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"began", "overlay began", "ended", "overlay moved",
                                                         "overlay began", "overlay ended", "began"}));

    // Drawn over the frame handler's picture.
    recorder.events.clear();
    app.setOverlayFrameHandler(&overlay);
    app.runFrame();
    app.setOverlayFrameHandler(nullptr);
    app.runFrame();
    EXPECT_EQ(recorder.frames, 2);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"overlay drawn"}));
}
