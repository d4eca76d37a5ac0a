// The real game killed (SIGKILL) at random moments while a script flips the
// music switch and changes the game's settings as fast as it can tap: after
// every kill the preferences file is there, reads, and holds all six values,
// each of its type and in its range; the next run starts from it, and
// clears away what an unfinished write left beside it.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "platform/PropertyList.h"
#include "support/HttpStandIn.h"
#include "support/Process.h"
#include "support/TempDir.h"

using platform::Value;

namespace {

// Phone points: the learn button, the music button of every activity, the
// back button; the game button and the centres of its menu's squares (sums,
// level, team), from the shipped scene files and the content document.
std::string flippingScript() {
    std::string s = "wait 0.1\ntap 2 2\nwait 1.1\ntap 60 38\nwait 0.5\n";
    for (int i = 0; i < 6; ++i) s += "tap 456 294\n";
    s += "tap 24 294\nwait 0.3\ntap 420 38\nwait 0.5\n";
    const int types[] = {90, 165, 240, 315, 390}, levels[] = {165, 240, 315}, teams[] = {90, 150, 210, 270, 330, 390};
    for (int round = 0; round < 200; ++round) {
        s += "tap " + std::to_string(types[round % 5]) + " 236\n";
        s += "tap " + std::to_string(levels[round % 3]) + " 163\n";
        s += "tap " + std::to_string(teams[round % 6]) + " 90\n";
    }
    return s;
}

bool isBool(const Value& v) { return v.type() == Value::Type::Boolean; }
bool inRange(const Value& v, long long top) {
    return v.type() == Value::Type::Integer && v.asInt() >= 0 && v.asInt() < top;
}

}  // namespace

TEST(PreferencesKillTest, AKilledGameAlwaysLeavesAWholePreferencesFile) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.path() / "script.txt", flippingScript() + "quit\n");
    const std::string file = dir / "data/preferences.plist";
    Value start{Value::Dictionary{}};
    for (const char* key : {"sound", "voice", "music"}) start.set(key, Value(true));
    for (const char* key : {"type", "difficult", "team"}) start.set(key, Value(0));
    ASSERT_TRUE(platform::writePropertyListFile(file, start, platform::PlistFormat::Xml));

    std::mt19937 random(7);
    int changed = 0;
    Value last = start;
    for (int kill = 0; kill < 12; ++kill) {
        testsupport::ChildProcess game({NM_TEST_EXECUTABLE, "--headless", "--device", "phone", "--window", "240x160",
                                        "--api-host", testsupport::closedHost(), "--analytics-host",
                                        testsupport::closedHost(), "--data-dir", dir / "data", "--seed",
                                        std::to_string(kill), "--script", dir / "script.txt"});
        ASSERT_TRUE(game.started());
        // Start-up and the way to the switches take about half of this.
        std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<>(400, 1600)(random)));
        game.kill(SIGKILL);

        auto stored = platform::readPropertyListFile(file);
        ASSERT_TRUE(stored && stored->isDictionary()) << "kill " << kill << ": missing or unreadable";
        const Value& p = *stored;
        EXPECT_TRUE(isBool(p["sound"]) && isBool(p["voice"]) && isBool(p["music"])) << "kill " << kill;
        EXPECT_TRUE(inRange(p["type"], 5) && inRange(p["difficult"], 3) && inRange(p["team"], 6)) << "kill " << kill;
        EXPECT_EQ(p.asDictionary().size(), 6u) << "kill " << kill;
        EXPECT_FALSE(std::filesystem::exists(file + ".unreadable")) << "kill " << kill;
        int unfinished = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path() / "data"))
            unfinished += entry.path().filename().string().rfind("preferences.plist.", 0) == 0;
        EXPECT_LE(unfinished, 1) << "kill " << kill << ": unfinished writes pile up";
        changed += !(p == last);
        last = p;
    }
    // Most kills land after some switching: the runs do write.
    EXPECT_GE(changed, 4);
}
