#include <gtest/gtest.h>

#include "platform/Image.h"
#include "platform/PropertyList.h"
#include "support/Process.h"
#include "support/TempDir.h"

using testsupport::runGame;

TEST(Launcher, HeadlessScreenshotHasTheDeviceSize) {
    testsupport::TempDir dir;
    struct Case {
        std::vector<std::string> options;
        int width, height;
    };
    for (const Case& c : {Case{{}, 1024, 768}, Case{{"--device", "phone", "--scale", "2"}, 960, 640},
                          Case{{"--device", "tablet", "--scale", "2"}, 2048, 1536},
                          // The picture scaled into a wider window, with bars at the sides.
                          Case{{"--window", "2048x1000"}, 1333, 1000}}) {
        auto options = c.options;
        options.insert(options.end(), {"--data-dir", dir.path().string(), "--seconds", "0.2", "--screenshot", dir / "s.png"});
        auto run = runGame(options);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        auto image = platform::loadImageFile(dir / "s.png");
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, c.width);
        EXPECT_EQ(image->height, c.height);
    }
}

TEST(Launcher, BadScriptsAndOptionsExitWithTwo) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.path() / "bad.txt", "wait 0.1\nfly 1 2\n");
    auto bad = runGame({"--script", dir / "bad.txt"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.output.find("line 2"), std::string::npos) << bad.output;
    EXPECT_EQ(runGame({"--device", "watch"}).exitCode, 2);
    EXPECT_EQ(runGame({"--window", "800"}).exitCode, 2);
    EXPECT_EQ(runGame({"--script", dir / "missing.txt"}).exitCode, 2);
}

// The usual conventions: --help and --version answer on stdout and exit 0,
// whatever else the command line holds; the version is the bundle's.
TEST(Launcher, HelpAndVersionPrintAndExitZero) {
    auto help = runGame({"--seconds", "1", "--help", "--bogus"});
    EXPECT_EQ(help.exitCode, 0) << help.output;
    EXPECT_EQ(help.output.rfind("usage: number-meadow", 0), 0u) << help.output;
    for (const char* option : {"--lang CODE", "--script FILE", "--help", "--version"})
        EXPECT_NE(help.output.find(option), std::string::npos) << option;
    auto info = platform::readPropertyListFile(NM_TEST_RESOURCES_DIR "/Info.plist");
    ASSERT_TRUE(info);
    auto version = runGame({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, "Number Meadow " + (*info)["CFBundleVersion"].asString() + "\n");
}

TEST(Launcher, ScriptScreenshotsAndQuits) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.path() / "s.txt", "wait 0.1\ntap 100 100\nscreenshot " + (dir / "mid.png") + "\nquit\n");
    auto run = runGame({"--data-dir", dir.path().string(), "--script", dir / "s.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(platform::loadImageFile(dir / "mid.png"));
}

// Quitting during the logo (its sound still streaming) or after it, by the
// frame limit, a script and SIGTERM, two games at a time: every run exits 0.
// scripts/exit-loop with no argument is the long version of this.
TEST(Launcher, EveryWayOfQuittingExitsCleanly) {
    setenv("NM_GAME", NM_TEST_EXECUTABLE, 1);
    auto run = testsupport::runProcess({NM_TEST_SOURCE_DIR "/scripts/exit-loop", "8"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("8 runs, 0 aborts, 0 non-zero exits"), std::string::npos) << run.output;
}
