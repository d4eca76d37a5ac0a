#include "app/AppController.h"

#include "app/VideoPlayer.h"
#include "engine/CCFileUtils.h"
#include "engine/CCGLView.h"
#include "engine/CCTexture2D.h"
#include "engine/audio/SimpleAudioEngine.h"

AppController::AppController(std::function<Ref<CCScene>()> firstScene) : firstScene_(std::move(firstScene)) {}

AppController::~AppController() {
    window_ = nullptr;
    navController_.reset();
}

bool AppController::didFinishLaunching() {
    window_ = &platform::Application::shared();
    const platform::DeviceProfile& device = window_->device();
    CGRect bounds = CGRectMake(0, 0, static_cast<float>(device.widthPoints), static_cast<float>(device.heightPoints));

    // 16-bit colour without depth, as the art was made for; a driver that
    // cannot do it gives its default surface instead.
    Ref<CCGLView> view =
        CCGLView::viewWithFrame(bounds, kEAGLColorFormatRGB565, kCCDepthFormatNone, false, nullptr, false, 0);

    director_ = CCDirector::sharedDirector();
    director_->setWantsFullScreenLayout(true);
    director_->setDisplayStats(false);
    director_->setAnimationInterval(1.0 / 60);
    director_->setView(view.get());
    director_->setDelegate(this);
    director_->setProjection(kCCDirectorProjection2D);
    director_->enableRetinaDisplay(true);

    navController_ = std::make_unique<UINavigationController>(director_);
    navController_->setNavigationBarHidden(true);

    CCTexture2D::setDefaultAlphaPixelFormat(kCCTexture2DPixelFormat_RGBA8888);
    CCFileUtils* files = CCFileUtils::sharedFileUtils();
    files->setiPhoneRetinaDisplaySuffix("-hd");
    files->setiPadSuffix("");
    files->setiPadRetinaDisplaySuffix("-hd");
    CCTexture2D::PVRImagesHavePremultipliedAlpha(true);

    if (firstScene_) director_->pushScene(firstScene_().get());
    return true;
}

bool AppController::shouldAutorotateToInterfaceOrientation(int orientation) {
    // Every query leaves the video player turned to one of the landscapes,
    // a refused portrait one too.
    if (orientation == UIInterfaceOrientationLandscapeLeft) {
        VideoPlayer::updateOrientationWithOrientation(UIInterfaceOrientationLandscapeLeft);
        return true;
    }
    VideoPlayer::updateOrientationWithOrientation(UIInterfaceOrientationLandscapeRight);
    return orientation == UIInterfaceOrientationLandscapeRight;
}

bool AppController::engineViewOnTop() const {
    return navController_ && navController_->visibleViewController() == director_;
}

void AppController::willResignActive() {
    if (engineViewOnTop()) director_->pause();
}

void AppController::didBecomeActive() {
    if (engineViewOnTop()) director_->resume();
}

void AppController::didEnterBackground() {
    if (engineViewOnTop()) director_->stopAnimation();
}

void AppController::willEnterForeground() {
    if (engineViewOnTop()) director_->startAnimation();
}

void AppController::willTerminate() {
    // In this order: nothing may touch OpenAL once its device is closed, and
    // the movie's sound and the scenes' sounds play through it.
    VideoPlayer::end();
    CCDirector::sharedDirector()->end();
    SimpleAudioEngine::end();
}

void AppController::didReceiveMemoryWarning() { CCDirector::sharedDirector()->purgeCachedData(); }

void AppController::significantTimeChange() { CCDirector::sharedDirector()->setNextDeltaTimeZero(true); }
