#include "engine/CCDirector.h"

#include <cstdio>

#include "engine/CCFileUtils.h"
#include "engine/CCGLView.h"
#include "engine/CCLabelBMFont.h"
#include "engine/CCLabelTTF.h"
#include "engine/CCRenderer.h"
#include "engine/CCSpriteFrame.h"
#include "engine/CCTextureCache.h"
#include "engine/CCViewPainter.h"
#include "platform/Log.h"
#include "platform/Memory.h"
#include "platform/ui/Window.h"

CCDirector* CCDirector::sharedDirector() {
    // Never destroyed: nodes released at exit may still ask it for the window size.
    static CCDirector* director = new CCDirector;
    return director;
}

// --- view and geometry ------------------------------------------------------------

void CCDirector::setView(CCGLView* view) {
    platform::Application& app = platform::Application::shared();
    if (!view) {
        if (app.hasView()) CCRenderer::shared().tearDown();
        app.setFrameHandler(nullptr);
        app.setTouchHandler(nullptr);
        platform::ui::Window::main().setPainter(nullptr);
        view_ = nullptr;
        return;
    }
    view_ = view;
    if (!CCRenderer::shared().setUp()) platform::log("CCDirector: the renderer cannot start; frames stay black");
    app.setFrameHandler(this);
    app.setTouchHandler(&touchDispatcher_);
    platform::ui::Window::main().setPainter(&CCViewPainter::shared());
    app.setAnimationInterval(animationInterval_);
    // A high-density mode asked for before the view existed applies now.
    if (contentScaleFactor_ > app.device().scale) contentScaleFactor_ = static_cast<float>(app.device().scale);
}

const platform::DeviceProfile& CCDirector::device() const { return platform::Application::shared().device(); }

CGSize CCDirector::winSize() const {
    const platform::DeviceProfile& d = device();
    return {static_cast<float>(d.widthPoints), static_cast<float>(d.heightPoints)};
}

CGSize CCDirector::winSizeInPixels() const {
    CGSize s = winSize();
    return {s.width * contentScaleFactor_, s.height * contentScaleFactor_};
}

CGPoint CCDirector::convertToGL(CGPoint uiPoint) const { return {uiPoint.x, winSize().height - uiPoint.y}; }

CGPoint CCDirector::convertToUI(CGPoint glPoint) const { return {glPoint.x, winSize().height - glPoint.y}; }

void CCDirector::setContentScaleFactor(float scale) {
    if (scale <= 0 || scale == contentScaleFactor_) return;
    contentScaleFactor_ = scale;
    CCFileUtils::sharedFileUtils()->purgeCachedEntries();
}

bool CCDirector::enableRetinaDisplay(bool enable) {
    if (!enable) {
        setContentScaleFactor(1);
        return true;
    }
    if (device().scale < 2) return false;
    setContentScaleFactor(2);
    return true;
}

bool CCDirector::deviceOrientationChanged(int orientation) {
    bool accept = delegate_ ? delegate_->shouldAutorotateToInterfaceOrientation(orientation)
                            : orientation == UIInterfaceOrientationLandscapeLeft ||
                                  orientation == UIInterfaceOrientationLandscapeRight;
    if (accept) interfaceOrientation_ = orientation;
    return accept;
}

void CCDirector::setAnimationInterval(double seconds) {
    if (seconds <= 0) return;
    animationInterval_ = seconds;
    platform::Application::shared().setAnimationInterval(seconds);
}

void CCDirector::setProjection(ccDirectorProjection projection) {
    if (projection != kCCDirectorProjection2D)
        platform::log("CCDirector: only the 2D projection is drawn; projection %d ignored", static_cast<int>(projection));
    projection_ = kCCDirectorProjection2D;
}

// --- scenes ---------------------------------------------------------------------------

void CCDirector::runWithScene(CCScene* scene) {
    if (!scene) return;
    if (runningScene_ || !scenesStack_.empty()) {
        platform::log("CCDirector: runWithScene while a scene runs; replacing it");
        replaceScene(scene);
        return;
    }
    pushScene(scene);
    startAnimation();
}

void CCDirector::pushScene(CCScene* scene) {
    if (!scene) return;
    sendCleanupToScene_ = false;
    scenesStack_.emplace_back(scene);
    nextScene_ = scene;
}

void CCDirector::popScene() {
    if (scenesStack_.empty()) return;
    scenesStack_.pop_back();
    if (scenesStack_.empty()) {
        end();
        return;
    }
    sendCleanupToScene_ = true;
    nextScene_ = scenesStack_.back();
}

void CCDirector::replaceScene(CCScene* scene) {
    if (!scene) return;
    if (scenesStack_.empty()) {
        pushScene(scene);
        return;
    }
    sendCleanupToScene_ = true;
    scenesStack_.back() = scene;
    nextScene_ = scene;
}

void CCDirector::setNextScene() {
    // Keep the outgoing scene alive through its exit: the stack may have been
    // its last owner besides runningScene_.
    Ref<CCScene> old = runningScene_;
    Ref<CCScene> next = std::move(nextScene_);
    if (old) {
        old->onExit();
        if (sendCleanupToScene_) old->cleanup();
    }
    runningScene_ = next;
    // Release a replaced scene before the new one enters, so that a scene
    // purging unused textures on entry frees the old scene's art.
    old = nullptr;
    if (next) {
        next->onEnter();
        next->onEnterTransitionDidFinish();
    }
}

// --- running ----------------------------------------------------------------------------

void CCDirector::pause() { paused_ = true; }

void CCDirector::resume() {
    if (!paused_) return;
    paused_ = false;
    // Time spent paused must not reach the actions.
    nextDeltaTimeZero_ = true;
}

void CCDirector::stopAnimation() { platform::Application::shared().stopAnimation(); }

void CCDirector::startAnimation() {
    nextDeltaTimeZero_ = true;
    platform::Application::shared().startAnimation();
}

bool CCDirector::isAnimating() const { return platform::Application::shared().isAnimating(); }

void CCDirector::end() {
    // Inside a frame the tree is being walked: tear it down once the frame is done.
    if (inFrame_)
        purgeAtFrameEnd_ = true;
    else
        purgeDirector();
}

void CCDirector::purgeDirector() {
    purgeAtFrameEnd_ = false;
    if (runningScene_) {
        runningScene_->onExit();
        runningScene_->cleanup();
    }
    runningScene_ = nullptr;
    nextScene_ = nullptr;
    scenesStack_.clear();
    statsLabel_ = nullptr;
    // Work of nodes outside the scenes, too.
    actionManager_.removeAllActions();
    scheduler_.unscheduleAll();
    touchDispatcher_.removeAllDelegates();
    stopAnimation();
    CCLabelBMFont::purgeCachedData();
    CCLabelTTF::purgeCachedData();
    CCSpriteFrameCache::sharedSpriteFrameCache()->removeSpriteFrames();
    CCTextureCache::sharedTextureCache()->removeAllTextures();
    CCFileUtils::sharedFileUtils()->purgeCachedEntries();
    setView(nullptr);
    paused_ = false;
}

void CCDirector::purgeCachedData() {
    CCLabelBMFont::purgeCachedData();
    CCLabelTTF::purgeCachedData();
    if (view_) CCTextureCache::sharedTextureCache()->removeUnusedTextures();
    CCFileUtils::sharedFileUtils()->purgeCachedEntries();
    platform::releaseFreeMemory();
}

void CCDirector::drawFrame(double deltaSeconds) {
    inFrame_ = true;
    deltaTime_ = nextDeltaTimeZero_ ? 0.0f : static_cast<float>(deltaSeconds);
    nextDeltaTimeZero_ = false;
    if (!paused_) {
        scheduler_.update(deltaTime_);
        actionManager_.update(deltaTime_);
    }
    if (nextScene_) setNextScene();
    drawScene();
    ++totalFrames_;
    inFrame_ = false;
    if (purgeAtFrameEnd_) purgeDirector();
}

void CCDirector::drawScene() {
    CCRenderer& r = CCRenderer::shared();
    if (!r.isReady()) return;
    r.resetStats();
    platform::PixelRect viewport = platform::Application::shared().viewport();
    CGSize size = winSize();
    const CGSize pixels = winSizeInPixels();
    r.setTarget({0, viewport.x, viewport.y, viewport.width, viewport.height, size.width, size.height, pixels.width,
                 pixels.height});
    // The platform starts each frame with clipping off and every channel writable.
    r.disableScissor();
    std::size_t mark = r.saveStack();
    if (runningScene_) runningScene_->visit();
    if (displayStats_) {
        statsAccumulated_ += deltaTime_;
        ++statsFrames_;
        if (!statsLabel_) {
            statsLabel_ = CCLabelTTF::labelWithString("", "Arial", 16);
            if (statsLabel_) statsLabel_->setAnchorPoint({0, 0});
        }
        if (auto* label = dynamic_cast<CCLabelTTF*>(statsLabel_.get())) {
            if (statsAccumulated_ >= 0.5) {
                char text[64];
                std::snprintf(text, sizeof text, "%.1f fps  %d draws", statsFrames_ / statsAccumulated_,
                              drawCallsLastFrame_);
                label->setString(text);
                statsAccumulated_ = 0;
                statsFrames_ = 0;
            }
            label->visit();
        }
    }
    r.restoreStack(mark);
    r.flush();
    drawCallsLastFrame_ = r.stats().drawCalls;
    quadsLastFrame_ = r.stats().quads;
}
