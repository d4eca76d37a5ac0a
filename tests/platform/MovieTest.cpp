#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/Application.h"
#include "platform/Movie.h"
#include "platform/MovieView.h"
#include "platform/MovieTestFiles.h"
#include "support/TempDir.h"

using movietest::Rgb;
using platform::Movie;

namespace {

constexpr Rgb kRed{200, 30, 30};
constexpr Rgb kGreen{30, 200, 30};
constexpr Rgb kBlue{30, 30, 200};

// The colour at (x, y) of an RGBA picture, rows top first.
Rgb colourAt(const std::uint8_t* rgba, int width, int x, int y) {
    const std::uint8_t* p = rgba + (static_cast<std::size_t>(y) * width + x) * 4;
    return {p[0], p[1], p[2]};
}

// Colours survive the trip through YUV 4:2:0 within a few steps.
::testing::AssertionResult near(Rgb got, Rgb want) {
    if (std::abs(got.r - want.r) <= 12 && std::abs(got.g - want.g) <= 12 && std::abs(got.b - want.b) <= 12)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.r << ", " << got.g << ", " << got.b << ") is not near (" << want.r
                                         << ", " << want.g << ", " << want.b << ")";
}

std::string shippedLogo() { return std::string(NM_TEST_RESOURCES_DIR) + "/logo-animated-landscape-ipad.mp4"; }

}  // namespace

// Ten pictures at 10 a second: red 0-4, blue 5, 6, 8, 9 and green 7.
TEST(MovieTest, PicturesFollowTheClockAndTheLastOneEndsIt) {
    testsupport::TempDir dir;
    std::vector<Rgb> pictures = movietest::repeat(kRed, 5);
    for (Rgb c : {kBlue, kBlue, kGreen, kBlue, kBlue}) pictures.push_back(c);
    ASSERT_TRUE(movietest::writeMovie(dir / "ten.mp4", {64, 48, 10, pictures, 0}));

    auto movie = Movie::open(dir / "ten.mp4");
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->width(), 64);
    EXPECT_EQ(movie->height(), 48);
    EXPECT_FALSE(movie->hasAudio());
    EXPECT_NEAR(movie->duration(), 1.0, 0.05);
    EXPECT_EQ(movie->picture(), nullptr);

    EXPECT_TRUE(movie->showPictureAt(0, true));
    EXPECT_EQ(movie->pictureNumber(), 1);
    ASSERT_NE(movie->picture(), nullptr);
    EXPECT_TRUE(near(colourAt(movie->picture(), 64, 32, 24), kRed));
    EXPECT_EQ(movie->picture()[3], 255);
    EXPECT_FALSE(movie->showPictureAt(0.05, true));  // still the first one's time

    // A jump skips the pictures in between.
    EXPECT_TRUE(movie->showPictureAt(0.55, true));
    EXPECT_EQ(movie->pictureNumber(), 6);
    EXPECT_TRUE(near(colourAt(movie->picture(), 64, 0, 0), kBlue));
    movie->showPictureAt(0.75, true);
    EXPECT_EQ(movie->pictureNumber(), 8);
    EXPECT_TRUE(near(colourAt(movie->picture(), 64, 63, 47), kGreen));

    movie->showPictureAt(0.95, true);
    EXPECT_EQ(movie->pictureNumber(), 10);
    EXPECT_FALSE(movie->isOver(0.98));  // the last picture still has its tenth of a second
    EXPECT_TRUE(movie->isOver(1.01));
}

TEST(MovieTest, WithoutWaitingTheDecoderCatchesUp) {
    testsupport::TempDir dir;
    ASSERT_TRUE(movietest::writeMovie(dir / "five.mp4", {64, 48, 10, movietest::repeat(kGreen, 5), 0}));
    auto movie = Movie::open(dir / "five.mp4");
    ASSERT_NE(movie, nullptr);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!movie->isOver(1.0) && std::chrono::steady_clock::now() < deadline) {
        movie->showPictureAt(1.0, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(movie->isOver(1.0));
    EXPECT_EQ(movie->pictureNumber(), 5);
}

TEST(MovieTest, ClosingMidwayStopsTheDecoder) {
    testsupport::TempDir dir;
    ASSERT_TRUE(movietest::writeMovie(dir / "long.mp4", {64, 48, 10, movietest::repeat(kBlue, 40), 0}));
    // The decoder has filled its buffers and waits for one to come free.
    auto movie = Movie::open(dir / "long.mp4");
    ASSERT_NE(movie, nullptr);
    movie->showPictureAt(0.2, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    movie.reset();  // must return
}

TEST(MovieTest, FilesWithoutPicturesAreRefusedWithALogLine) {
    testsupport::TempDir dir;
    ASSERT_TRUE(movietest::writeMovie(dir / "tone.mp4", {64, 48, 10, {}, 0.5}));
    testsupport::writeFile(dir / "text.mp4", "not a movie at all");
    // A playlist naming a real movie elsewhere is no movie either: it is not followed.
    ASSERT_TRUE(movietest::writeMovie(dir / "elsewhere.mp4", {64, 48, 10, movietest::repeat(kRed, 2), 0}));
    testsupport::writeFile(dir / "playlist.mp4", "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\n" +
                                                     (dir / "elsewhere.mp4") + "\n#EXT-X-ENDLIST\n");

    for (const char* name : {"absent.mp4", "tone.mp4", "text.mp4", "playlist.mp4"}) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Movie::open(dir / name), nullptr) << name;
        std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find(dir / name), std::string::npos) << log;
    }
}

TEST(MovieTest, HugePicturesAreShownScaledDown) {
    testsupport::TempDir dir;
    ASSERT_TRUE(movietest::writeMovie(dir / "huge.mp4", {4000, 3000, 10, movietest::repeat(kGreen, 2), 0}));
    auto movie = Movie::open(dir / "huge.mp4");
    ASSERT_NE(movie, nullptr);
    EXPECT_LE(movie->width() * movie->height(), 2560 * 1600);
    EXPECT_NEAR(static_cast<double>(movie->width()) / movie->height(), 4.0 / 3, 0.01);
    movie->showPictureAt(0, true);
    ASSERT_NE(movie->picture(), nullptr);
    EXPECT_TRUE(near(colourAt(movie->picture(), movie->width(), movie->width() - 1, movie->height() - 1), kGreen));
}

TEST(MovieTest, ShippedLogoPlaysThroughWithSound) {
    auto movie = Movie::open(shippedLogo());
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->width(), 1024);
    EXPECT_EQ(movie->height(), 768);
    EXPECT_TRUE(movie->hasAudio());
    int changes = 0;
    int steps = 0;
    for (; steps < 600 && !movie->isOver(steps / 60.0); ++steps) changes += movie->showPictureAt(steps / 60.0, true);
    // 80 pictures at 25 a second, each shown for its own time.
    EXPECT_EQ(changes, 80);
    EXPECT_NEAR(steps / 60.0, 3.2, 1.0 / 60 + 1e-9);
}

// ---------------------------------------------------------------------------
// The view, over a frame of another colour on the phone's 3:2 window.

namespace {

struct Screen : platform::ApplicationDelegate, platform::FrameHandler {
    bool didFinishLaunching() override {
        auto& app = platform::Application::shared();
        if (!app.createView({})) return false;
        app.setFrameHandler(this);
        return true;
    }
    // The engine's picture: all yellow, with blending on as the engine leaves it.
    void drawFrame(double) override {
        glClearColor(1, 1, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
    }
};

struct Overlay : platform::FrameHandler {
    platform::MovieView* view = nullptr;
    bool blendAfter = false;
    GLint viewportAfter[4] = {};
    void drawFrame(double) override {
        view->draw();
        blendAfter = glIsEnabled(GL_BLEND);
        glGetIntegerv(GL_VIEWPORT, viewportAfter);
    }
};

std::vector<std::uint8_t>* captured = nullptr;

}  // namespace

TEST(MovieViewTest, PictureIsFittedIntoTheWindowOverBlack) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    auto& app = platform::Application::shared();
    Screen screen;
    platform::LaunchOptions options;
    options.headless = true;
    options.device = platform::DeviceProfile::phone(1);
    ASSERT_TRUE(app.start(options, screen));

    // A 4:3 picture of four quarters: red, green above blue, white.
    const int w = 4, h = 3;
    std::vector<std::uint8_t> rgba(w * h * 4, 255);
    auto paint = [&](int x, int y, Rgb c) {
        std::uint8_t* p = &rgba[(y * w + x) * 4];
        p[0] = static_cast<std::uint8_t>(c.r), p[1] = static_cast<std::uint8_t>(c.g), p[2] = static_cast<std::uint8_t>(c.b);
    };
    for (int y = 0; y < h; ++y) {
        paint(0, y, y < 2 ? kRed : kBlue);
        paint(1, y, y < 2 ? kRed : kBlue);
        paint(2, y, y < 2 ? kGreen : Rgb{255, 255, 255});
        paint(3, y, y < 2 ? kGreen : Rgb{255, 255, 255});
    }
    {
        platform::MovieView view;
        Overlay overlay;
        overlay.view = &view;
        app.setOverlayFrameHandler(&overlay);
        view.setPicture(w, h, rgba.data());

        static std::vector<std::uint8_t> pixels;
        static bool hooked = false;
        captured = &pixels;
        if (!hooked) {
            app.addAfterDraw([] {
                if (!captured) return;
                int cw = 0, ch = 0;
                *captured = platform::Application::shared().readPixels(cw, ch);
                captured = nullptr;
            });
            hooked = true;
        }
        app.runFrame();
        app.setOverlayFrameHandler(nullptr);

        // 480 x 320: the picture is 427 wide, centred, with black bars beside it.
        platform::PixelRect r = view.pictureRect();
        EXPECT_EQ(r.x, 26);
        EXPECT_EQ(r.y, 0);
        EXPECT_EQ(r.width, 427);
        EXPECT_EQ(r.height, 320);
        ASSERT_EQ(pixels.size(), 480u * 320 * 4);
        // Rows top first, as the screen shows them.
        auto at = [&](int x, int yTop) { return colourAt(pixels.data(), 480, x, yTop); };
        EXPECT_TRUE(near(at(10, 160), {0, 0, 0}));
        EXPECT_TRUE(near(at(470, 160), {0, 0, 0}));
        EXPECT_TRUE(near(at(60, 40), kRed));
        EXPECT_TRUE(near(at(420, 40), kGreen));
        EXPECT_TRUE(near(at(60, 300), kBlue));
        EXPECT_TRUE(near(at(420, 300), {255, 255, 255}));

        // What the engine relies on is as it left it.
        EXPECT_TRUE(overlay.blendAfter);
        platform::PixelRect vp = app.viewport();
        EXPECT_EQ(overlay.viewportAfter[2], vp.width);
        EXPECT_EQ(overlay.viewportAfter[3], vp.height);
    }
    app.stop();
}
