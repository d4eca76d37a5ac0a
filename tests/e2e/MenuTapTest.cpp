// A scripted tap on the first scene's button reaches the button's callback
// through the launcher, the platform, the touch dispatcher and the menu.
#include <gtest/gtest.h>

#include "support/Process.h"
#include "support/TempDir.h"

using testsupport::runGame;

TEST(MenuTap, AScriptedTapOnTheFirstScenesButtonRunsItsCallback) {
    testsupport::TempDir dir;
    const std::string line = "first scene: button tapped";
    // The button fills 200 x 100 points around the window's centre.
    testsupport::writeFile(dir.path() / "tap.txt",
                           "wait 0.1\ntap 512 384\nwait 0.1\ndown 420 340\nmove 900 700\nup 900 700\nquit\n");
    auto run = runGame({"--data-dir", dir.path().string(), "--script", dir / "tap.txt"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::size_t first = run.output.find(line);
    EXPECT_NE(first, std::string::npos) << run.output;
    // A touch dragged off the button before it is let go does not press it.
    EXPECT_EQ(run.output.find(line, first + 1), std::string::npos) << run.output;

    testsupport::writeFile(dir.path() / "miss.txt", "wait 0.1\ntap 100 100\nwait 0.1\nquit\n");
    auto miss = runGame({"--data-dir", dir.path().string(), "--script", dir / "miss.txt"});
    ASSERT_EQ(miss.exitCode, 0) << miss.output;
    EXPECT_EQ(miss.output.find(line), std::string::npos) << miss.output;
}
