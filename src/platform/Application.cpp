#include "platform/Application.h"

#include <GLES2/gl2.h>
#include <SDL.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <algorithm>
#include <chrono>
#include <cmath>

#include "platform/BackgroundWork.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"
#include "platform/ui/Window.h"

namespace platform {

struct Application::Native {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool vsync = false;
    std::uint64_t lastTicks = 0;   // SDL performance counter at the previous frame
    double clock = 0;              // the loop's clock in seconds
    // Wall clock minus monotonic clock, to notice the system time being set.
    double wallOffset = 0;
    double lastWallCheck = 0;
    // When a finger last moved: browsers follow a tap with mouse events of
    // their own, which must not become a second touch.
    double lastFingerEvent = -1;
};

namespace {

double monotonicSeconds() {
    return static_cast<double>(SDL_GetPerformanceCounter()) / static_cast<double>(SDL_GetPerformanceFrequency());
}

double wallSeconds() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

Application& Application::shared() {
    static Application app;
    return app;
}

bool Application::start(const LaunchOptions& options, ApplicationDelegate& delegate) {
    options_ = options;
    delegate_ = &delegate;
    markMainThread();
    beginBackgroundWork();
    if (options_.headless) SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    // Touches arrive as finger events; the mouse as mouse events. No doubles.
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_TOUCH_EVENTS, "0");
#ifdef __EMSCRIPTEN__
    // Keys typed into the page's text element are its own (it passes them on
    // as text); the game's keys are those the picture gets.
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_KEYBOARD_ELEMENT, "#canvas");
#endif
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        log("cannot start the video system: %s", SDL_GetError());
        return false;
    }
    native_ = std::make_shared<Native>();
    native_->lastTicks = SDL_GetPerformanceCounter();
    native_->wallOffset = wallSeconds() - monotonicSeconds();
    running_ = true;
    animating_ = true;
    active_ = true;
    hidden_ = false;
    frameCount_ = 0;
    exitCode_ = 0;
    if (!delegate_->didFinishLaunching()) {
        running_ = false;
        return false;
    }
    return true;
}

bool Application::createView(const ViewConfig& config) {
    if (!native_ || native_->window) return native_ && native_->window;
    const DeviceProfile& d = options_.device;
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI;
    if (!options_.headless) flags |= SDL_WINDOW_RESIZABLE;
    if (options_.fullscreen && !options_.headless) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;

    auto attempt = [&](bool honourConfig) {
        SDL_GL_ResetAttributes();
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        if (honourConfig) {
            SDL_GL_SetAttribute(SDL_GL_RED_SIZE, config.rgb565 ? 5 : 8);
            SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, config.rgb565 ? 6 : 8);
            SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, config.rgb565 ? 5 : 8);
            SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, config.depthBits);
            SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, config.samples > 0 ? 1 : 0);
            SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, config.samples);
        }
        const bool sized = options_.windowWidth > 0 && options_.windowHeight > 0;
        native_->window = SDL_CreateWindow("Number Meadow", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                           sized ? options_.windowWidth : d.widthPixels(),
                                           sized ? options_.windowHeight : d.heightPixels(), flags);
        if (!native_->window) return false;
        native_->context = SDL_GL_CreateContext(native_->window);
        if (native_->context) return true;
        SDL_DestroyWindow(native_->window);
        native_->window = nullptr;
        return false;
    };
    if (!attempt(true) && !attempt(false)) {
        log("cannot create the GL ES 2 view: %s", SDL_GetError());
        return false;
    }
    SDL_GL_MakeCurrent(native_->window, native_->context);
    // SDL starts with text input on; it is on only while a text control has the focus.
    SDL_StopTextInput();
#ifdef __EMSCRIPTEN__
    // The browser's animation-frame callback paces the loop.
    native_->vsync = true;
#else
    native_->vsync = !options_.headless && SDL_GL_SetSwapInterval(1) == 0;
#endif
    if (options_.headless) SDL_GL_SetSwapInterval(0);
    updateViewport();
    return true;
}

bool Application::hasView() const { return native_ && native_->window; }

void Application::updateViewport() {
    if (!hasView()) return;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(native_->window, &w, &h);
    const DeviceProfile& d = options_.device;
    // Scale the whole screen to fit, centred, with bars on the long side.
    double fit = std::min(static_cast<double>(w) / d.widthPixels(), static_cast<double>(h) / d.heightPixels());
    int vw = std::max(1, static_cast<int>(std::lround(d.widthPixels() * fit)));
    int vh = std::max(1, static_cast<int>(std::lround(d.heightPixels() * fit)));
    viewport_ = {(w - vw) / 2, (h - vh) / 2, vw, vh};
}

Point Application::windowToView(float x, float y) const {
    // x, y in window coordinates (top-left origin); the drawable may be
    // larger on high-density screens.
    int ww = 1, wh = 1, dw = 1, dh = 1;
    SDL_GetWindowSize(native_->window, &ww, &wh);
    SDL_GL_GetDrawableSize(native_->window, &dw, &dh);
    float px = x * dw / std::max(1, ww);
    float pyTop = y * dh / std::max(1, wh);
    float topOfViewport = static_cast<float>(dh - viewport_.y - viewport_.height);
    const DeviceProfile& d = options_.device;
    return {(px - viewport_.x) * d.widthPoints / viewport_.width,
            (pyTop - topOfViewport) * d.heightPoints / viewport_.height};
}

Point Application::viewToWindow(Point p) const {
    if (!hasView()) return p;
    int ww = 1, wh = 1, dw = 1, dh = 1;
    SDL_GetWindowSize(native_->window, &ww, &wh);
    SDL_GL_GetDrawableSize(native_->window, &dw, &dh);
    const DeviceProfile& d = options_.device;
    const float topOfViewport = static_cast<float>(dh - viewport_.y - viewport_.height);
    const float px = viewport_.x + p.x * viewport_.width / d.widthPoints;
    const float py = topOfViewport + p.y * viewport_.height / d.heightPoints;
    return {px * ww / std::max(1, dw), py * wh / std::max(1, dh)};
}

void Application::dispatch(TouchPhase phase, const TouchSet& touches) {
    if (touches.empty()) return;
    // injectTouch hands over one touch at a time: route by it.
    const Touch* touch = touches.front();
    auto owned = std::find_if(routes_.begin(), routes_.end(), [&](const auto& r) { return r.first == touch; });
    Route route = Route::Engine;
    if (phase == TouchPhase::Began) {
        ui::Window& views = ui::Window::main();
        if (views.claimsTouch(touch->locationInView())) {
            route = Route::Views;
        } else {
            // A touch anywhere else ends editing, as a tap outside a text field does.
            views.endEditing();
            route = overlayTouchHandler_ ? Route::Overlay : Route::Engine;
        }
        routes_.emplace_back(touch, route);
    } else if (owned != routes_.end()) {
        route = owned->second;
        if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled) routes_.erase(owned);
    }
    TouchHandler* handler = route == Route::Views     ? &ui::Window::main()
                            : route == Route::Overlay ? overlayTouchHandler_
                                                      : touchHandler_;
    if (!handler) return;
    switch (phase) {
        case TouchPhase::Began: handler->touchesBegan(touches); break;
        case TouchPhase::Moved: handler->touchesMoved(touches); break;
        case TouchPhase::Ended: handler->touchesEnded(touches); break;
        case TouchPhase::Cancelled: handler->touchesCancelled(touches); break;
    }
}

void Application::injectTouch(long id, TouchPhase phase, Point location) {
    auto it = std::find_if(touches_.begin(), touches_.end(), [&](const auto& t) { return t->id() == id; });
    if (phase == TouchPhase::Began) {
        if (it != touches_.end()) return;  // a second "down" of a finger already down
        touches_.push_back(std::make_unique<Touch>(id, location));
        dispatch(phase, {touches_.back().get()});
        return;
    }
    if (it == touches_.end()) return;  // moves and ends of touches we never began
    // Keep the object alive through the handlers, then forget it if it ended.
    std::unique_ptr<Touch>& touch = *it;
    touch->moveTo(location, phase);
    Touch* raw = touch.get();
    dispatch(phase, {raw});
    if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled) {
        touches_.erase(std::find_if(touches_.begin(), touches_.end(), [&](const auto& t) { return t.get() == raw; }));
    }
}

void Application::resignActive() {
    if (!active_) return;
    active_ = false;
    // A finger or button held while the window loses focus never ends.
    while (!touches_.empty()) {
        Touch* t = touches_.back().get();
        injectTouch(t->id(), TouchPhase::Cancelled, t->locationInView());
    }
    if (delegate_) delegate_->willResignActive();
}

void Application::becomeActive() {
    if (active_) return;
    active_ = true;
    if (delegate_) delegate_->didBecomeActive();
}

void Application::handleWindowEvent(const void* raw) {
    const SDL_Event& e = *static_cast<const SDL_Event*>(raw);
    switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_LOST:
            resignActive();
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            becomeActive();
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            if (delegate_) delegate_->didEnterBackground();
            break;
        case SDL_WINDOWEVENT_RESTORED:
            if (delegate_) delegate_->willEnterForeground();
            updateViewport();
            break;
        // A page or window hidden (another tab, a locked tablet) is a game
        // in the background; shown again it comes back to the front.
        case SDL_WINDOWEVENT_HIDDEN:
            if (hidden_) break;
            hidden_ = true;
            resignActive();
            if (delegate_) delegate_->didEnterBackground();
            break;
        case SDL_WINDOWEVENT_SHOWN:
            if (!hidden_) break;
            hidden_ = false;
            if (delegate_) delegate_->willEnterForeground();
            becomeActive();
            updateViewport();
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESIZED:
            updateViewport();
            break;
        default:
            break;
    }
}

void Application::handleKey(const void* raw) {
    const SDL_KeyboardEvent& k = static_cast<const SDL_Event*>(raw)->key;
    using ui::Key;
    static const std::pair<SDL_Keycode, Key> keys[] = {
        {SDLK_RETURN, Key::Return}, {SDLK_KP_ENTER, Key::Return}, {SDLK_TAB, Key::Tab},
        {SDLK_ESCAPE, Key::Escape}, {SDLK_BACKSPACE, Key::BackSpace}, {SDLK_DELETE, Key::Delete},
        {SDLK_LEFT, Key::Left},     {SDLK_RIGHT, Key::Right},         {SDLK_UP, Key::Up},
        {SDLK_DOWN, Key::Down},     {SDLK_HOME, Key::Home},           {SDLK_END, Key::End},
        {SDLK_PAGEUP, Key::PageUp}, {SDLK_PAGEDOWN, Key::PageDown},   {SDLK_a, Key::A},
        {SDLK_c, Key::C},           {SDLK_v, Key::V},                 {SDLK_x, Key::X},
        {SDLK_y, Key::Y},           {SDLK_z, Key::Z}};
    for (const auto& [code, key] : keys) {
        if (code != k.keysym.sym) continue;
        const ui::KeyModifiers mods{(k.keysym.mod & KMOD_SHIFT) != 0, (k.keysym.mod & KMOD_CTRL) != 0};
        // Letters matter only as shortcuts; typed letters arrive as text input.
        if (key >= Key::A && !mods.ctrl) return;
        ui::Window::main().keyPress(key, mods);
        return;
    }
}

void Application::pumpEvents() {
    // Mouse events this soon after a finger's are the browser's echo of it.
    constexpr double kTouchEchoSeconds = 1.0;
    auto isMouse = [this](const SDL_Event& e) {
        const SDL_TouchID which = e.type == SDL_MOUSEMOTION ? e.motion.which : e.button.which;
        return which != SDL_TOUCH_MOUSEID &&
               (native_->lastFingerEvent < 0 || native_->clock - native_->lastFingerEvent > kTouchEchoSeconds);
    };
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
            case SDL_QUIT:
                quit(0);
                break;
            case SDL_APP_LOWMEMORY:
                if (delegate_) delegate_->didReceiveMemoryWarning();
                break;
            case SDL_WINDOWEVENT:
                handleWindowEvent(&e);
                break;
            case SDL_KEYDOWN:
                if (e.key.keysym.sym == SDLK_F11 ||
                    (e.key.keysym.sym == SDLK_RETURN && (e.key.keysym.mod & KMOD_ALT))) {
                    toggleFullscreen();
                } else {
                    handleKey(&e);
                }
                break;
            case SDL_TEXTINPUT:
                ui::Window::main().insertText(e.text.text);
                break;
            case SDL_TEXTEDITING:
                ui::Window::main().setComposition(e.edit.text);
                break;
            case SDL_MOUSEWHEEL: {
                int x = 0, y = 0;
                SDL_GetMouseState(&x, &y);
                ui::Window::main().scroll(windowToView(static_cast<float>(x), static_cast<float>(y)),
                                          static_cast<float>(e.wheel.y));
                break;
            }
            case SDL_MOUSEBUTTONDOWN:
                if (e.button.button == SDL_BUTTON_LEFT && isMouse(e))
                    injectTouch(0, TouchPhase::Began, windowToView(e.button.x, e.button.y));
                break;
            case SDL_MOUSEMOTION:
                if ((e.motion.state & SDL_BUTTON_LMASK) && isMouse(e))
                    injectTouch(0, TouchPhase::Moved, windowToView(e.motion.x, e.motion.y));
                break;
            case SDL_MOUSEBUTTONUP:
                if (e.button.button == SDL_BUTTON_LEFT && isMouse(e))
                    injectTouch(0, TouchPhase::Ended, windowToView(e.button.x, e.button.y));
                break;
            case SDL_FINGERDOWN:
            case SDL_FINGERMOTION:
            case SDL_FINGERUP: {
                int ww = 1, wh = 1;
                SDL_GetWindowSize(native_->window, &ww, &wh);
                Point p = windowToView(e.tfinger.x * ww, e.tfinger.y * wh);
                long id = static_cast<long>(e.tfinger.fingerId) + 1;
                native_->lastFingerEvent = native_->clock;
                TouchPhase phase = e.type == SDL_FINGERDOWN   ? TouchPhase::Began
                                   : e.type == SDL_FINGERUP ? TouchPhase::Ended
                                                            : TouchPhase::Moved;
                injectTouch(id, phase, p);
                break;
            }
            default:
                break;
        }
    }
}

void Application::runFrame() {
    if (!running_) return;
    const double frameStart = monotonicSeconds();
    double delta = animationInterval_;
    if (hasFixedSteps()) {
        native_->clock = static_cast<double>(frameCount_) * animationInterval_;
    } else {
        double now = monotonicSeconds();
        delta = now - static_cast<double>(native_->lastTicks) / static_cast<double>(SDL_GetPerformanceFrequency());
        native_->lastTicks = SDL_GetPerformanceCounter();
        native_->clock = now;
        if (now - native_->lastWallCheck > 1.0) {
            native_->lastWallCheck = now;
            double offset = wallSeconds() - now;
            if (std::fabs(offset - native_->wallOffset) > 60 && delegate_) delegate_->significantTimeChange();
            native_->wallOffset = offset;
        }
    }

    if (hasView()) pumpEvents();
    drainMainQueue(native_->clock);
    for (auto& fn : beforeFrame_) fn();

    bool drew = false;
    if (animating_ && hasView()) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDisable(GL_SCISSOR_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glViewport(viewport_.x, viewport_.y, viewport_.width, viewport_.height);
        if (frameHandler_) frameHandler_->drawFrame(delta);
        if (overlayFrameHandler_) overlayFrameHandler_->drawFrame(delta);
        ui::Window::main().draw(native_->clock);
        for (auto& fn : afterDraw_) fn();
        SDL_GL_SwapWindow(native_->window);
        // Mesa's offscreen swap does not wait for drawing: without this,
        // queued frames pile up and memory grows without bound.
        if (options_.headless) glFinish();
        drew = true;
    }

    ++frameCount_;
    if (options_.frameLimit > 0 && frameCount_ >= options_.frameLimit) quit(exitCode_);

    // Without vsync (or while not drawing) pace the loop with a timer.
    if (!options_.headless && (!drew || !native_->vsync)) {
        double spent = monotonicSeconds() - frameStart;
        double wait = animationInterval_ - spent;
        if (wait > 0.001) SDL_Delay(static_cast<Uint32>(wait * 1000));
    }
}

void Application::stop() {
    if (!native_) return;
    // Before the delegate tears down audio and GL: requests in flight are
    // aborted, not waited out, and no worker outlives the teardown.
    endBackgroundWork();
    if (delegate_) delegate_->willTerminate();
    shutdownMainQueue();
    touches_.clear();
    routes_.clear();
    // An overlay belongs to the window that goes now.
    overlayFrameHandler_ = nullptr;
    overlayTouchHandler_ = nullptr;
    destroyWindow();
    SDL_Quit();
    native_.reset();
    running_ = false;
}

void Application::destroyWindow() {
    if (native_->context) SDL_GL_DeleteContext(native_->context);
    if (native_->window) SDL_DestroyWindow(native_->window);
    native_->context = nullptr;
    native_->window = nullptr;
}

int Application::run(const LaunchOptions& options, ApplicationDelegate& delegate) {
    if (!start(options, delegate)) {
        stop();
        return exitCode_ ? exitCode_ : 1;
    }
#ifdef __EMSCRIPTEN__
    // One frame per animation frame of the page. This never returns: the
    // caller's stack stays as it is, so what it made for the loop lives on.
    emscripten_set_main_loop_arg(
        [](void* self) {
            auto& app = *static_cast<Application*>(self);
            app.runFrame();
            if (app.running_) return;
            emscripten_cancel_main_loop();
            app.stop();
            EM_ASM({ if (Module.onGameEnd) Module.onGameEnd($0); }, app.exitCode_);
        },
        this, 0, true);
#else
    while (running_) runFrame();
#endif
    stop();
    return exitCode_;
}

void Application::quit(int exitCode) {
    exitCode_ = exitCode;
    running_ = false;
}

void Application::toggleFullscreen() {
    if (!hasView() || options_.headless) return;
    bool full = SDL_GetWindowFlags(native_->window) & SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_SetWindowFullscreen(native_->window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    updateViewport();
}

std::vector<unsigned char> Application::readPixels(int& width, int& height) const {
    width = viewport_.width;
    height = viewport_.height;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
    if (!hasView()) return pixels;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(viewport_.x, viewport_.y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    // GL reads bottom row first.
    std::size_t row = static_cast<std::size_t>(width) * 4;
    std::vector<unsigned char> line(row);
    for (int y = 0; y < height / 2; ++y) {
        unsigned char* a = pixels.data() + y * row;
        unsigned char* b = pixels.data() + (height - 1 - y) * row;
        std::copy(a, a + row, line.data());
        std::copy(b, b + row, a);
        std::copy(line.data(), line.data() + row, b);
    }
    return pixels;
}

}  // namespace platform
