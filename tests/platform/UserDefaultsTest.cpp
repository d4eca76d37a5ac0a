#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <random>

#include "platform/Files.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "support/TempDir.h"

using platform::UserDefaults;
using platform::Value;

namespace {

class UserDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setDataDirectory(dir.path().string());
        UserDefaults::standard().reset();
    }
    void TearDown() override {
        UserDefaults::standard().reset();
        platform::setDataDirectory("");
    }
    testsupport::TempDir dir;
};

}  // namespace

TEST_F(UserDefaultsTest, RegisteredDefaultsAnswerOnlyForKeysNeverStored) {
    auto& d = UserDefaults::standard();
    d.registerDefaults({{"sound", Value(true)}, {"type", Value(0)}});
    EXPECT_TRUE(d.boolForKey("sound"));
    d.setBool("sound", false);
    d.registerDefaults({{"sound", Value(true)}});
    EXPECT_FALSE(d.boolForKey("sound"));
    // Registration never writes: a fresh read sees only what was set.
    d.reset();
    d.registerDefaults({{"sound", Value(true)}});
    EXPECT_FALSE(d.boolForKey("sound"));
}

TEST_F(UserDefaultsTest, AChangeSurvivesAKillRightAfterItIsMade) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        UserDefaults::standard().setBool("music", false);
        UserDefaults::standard().setInteger("difficult", 2);
        raise(SIGKILL);  // no chance to flush anything on the way out
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    auto& d = UserDefaults::standard();
    d.reset();
    d.registerDefaults({{"music", Value(true)}, {"difficult", Value(0)}});
    EXPECT_FALSE(d.boolForKey("music"));
    EXPECT_EQ(d.integerForKey("difficult"), 2);
}

namespace {

// A stream of changes with a known order: change i sets key i % 6 to a value
// of round i / 6. The six values after change j are therefore known for
// every j, and they repeat every 30 rounds (2, 5, 3 and 6 values a key).
const std::array<const char*, 6> kKeys{"sound", "voice", "music", "type", "difficult", "team"};

Value valueOf(std::size_t key, long round) {
    if (key < 3) return Value(round % 2 == 0);
    const long range[] = {5, 3, 6};
    return Value(static_cast<long long>(round % range[key - 3]));
}

// The stored dictionary after changes 0..last (last = -1: before any).
Value stateAfter(long last) {
    Value state{Value::Dictionary{}};
    for (std::size_t key = 0; key < kKeys.size(); ++key) {
        // The last change of this key at or before `last`; round -1 is the starting state.
        long round = last < static_cast<long>(key) ? -1 : (last - static_cast<long>(key)) / 6;
        state.set(kKeys[key], valueOf(key, round < 0 ? 1 : round));
    }
    return state;
}

}  // namespace

// A process changing its preferences as fast as it can is killed at random
// moments, twenty times: each time the file is there, reads, and holds the
// six values of one moment of the stream, never a mix or a loss.
TEST_F(UserDefaultsTest, KillsInAStreamOfChangesLeaveTheValuesOfOneMoment) {
    std::mt19937 random(20240611);
    const std::string file = dir / "preferences.plist";
    for (int round = 0; round < 20; ++round) {
        std::filesystem::remove(file);
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            auto& d = UserDefaults::standard();
            d.reset();
            Value start = stateAfter(-1);
            for (const auto& [key, value] : start.asDictionary()) d.setObject(key, value);
            // The starting state is on disk: from here on the file must never be lost.
            if (write(ready[1], "r", 1) != 1) _exit(1);
            for (long i = 0;; ++i) d.setObject(kKeys[i % 6], valueOf(i % 6, i / 6));
        }
        close(ready[1]);
        char byte = 0;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
        // Somewhere in the first hundred or so changes, each one a write and an fsync.
        usleep(std::uniform_int_distribution<useconds_t>(0, 30000)(random));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        auto stored = platform::readPropertyListFile(file);
        ASSERT_TRUE(stored) << "kill " << round << ": the preferences file is missing or unreadable";
        bool oneMoment = false;
        for (long last = -1; last < 6 * 30 * 2 && !oneMoment; ++last) oneMoment = *stored == stateAfter(last);
        EXPECT_TRUE(oneMoment) << "kill " << round << ": values of no single moment";
    }
}

TEST_F(UserDefaultsTest, AnUnreadableFileIsSetAsideAndDefaultsApply) {
    testsupport::writeFile(dir.path() / "preferences.plist", "garbage <<<");
    auto& d = UserDefaults::standard();
    d.registerDefaults({{"voice", Value(true)}});
    EXPECT_TRUE(d.boolForKey("voice"));
    EXPECT_TRUE(platform::fileExists(dir / "preferences.plist.unreadable"));
    d.setBool("voice", false);
    d.reset();
    EXPECT_FALSE(d.boolForKey("voice"));
}

TEST_F(UserDefaultsTest, LanguagesComeFromTheLauncher) {
    auto& d = UserDefaults::standard();
    d.setLanguages({"it"});
    EXPECT_EQ(d.objectForKey("AppleLanguages")[0].asString(), "it");
}
