// The application loop, the window with its GL ES 2 context, touches and
// lifecycle events: what the mobile platform's application object, window,
// rendering view and display link did, on SDL2.
//
// All of it runs on the main thread. The loop each frame: converts window
// events (touches, focus, minimise, quit) and hands them to the delegate and
// the touch handler, runs the main queue and due delayed calls, runs the
// frame observers (the launcher's script), asks the frame handler (the
// engine's director) to draw, and presents. Headless runs step exactly
// 1/60 s per frame and end each frame with glFinish.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform {

struct Point {
    float x = 0;
    float y = 0;
    bool operator==(const Point&) const = default;
};

enum class Idiom { Phone = 0, Pad = 1 };

// The emulated device: its idiom, its landscape screen in points and its
// content scale (pixels per point).
struct DeviceProfile {
    Idiom idiom = Idiom::Pad;
    int widthPoints = 1024;
    int heightPoints = 768;
    int scale = 1;

    static DeviceProfile tablet(int scale) { return {Idiom::Pad, 1024, 768, scale}; }
    static DeviceProfile phone(int scale) { return {Idiom::Phone, 480, 320, scale}; }
    int widthPixels() const { return widthPoints * scale; }
    int heightPixels() const { return heightPoints * scale; }
};

struct LaunchOptions {
    DeviceProfile device;
    bool headless = false;
    // Each frame advances exactly 1/60 s whatever time it took (always so
    // headless): a scripted run then plays the same frame for frame.
    bool fixedSteps = false;
    bool fullscreen = false;
    // The window's size in pixels; 0 x 0: the device's screen. The game's
    // picture is scaled to fit it, letterboxed.
    int windowWidth = 0;
    int windowHeight = 0;
    // Frames to run before quitting on its own; 0 runs until quit.
    long frameLimit = 0;
};

enum class TouchPhase { Began, Moved, Ended, Cancelled };

// One finger (or the mouse) on the screen. Locations are in view points,
// origin top-left, as the engine's convertToGL expects. The object lives from
// its touch's beginning to its end, so handlers may keep it as a key.
class Touch {
public:
    Touch(long id, Point location) : id_(id), location_(location), previous_(location) {}
    long id() const { return id_; }
    Point locationInView() const { return location_; }
    Point previousLocationInView() const { return previous_; }
    TouchPhase phase() const { return phase_; }

    void moveTo(Point p, TouchPhase phase) {
        previous_ = location_;
        location_ = p;
        phase_ = phase;
    }

private:
    long id_;
    Point location_;
    Point previous_;
    TouchPhase phase_ = TouchPhase::Began;
};

using TouchSet = std::vector<Touch*>;

// Receives touches between frames, on the main thread (the engine's touch dispatcher).
class TouchHandler {
public:
    virtual ~TouchHandler() = default;
    virtual void touchesBegan(const TouchSet& touches) = 0;
    virtual void touchesMoved(const TouchSet& touches) = 0;
    virtual void touchesEnded(const TouchSet& touches) = 0;
    virtual void touchesCancelled(const TouchSet& touches) = 0;
};

// Draws one frame into the bound default framebuffer (the engine's director).
class FrameHandler {
public:
    virtual ~FrameHandler() = default;
    // deltaSeconds: time since the previous frame (exactly 1/60 headless).
    virtual void drawFrame(double deltaSeconds) = 0;
};

// Lifecycle callbacks of the application delegate.
class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    // Called once the window and GL context exist; false ends the program.
    virtual bool didFinishLaunching() = 0;
    virtual void willResignActive() {}
    virtual void didBecomeActive() {}
    virtual void didEnterBackground() {}
    virtual void willEnterForeground() {}
    virtual void willTerminate() {}
    virtual void didReceiveMemoryWarning() {}
    virtual void significantTimeChange() {}
};

// What the rendering view asks of the GL surface. Requests the driver cannot
// meet fall back quietly to its default configuration.
struct ViewConfig {
    bool rgb565 = false;  // 16-bit colour, else 8 bits a channel
    int depthBits = 0;
    int samples = 0;  // multisampling off at 0
};

// A rectangle in window pixels, origin bottom-left as GL's viewport.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};

class Application {
public:
    static Application& shared();

    // Creates the window and context, calls the delegate's didFinishLaunching
    // and runs the loop until quit. Returns the process exit code.
    int run(const LaunchOptions& options, ApplicationDelegate& delegate);
    // Asks the loop to end after the current frame, with this exit code.
    void quit(int exitCode = 0);

    // The same in steps, for the test harness: start() creates the window
    // and calls didFinishLaunching; each runFrame() is one turn of the loop;
    // stop() tells the delegate and closes the window. run() is these three.
    bool start(const LaunchOptions& options, ApplicationDelegate& delegate);
    void runFrame();
    void stop();

    // Creates the window and its GL ES 2 context (the rendering view). Made
    // by the delegate during didFinishLaunching; until then frames are not drawn.
    bool createView(const ViewConfig& config);
    bool hasView() const;

    const DeviceProfile& device() const { return options_.device; }
    bool isHeadless() const { return options_.headless; }
    bool hasFixedSteps() const { return options_.headless || options_.fixedSteps; }
    bool isRunning() const { return running_; }
    long frameCount() const { return frameCount_; }

    // The game's screen inside the window, letterboxed to keep its aspect.
    // The engine draws its default framebuffer into this viewport.
    PixelRect viewport() const { return viewport_; }

    void setFrameHandler(FrameHandler* handler) { frameHandler_ = handler; }
    void setTouchHandler(TouchHandler* handler) { touchHandler_ = handler; }
    // Something shown over the engine's picture while it is set (a playing
    // movie): drawn after the frame handler and before the after-draw hooks,
    // so screenshots see it.
    void setOverlayFrameHandler(FrameHandler* handler) { overlayFrameHandler_ = handler; }
    // Touches that begin over a platform view (any touch while an alert
    // shows) go to the views; of the rest, while this is set, touches that
    // begin go here and not to the touch handler, so a
    // tap that skips a movie does not also reach the menu under it. A touch
    // keeps to the side that saw it begin; the rest of an overlay's touch goes
    // nowhere once the overlay is gone.
    void setOverlayTouchHandler(TouchHandler* handler) { overlayTouchHandler_ = handler; }
    // The display link: frames are drawn only while animating.
    void setAnimationInterval(double seconds) { animationInterval_ = seconds; }
    double animationInterval() const { return animationInterval_; }
    void stopAnimation() { animating_ = false; }
    void startAnimation() { animating_ = true; }
    bool isAnimating() const { return animating_; }

    // Run before each frame is drawn (the launcher's script) and after it is
    // drawn but before it is presented (screenshots).
    void addBeforeFrame(std::function<void()> fn) { beforeFrame_.push_back(std::move(fn)); }
    void addAfterDraw(std::function<void()> fn) { afterDraw_.push_back(std::move(fn)); }

    // Feeds a touch as if it came from the screen: location in view points,
    // origin top-left. Used by the launcher's script and by tests.
    void injectTouch(long id, TouchPhase phase, Point locationInView);

    void toggleFullscreen();

    // A point of the game's screen (view points, origin top-left) in the
    // window's own coordinates: the inverse of how window events are read.
    Point viewToWindow(Point p) const;

    // Reads the game's screen (the viewport) of the frame just drawn, as RGBA
    // rows top to bottom. Call from an after-draw hook.
    std::vector<unsigned char> readPixels(int& width, int& height) const;

private:
    Application() = default;
    bool createWindow();
    void destroyWindow();
    void updateViewport();
    void pumpEvents();
    void handleWindowEvent(const void* event);
    void resignActive();
    void becomeActive();
    void handleKey(const void* event);
    void dispatch(TouchPhase phase, const TouchSet& touches);
    Point windowToView(float x, float y) const;

    LaunchOptions options_;
    ApplicationDelegate* delegate_ = nullptr;
    FrameHandler* frameHandler_ = nullptr;
    TouchHandler* touchHandler_ = nullptr;
    FrameHandler* overlayFrameHandler_ = nullptr;
    TouchHandler* overlayTouchHandler_ = nullptr;
    std::vector<std::function<void()>> beforeFrame_;
    std::vector<std::function<void()>> afterDraw_;

    struct Native;
    std::shared_ptr<Native> native_;

    PixelRect viewport_;
    double animationInterval_ = 1.0 / 60.0;
    bool animating_ = true;
    bool running_ = false;
    bool active_ = true;
    bool hidden_ = false;
    int exitCode_ = 0;
    long frameCount_ = 0;
    // Touches in flight by id; the mouse is id 0, fingers their SDL id + 1.
    std::vector<std::unique_ptr<Touch>> touches_;
    // Where each of them went when it began: the platform's views, the
    // overlay, or the touch handler (the engine).
    enum class Route { Views, Overlay, Engine };
    std::vector<std::pair<const Touch*, Route>> routes_;
};

}  // namespace platform
