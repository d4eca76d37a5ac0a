// The director: the one object that runs scenes. It owns the running scene
// and the scene stack, draws a frame each time the platform's frame loop
// asks, and holds the process-wide settings (window size in points, content
// scale, projection, frame interval).
//
// A frame: unless paused, the scheduled updates run, then the actions are
// stepped; then a scene change asked for takes effect (the outgoing tree gets
// onExit, and cleanup when it is replaced, the incoming one onEnter); then
// the running scene is drawn. Touches arrive between frames, through the
// touch dispatcher.
#pragma once

#include <string>
#include <vector>

#include "engine/CCActionManager.h"
#include "engine/CCObject.h"
#include "engine/CCScene.h"
#include "engine/CCScheduler.h"
#include "engine/CCTouchDispatcher.h"
#include "engine/ccTypes.h"
#include "platform/Application.h"

class CCGLView;

enum ccDirectorProjection {
    kCCDirectorProjection2D = 0,
    kCCDirectorProjection3D = 1,
    kCCDirectorProjectionCustom = 2,
    kCCDirectorProjectionDefault = kCCDirectorProjection3D,
};

// The platform's interface orientations.
enum UIInterfaceOrientation {
    UIInterfaceOrientationPortrait = 1,
    UIInterfaceOrientationPortraitUpsideDown = 2,
    UIInterfaceOrientationLandscapeRight = 3,
    UIInterfaceOrientationLandscapeLeft = 4,
};

class CCDirectorDelegate {
public:
    virtual ~CCDirectorDelegate() = default;
    virtual bool shouldAutorotateToInterfaceOrientation(int orientation) = 0;
};

class CCDirector : public platform::FrameHandler {
public:
    static CCDirector* sharedDirector();

    // --- view and geometry ---
    // Binds the director to the rendering view: GL set-up, the platform's
    // frame loop calls drawFrame and its touches reach the touch dispatcher
    // from now on. Null detaches it.
    void setView(CCGLView* view);
    CCGLView* view() const { return view_.get(); }
    // The screen in points (landscape) and in pixels.
    CGSize winSize() const;
    CGSize winSizeInPixels() const;
    // View points (origin top-left) to the engine's (origin bottom-left), and back.
    CGPoint convertToGL(CGPoint uiPoint) const;
    // A touch's location in the engine's points.
    CGPoint convertTouchToGL(const platform::Touch* touch) const {
        return convertToGL(CGPoint{touch->locationInView().x, touch->locationInView().y});
    }
    CGPoint convertToUI(CGPoint glPoint) const;
    float contentScaleFactor() const { return contentScaleFactor_; }
    void setContentScaleFactor(float scale);
    // Turns on the device's high-density mode; false (and scale 1) when the
    // device has none.
    bool enableRetinaDisplay(bool enable);
    bool isRetinaDisplay() const { return contentScaleFactor_ == 2; }
    // The emulated device (idiom, points, scale), from the platform.
    const platform::DeviceProfile& device() const;

    int interfaceOrientation() const { return interfaceOrientation_; }
    // The platform's report of a device rotation: the delegate decides.
    bool deviceOrientationChanged(int orientation);

    void setDelegate(CCDirectorDelegate* delegate) { delegate_ = delegate; }
    CCDirectorDelegate* delegate() const { return delegate_; }
    void setWantsFullScreenLayout(bool wants) { wantsFullScreenLayout_ = wants; }
    bool wantsFullScreenLayout() const { return wantsFullScreenLayout_; }
    void setAnimationInterval(double seconds);
    double animationInterval() const { return animationInterval_; }
    void setDisplayStats(bool show) { displayStats_ = show; }
    bool displayStats() const { return displayStats_; }
    // Only the 2D (orthographic) projection is drawn; asking for another logs
    // and keeps 2D.
    void setProjection(ccDirectorProjection projection);
    ccDirectorProjection projection() const { return projection_; }

    // --- engine services ---
    CCScheduler* scheduler() { return &scheduler_; }
    CCActionManager* actionManager() { return &actionManager_; }
    CCTouchDispatcher* touchDispatcher() { return &touchDispatcher_; }

    // --- scenes ---
    CCScene* runningScene() const { return runningScene_.get(); }
    void runWithScene(CCScene* scene);
    // The first scene, or a scene over the running one (which stays in the stack).
    void pushScene(CCScene* scene);
    void popScene();
    // Swaps the running scene; the old one is cleaned up and released.
    void replaceScene(CCScene* scene);
    std::size_t sceneCount() const { return scenesStack_.size(); }

    // --- running ---
    void pause();
    void resume();
    bool isPaused() const { return paused_; }
    void stopAnimation();
    void startAnimation();
    bool isAnimating() const;
    // Tears down the scenes, every action, update and touch delegate, the
    // caches and the view (at exit).
    void end();
    // Drops bitmap-font configurations, textures no node uses and cached file
    // look-ups, and gives the memory freed back to the system.
    void purgeCachedData();
    void setNextDeltaTimeZero(bool zero) { nextDeltaTimeZero_ = zero; }
    bool nextDeltaTimeZero() const { return nextDeltaTimeZero_; }
    // The delta time of the frame being drawn (or last drawn), seconds.
    float deltaTime() const { return deltaTime_; }
    unsigned long totalFrames() const { return totalFrames_; }

    // platform::FrameHandler: one frame, into the platform's viewport.
    void drawFrame(double deltaSeconds) override;
    // Draws the running scene into the default framebuffer without ticking time.
    void drawScene();

    // Draw calls and quads of the last frame.
    int drawCallsLastFrame() const { return drawCallsLastFrame_; }
    long quadsLastFrame() const { return quadsLastFrame_; }

private:
    CCDirector() = default;
    void setNextScene();
    void purgeDirector();

    CCScheduler scheduler_;
    CCActionManager actionManager_;
    CCTouchDispatcher touchDispatcher_;
    Ref<CCGLView> view_;
    Ref<CCScene> runningScene_;
    Ref<CCScene> nextScene_;
    std::vector<Ref<CCScene>> scenesStack_;
    bool sendCleanupToScene_ = false;
    CCDirectorDelegate* delegate_ = nullptr;
    float contentScaleFactor_ = 1;
    int interfaceOrientation_ = UIInterfaceOrientationLandscapeRight;
    bool wantsFullScreenLayout_ = false;
    double animationInterval_ = 1.0 / 60;
    bool displayStats_ = false;
    ccDirectorProjection projection_ = kCCDirectorProjection2D;
    bool paused_ = false;
    bool nextDeltaTimeZero_ = false;
    bool inFrame_ = false;
    bool purgeAtFrameEnd_ = false;
    float deltaTime_ = 0;
    unsigned long totalFrames_ = 0;
    int drawCallsLastFrame_ = 0;
    long quadsLastFrame_ = 0;
    Ref<CCNode> statsLabel_;
    double statsAccumulated_ = 0;
    int statsFrames_ = 0;
};

// The process-wide content scale factor (points to pixels).
inline float CC_CONTENT_SCALE_FACTOR() { return CCDirector::sharedDirector()->contentScaleFactor(); }
