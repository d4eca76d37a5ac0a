// The logo video player headless: movies made by the tests (solid colours,
// so the screen tells which one shows) and the shipped logo, over a yellow
// engine scene.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "app/VideoPlayer.h"
#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCScene.h"
#include "platform/Bundle.h"
#include "platform/Files.h"
#include "platform/MainQueue.h"
#include "platform/MovieTestFiles.h"
#include "support/EngineHarness.h"
#include "support/TempDir.h"

using movietest::Rgb;
using testsupport::EngineHarness;
using testsupport::Rgba;

namespace {

constexpr Rgb kRed{200, 30, 30};
constexpr Rgb kBlue{30, 30, 200};
constexpr Rgba kYellow{255, 255, 0, 255};

struct Listener : VideoPlayerDelegate {
    std::vector<std::string> events;
    bool allOnMainThread = true;
    bool playerExistedAtStart = false;
    void movieStartsPlaying() override {
        events.push_back("starts");
        allOnMainThread = allOnMainThread && platform::isMainThread();
        playerExistedAtStart = VideoPlayer::implementation().theMovie() != nullptr;
    }
    void moviePlaybackFinished() override {
        events.push_back("finished");
        allOnMainThread = allOnMainThread && platform::isMainThread();
    }
};

bool near(Rgba got, Rgb want, int tolerance = 12) {
    return std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
           std::abs(got.b - want.b) <= tolerance;
}

class VideoPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedBundle = platform::Bundle::main().resourcePath();
        harness = &EngineHarness::boot(platform::DeviceProfile::tablet(1), bundle.path().string());
        platform::setDataDirectory((data.path()).string());
        std::filesystem::create_directories(platform::cachesDirectory());
        Ref<CCScene> scene = CCScene::node();
        scene->addChild(CCLayerColor::layerWithColor({255, 255, 0, 255}).get());
        CCDirector::sharedDirector()->runWithScene(scene.get());
        VideoPlayer::setDelegate(&listener);
    }
    void TearDown() override {
        VideoPlayer::cancelPlaying();
        VideoPlayer::setDelegate(nullptr);
        harness->step(2);  // lets late notifications find nobody
        platform::setDataDirectory("");
        platform::Bundle::main().setResourcePath(savedBundle);
    }
    static void TearDownTestSuite() { EngineHarness::shutdown(); }

    void makeMovie(const std::string& path, Rgb colour, int pictures = 30) {
        ASSERT_TRUE(movietest::writeMovie(path, {64, 48, 10, movietest::repeat(colour, pictures), 0}));
    }
    Rgba centre() { return harness->frame().at(512, 384); }
    // Steps until the delegate hears the finish; the frames it took.
    int playToTheEnd(int limit) {
        int frames = 0;
        while (frames < limit && listener.events.back() != "finished") {
            harness->step();
            ++frames;
        }
        return frames;
    }
    void tap() {
        auto& app = platform::Application::shared();
        app.injectTouch(7, platform::TouchPhase::Began, {512, 384});
        app.injectTouch(7, platform::TouchPhase::Ended, {512, 384});
    }

    testsupport::TempDir bundle;
    testsupport::TempDir data;
    std::string savedBundle;
    EngineHarness* harness = nullptr;
    Listener listener;
};

}  // namespace

TEST_F(VideoPlayerTest, ShippedLogoPlaysToItsEndOverTheEngine) {
    platform::Bundle::main().setResourcePath(NM_TEST_RESOURCES_DIR);
    auto firstPicture = platform::Movie::open(std::string(NM_TEST_RESOURCES_DIR) + "/logo-animated-landscape-ipad.mp4");
    ASSERT_NE(firstPicture, nullptr);
    firstPicture->showPictureAt(0, true);
    const std::uint8_t* p = firstPicture->picture() + (384 * 1024 + 512) * 4;

    VideoPlayer::playMovieWithFile("logo-animated-landscape-ipad.mp4");
    EXPECT_EQ(listener.events, std::vector<std::string>{"starts"});
    EXPECT_FALSE(listener.playerExistedAtStart);  // told before anything can show
    EXPECT_TRUE(VideoPlayer::implementation().isPlaying());
    ASSERT_NE(VideoPlayer::implementation().theMovie(), nullptr);
    EXPECT_TRUE(VideoPlayer::implementation().theMovie()->hasSound());

    // The movie's own first picture covers the engine's.
    EXPECT_TRUE(near(centre(), {p[0], p[1], p[2]}, 4));

    // 3.2 s at fixed 1/60 s steps, then the notification on the next turn.
    int frames = playToTheEnd(400) + 1;
    EXPECT_GE(frames, 192);
    EXPECT_LE(frames, 196);
    EXPECT_EQ(listener.events, (std::vector<std::string>{"starts", "finished"}));
    EXPECT_FALSE(VideoPlayer::implementation().isPlaying());
    EXPECT_EQ(VideoPlayer::implementation().videoOverlayView(), nullptr);
    EXPECT_EQ(centre(), kYellow);
    harness->step(10);
    EXPECT_EQ(listener.events.size(), 2u);
    EXPECT_TRUE(listener.allOnMainThread);
}

TEST_F(VideoPlayerTest, AFileInTheCachesDirectoryWinsOverTheBundle) {
    makeMovie(bundle / "intro.mp4", kBlue);
    makeMovie(platform::cachesDirectory() + "/intro.mp4", kRed);
    VideoPlayer::playMovieWithFile("intro.mp4");
    EXPECT_TRUE(near(centre(), kRed));
    VideoPlayer::cancelPlaying();

    std::filesystem::remove(platform::cachesDirectory() + "/intro.mp4");
    VideoPlayer::playMovieWithFile("intro.mp4");
    EXPECT_TRUE(near(centre(), kBlue));
    VideoPlayer::cancelPlaying();

    // Straight from the bundle, the name split at its first dot.
    makeMovie(bundle / "intro.v2.mp4", kRed);
    VideoPlayer::playMovieWithResourceFile("intro.v2.mp4");
    EXPECT_TRUE(near(centre(), kRed));
    EXPECT_EQ(listener.events, (std::vector<std::string>{"starts", "finished", "starts", "finished", "starts"}));
}

TEST_F(VideoPlayerTest, ATapCancelsTheMovieAndTheDelegateHearsItOnce) {
    makeMovie(bundle / "intro.mp4", kRed);
    VideoPlayer::playMovieWithFile("intro.mp4");
    harness->step(10);
    auto& app = platform::Application::shared();
    // A touch that is cancelled is not a tap.
    app.injectTouch(7, platform::TouchPhase::Began, {512, 384});
    app.injectTouch(7, platform::TouchPhase::Cancelled, {512, 384});
    EXPECT_TRUE(VideoPlayer::implementation().isPlaying());

    tap();  // stopping the player delivers its finish at once
    EXPECT_EQ(listener.events, (std::vector<std::string>{"starts", "finished"}));
    EXPECT_FALSE(VideoPlayer::implementation().isPlaying());
    EXPECT_EQ(VideoPlayer::implementation().theMovie(), nullptr);
    EXPECT_EQ(centre(), kYellow);
    harness->step(5);
    tap();  // no movie: a tap is the engine's again
    EXPECT_EQ(listener.events.size(), 2u);
}

TEST_F(VideoPlayerTest, ATapAfterTheEndWasAnnouncedStillFinishesOnce) {
    makeMovie(bundle / "short.mp4", kRed, 3);
    VideoPlayer::playMovieWithFile("short.mp4");
    const MoviePlayer* player = VideoPlayer::implementation().theMovie();
    ASSERT_NE(player, nullptr);
    for (int i = 0; i < 60 && !player->hasAnnouncedEnd(); ++i) harness->step();
    ASSERT_TRUE(player->hasAnnouncedEnd());
    ASSERT_EQ(listener.events, std::vector<std::string>{"starts"});  // the notification waits for the next turn

    tap();
    EXPECT_EQ(listener.events, (std::vector<std::string>{"starts", "finished"}));
    harness->step(3);
    EXPECT_EQ(listener.events, (std::vector<std::string>{"starts", "finished"}));
}

TEST_F(VideoPlayerTest, PlayingAgainFinishesTheMovieBefore) {
    makeMovie(bundle / "one.mp4", kRed, 3);
    makeMovie(bundle / "two.mp4", kBlue);
    VideoPlayer::playMovieWithFile("one.mp4");
    // The first one has just announced its end when the second one comes.
    const MoviePlayer* first = VideoPlayer::implementation().theMovie();
    for (int i = 0; i < 60 && !first->hasAnnouncedEnd(); ++i) harness->step();
    ASSERT_EQ(listener.events, std::vector<std::string>{"starts"});
    VideoPlayer::playMovieWithFile("two.mp4");
    EXPECT_EQ(listener.events, (std::vector<std::string>{"starts", "finished", "starts"}));
    // Its late notification does not end the second one.
    EXPECT_TRUE(near(centre(), kBlue));
    harness->step(5);
    EXPECT_EQ(listener.events.size(), 3u);
    EXPECT_TRUE(VideoPlayer::implementation().isPlaying());
}

TEST_F(VideoPlayerTest, OnlyTheTwoLandscapesTurnTheView) {
    makeMovie(bundle / "intro.mp4", kRed);
    VideoPlayer::updateOrientationWithOrientation(4);  // no movie: only remembered
    EXPECT_EQ(VideoPlayer::implementation().lastOrientation(), 4);

    VideoPlayer::playMovieWithFile("intro.mp4");
    const MoviePlayer* player = VideoPlayer::implementation().theMovie();
    ASSERT_NE(player, nullptr);
    // Turned at the start to the interface's orientation, landscape-right.
    EXPECT_FLOAT_EQ(player->rotation(), 1.5707964f);
    VideoPlayer::updateOrientationWithOrientation(4);
    EXPECT_FLOAT_EQ(player->rotation(), -1.5707964f);
    for (int other : {0, 1, 2, 5}) {
        VideoPlayer::updateOrientationWithOrientation(other);
        EXPECT_FLOAT_EQ(player->rotation(), -1.5707964f) << other;
    }
    VideoPlayer::updateOrientationWithOrientation(3);
    EXPECT_FLOAT_EQ(player->rotation(), 1.5707964f);
    // The desktop window is landscape already: the picture is not turned.
    EXPECT_EQ(player->view().pictureRect().width, 0);  // nothing drawn yet
    harness->step();
    platform::PixelRect shown = player->view().pictureRect();
    EXPECT_EQ(shown.width, 1024);
    EXPECT_EQ(shown.height, 768);
}

TEST_F(VideoPlayerTest, AMovieThatCannotPlayStillStartsAndFinishes) {
    testsupport::writeFile(platform::cachesDirectory() + "/broken.mp4", "not a movie");
    struct Case {
        std::function<void()> play;
        std::string logged;
    };
    std::vector<Case> cases = {
        {[] { VideoPlayer::playMovieWithFile("absent.mp4"); }, "absent.mp4"},
        {[] { VideoPlayer::playMovieWithResourceFile("logo"); }, "logo"},
        {[] { VideoPlayer::playMovieWithName("absent", "mov"); }, "absent.mov"},
        {[] { VideoPlayer::playMovieWithFile("broken.mp4"); }, "broken.mp4"},
    };
    for (const Case& c : cases) {
        listener.events.clear();
        ::testing::internal::CaptureStderr();
        c.play();
        std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find(c.logged), std::string::npos) << log;
        EXPECT_EQ(listener.events, std::vector<std::string>{"starts"}) << c.logged;
        EXPECT_TRUE(VideoPlayer::implementation().isPlaying());
        harness->step();
        EXPECT_EQ(listener.events, (std::vector<std::string>{"starts", "finished"})) << c.logged;
        EXPECT_FALSE(VideoPlayer::implementation().isPlaying());
        EXPECT_EQ(VideoPlayer::implementation().videoOverlayView(), nullptr);
    }
}

TEST_F(VideoPlayerTest, CallsFromOtherThreadsRunInTheFrameLoop) {
    VideoPlayer::setDelegate(nullptr);
    // Were the call to wait for the main thread, this join would never return.
    std::thread other([this] {
        VideoPlayer::setDelegate(&listener);
        VideoPlayer::playMovieWithFile("absent.mp4");
    });
    other.join();
    EXPECT_TRUE(listener.events.empty());
    harness->step();
    EXPECT_EQ(listener.events, std::vector<std::string>{"starts"});
    harness->step();
    EXPECT_EQ(listener.events, (std::vector<std::string>{"starts", "finished"}));
    EXPECT_TRUE(listener.allOnMainThread);
}

// On a screen (here SDL's offscreen driver, paced in real time) the pictures
// follow the sound, which keeps time even on OpenAL's null device.
TEST(VideoPlayerSoundTest, OnAScreenThePicturesFollowTheSound) {
    struct Window : platform::ApplicationDelegate {
        bool didFinishLaunching() override { return platform::Application::shared().createView({}); }
    } window;
    testsupport::TempDir dir;
    ASSERT_TRUE(movietest::writeMovie(dir / "tone.mp4", {64, 48, 10, movietest::repeat(kRed, 5), 0.5}));
    auto& app = platform::Application::shared();
    ASSERT_TRUE(app.start(platform::LaunchOptions{}, window));
    Listener listener;
    VideoPlayer::setDelegate(&listener);

    ::testing::internal::CaptureStderr();
    VideoPlayer::implementation().playMovieAtURL(dir / "tone.mp4");
    const MoviePlayer* player = VideoPlayer::implementation().theMovie();
    ASSERT_NE(player, nullptr);
    ASSERT_TRUE(player->hasSound());
    const auto started = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(); };
    bool followed = true;
    double clock = 0;
    bool steady = true;
    while (listener.events.back() != "finished" && elapsed() < 20) {
        app.runFrame();
        // The offscreen driver neither waits for vertical sync nor for the
        // drawing: without a pause, frames pile up in the renderer.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (const MoviePlayer* p = VideoPlayer::implementation().theMovie(); p && !p->hasAnnouncedEnd()) {
            followed = followed && p->followsSound();
            steady = steady && p->currentPlaybackTime() >= clock;
            clock = p->currentPlaybackTime();
        }
    }
    std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(listener.events, (std::vector<std::string>{"starts", "finished"}));
    EXPECT_TRUE(followed);
    EXPECT_TRUE(steady);
    EXPECT_EQ(log.find("lags"), std::string::npos) << log;
    // It ended with its sound, which plays in real time.
    EXPECT_GE(elapsed(), 0.45);
    VideoPlayer::setDelegate(nullptr);
    app.stop();
}
