#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/SettingsManager.h"
#include "platform/Bundle.h"
#include "platform/Files.h"
#include "support/TempDir.h"

namespace {

class SettingsManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setDataDirectory((dir.path() / "data").string());
        platform::UserDefaults::standard().reset();
        savedResources = platform::Bundle::main().resourcePath();
        platform::Bundle::main().setResourcePath((dir.path() / "Resources").string());
        platform::Bundle::main().setPreferredLanguages({"it"});
    }
    void TearDown() override {
        platform::Bundle::main().setResourcePath(savedResources);
        platform::UserDefaults::standard().reset();
        platform::setDataDirectory("");
    }
    testsupport::TempDir dir;
    std::string savedResources;
};

const char* kDocument = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>sounds</key><dict><key>button</key><string>button.mp3</string></dict>
<key>MainMenuStrings</key><array><string>%s</string></array>
</dict></plist>)";

std::string document(const char* firstCaption) {
    char text[512];
    std::snprintf(text, sizeof text, kDocument, firstCaption);
    return text;
}

}  // namespace

TEST_F(SettingsManagerTest, FreshInstallHasSwitchesOnAndChoicesAtZero) {
    SettingsManager settings;
    EXPECT_TRUE(settings.soundEnabled());
    EXPECT_TRUE(settings.voiceEnabled());
    EXPECT_TRUE(settings.musicEnabled());
    EXPECT_EQ(settings.type(), 0);
    EXPECT_EQ(settings.difficult(), 0);
    EXPECT_EQ(settings.team(), 0);
}

TEST_F(SettingsManagerTest, AStoredNoSurvivesReRegistrationAndARestart) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SettingsManager first;
        first.setMusicEnabled(false);
        first.setTeam(1);
        raise(SIGKILL);  // the switch must already be on disk
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    platform::UserDefaults::standard().reset();
    SettingsManager restarted;  // registers the defaults again
    EXPECT_FALSE(restarted.musicEnabled());
    EXPECT_EQ(restarted.team(), 1);
    EXPECT_TRUE(restarted.soundEnabled());
}

TEST_F(SettingsManagerTest, ContentDocumentIsLocalized) {
    testsupport::writeFile(dir.path() / "Resources/data1.plist", document("Learn"));
    testsupport::writeFile(dir.path() / "Resources/it.lproj/data1.plist", document("Impara"));
    SettingsManager settings;
    EXPECT_EQ(settings.settings()["MainMenuStrings"][0].asString(), "Impara");
    EXPECT_EQ(settings.settings()["sounds"]["button"].asString(), "button.mp3");
}

TEST_F(SettingsManagerTest, MissingOrBrokenDocumentLeavesEveryLookupEmpty) {
    SettingsManager missing;
    EXPECT_TRUE(missing.settings().isNull());
    EXPECT_EQ(missing.settings()["sounds"]["button"].asString(), "");

    testsupport::writeFile(dir.path() / "Resources/data1.plist", "<plist><dict><key>oops");
    SettingsManager broken;
    EXPECT_TRUE(broken.settings().isNull());
    EXPECT_EQ(broken.settings()["MainMenuStrings"].size(), 0u);
    // Preferences still work without content.
    broken.setVoiceEnabled(false);
    EXPECT_FALSE(broken.voiceEnabled());
}
