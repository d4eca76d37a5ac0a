#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Files.h"
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
