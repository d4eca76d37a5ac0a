#include <gtest/gtest.h>

#include "app/AppController.h"
#include "app/VideoPlayer.h"
#include "engine/CCFileUtils.h"

namespace {

class AppControllerTest : public ::testing::Test {
protected:
    void launch(const platform::DeviceProfile& device) {
        platform::LaunchOptions options;
        options.headless = true;
        options.device = device;
        ASSERT_TRUE(platform::Application::shared().start(options, app));
    }
    void TearDown() override { platform::Application::shared().stop(); }

    int scenesMade = 0;
    AppController app{[this] {
        ++scenesMade;
        return CCScene::node();
    }};
};

}  // namespace

TEST_F(AppControllerTest, StartUpConfiguresTheDirectorAndPushesTheFirstScene) {
    launch(platform::DeviceProfile::tablet(2));
    CCDirector* director = app.director();
    ASSERT_NE(director, nullptr);
    EXPECT_EQ(scenesMade, 1);
    platform::Application::shared().runFrame();
    EXPECT_NE(director->runningScene(), nullptr);
    EXPECT_EQ(director->contentScaleFactor(), 2);  // retina asked for and available
    EXPECT_EQ(director->projection(), kCCDirectorProjection2D);
    EXPECT_DOUBLE_EQ(director->animationInterval(), 1.0 / 60);
    EXPECT_FALSE(director->displayStats());
    EXPECT_EQ(CCFileUtils::sharedFileUtils()->iPadSuffix(), "");
    EXPECT_EQ(CCFileUtils::sharedFileUtils()->iPadRetinaDisplaySuffix(), "-hd");
    EXPECT_EQ(CCFileUtils::sharedFileUtils()->iPhoneRetinaDisplaySuffix(), "-hd");
}

TEST_F(AppControllerTest, OnlyLandscapeOrientationsAreAccepted) {
    launch(platform::DeviceProfile::phone(1));
    EXPECT_TRUE(app.shouldAutorotateToInterfaceOrientation(3));
    EXPECT_TRUE(app.shouldAutorotateToInterfaceOrientation(4));
    EXPECT_FALSE(app.shouldAutorotateToInterfaceOrientation(1));
    EXPECT_FALSE(app.shouldAutorotateToInterfaceOrientation(2));
    EXPECT_EQ(app.director()->contentScaleFactor(), 1);  // no high-density screen
}

TEST_F(AppControllerTest, LifecycleReachesTheDirectorOnlyWhileItsViewIsOnTop) {
    launch(platform::DeviceProfile::tablet(1));
    CCDirector* director = app.director();
    int other = 0;
    app.navController()->pushViewController(&other);
    app.willResignActive();
    EXPECT_FALSE(director->isPaused());
    app.didEnterBackground();
    EXPECT_TRUE(director->isAnimating());
    app.navController()->popViewController();

    app.willResignActive();
    EXPECT_TRUE(director->isPaused());
    app.didEnterBackground();
    EXPECT_FALSE(director->isAnimating());
    app.willEnterForeground();
    app.didBecomeActive();
    EXPECT_TRUE(director->isAnimating());
    EXPECT_FALSE(director->isPaused());

    app.significantTimeChange();
    EXPECT_TRUE(director->nextDeltaTimeZero());
}

TEST_F(AppControllerTest, EveryRotationQueryLeavesTheVideoPlayerInALandscape) {
    launch(platform::DeviceProfile::tablet(1));
    VideoPlayerImplDesktop& player = VideoPlayer::implementation();
    EXPECT_TRUE(app.shouldAutorotateToInterfaceOrientation(4));
    EXPECT_EQ(player.lastOrientation(), 4);
    EXPECT_FALSE(app.shouldAutorotateToInterfaceOrientation(1));
    EXPECT_EQ(player.lastOrientation(), 3);  // refused, and still landscape-right
    app.shouldAutorotateToInterfaceOrientation(4);
    EXPECT_FALSE(app.shouldAutorotateToInterfaceOrientation(2));
    EXPECT_EQ(player.lastOrientation(), 3);
    app.shouldAutorotateToInterfaceOrientation(4);
    EXPECT_TRUE(app.shouldAutorotateToInterfaceOrientation(3));
    EXPECT_EQ(player.lastOrientation(), 3);
}
