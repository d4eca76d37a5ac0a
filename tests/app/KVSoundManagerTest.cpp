#include <gtest/gtest.h>

#include "app/KVSoundManager.h"
#include "app/SettingsManager.h"
#include "engine/AudioTestSounds.h"
#include "engine/audio/SimpleAudioEngine.h"
#include "platform/Files.h"
#include "support/TempDir.h"

using Kind = AudioEvent::Kind;

namespace {

// A bundle of short sounds and a fresh preferences file for each test; the
// manager itself lives for the whole process, as in the game.
class KVSoundManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = platform::Bundle::main().resourcePath();
        platform::Bundle::main().setResourcePath(dir.path().string());
        for (const char* name : {"button.wav", "pop.wav", "one.m4a", "bird.mp3", "bg-music.wav", "other.wav"}) {
            audiotest::writeWav(dir.path() / name, 22050, 1, 22050,
                                [](long f, int) { return int16_t(f % 50 < 25 ? 8000 : -8000); });
        }
        platform::setDataDirectory((dir.path() / "data").string());
        platform::UserDefaults::standard().reset();
        sound = KVSoundManager::sharedManager();
        sound->stopSound();
        sound->stopVoice();
        sound->setMusicEnabled(true);
        sound->setSoundEnabled(true);
        sound->setVoiceEnabled(true);
        audio().clearHistory();
    }
    void TearDown() override {
        audio().stopBackgroundMusic();
        platform::Bundle::main().setResourcePath(saved);
        platform::UserDefaults::standard().reset();
        platform::setDataDirectory("");
    }
    static SimpleAudioEngine& audio() { return SimpleAudioEngine::sharedEngine(); }
    std::vector<AudioEvent> events(Kind kind) const {
        std::vector<AudioEvent> out;
        for (const auto& e : audio().history())
            if (e.kind == kind) out.push_back(e);
        return out;
    }

    testsupport::TempDir dir;
    std::string saved;
    KVSoundManager* sound = nullptr;
};

}  // namespace

TEST_F(KVSoundManagerTest, ANewEffectCutsOffThePreviousEvenWithEffectsOff) {
    sound->playSound("button.wav");
    std::uint32_t first = sound->soundId();
    sound->playSound("pop.wav");
    ASSERT_EQ(events(Kind::EffectStopped).size(), 1u);
    EXPECT_EQ(events(Kind::EffectStopped)[0].id, first);
    EXPECT_EQ(events(Kind::EffectStarted).back().gain, 0.5f);

    sound->setSoundEnabled(false);  // cuts off the second
    EXPECT_EQ(events(Kind::EffectStopped).size(), 2u);
    EXPECT_EQ(sound->soundId(), 0u);
    sound->playSound("button.wav");
    EXPECT_EQ(events(Kind::EffectStarted).size(), 2u);  // nothing new plays
    EXPECT_FALSE(SettingsManager::sharedManager()->soundEnabled());
}

TEST_F(KVSoundManagerTest, VoicesTakeM4aUnlessGivenAnMp3AndAreUnloadedWhenCut) {
    sound->playVoice("one");
    EXPECT_EQ(events(Kind::EffectStarted).back().file, "one.m4a");
    sound->playVoice("bird.mp3");
    EXPECT_EQ(events(Kind::EffectStarted).back().file, "bird.mp3");
    ASSERT_EQ(events(Kind::EffectUnloaded).size(), 1u);
    EXPECT_EQ(events(Kind::EffectUnloaded)[0].file, "one.m4a");

    // An effect and a voice sound together.
    sound->playSound("pop.wav");
    EXPECT_TRUE(audio().isEffectPlaying(sound->voiceId()));

    sound->setVoiceEnabled(false);
    EXPECT_EQ(sound->voiceId(), 0u);
    EXPECT_FALSE(audio().isEffectPlaying(events(Kind::EffectStarted)[1].id));
    sound->playVoice("one");
    EXPECT_EQ(events(Kind::EffectStarted).back().file, "pop.wav");
}

TEST_F(KVSoundManagerTest, MusicOffIsSilenceNotAStop) {
    sound->setBackgroundMusic("bg-music.wav");
    ASSERT_TRUE(audio().isBackgroundMusicPlaying());
    audio().clearHistory();
    sound->setMusicEnabled(false);
    EXPECT_TRUE(audio().isBackgroundMusicPlaying());
    EXPECT_EQ(audio().backgroundMusicVolume(), 0.0f);
    sound->setMusicEnabled(true);
    EXPECT_EQ(audio().backgroundMusicVolume(), 0.5f);
    EXPECT_TRUE(events(Kind::MusicStarted).empty());  // the same track goes on
    EXPECT_TRUE(events(Kind::MusicStopped).empty());
    EXPECT_TRUE(SettingsManager::sharedManager()->musicEnabled());
}

TEST_F(KVSoundManagerTest, ChangingTheTrackWithMusicOffOnlyChangesTheName) {
    sound->setMusicEnabled(false);
    audio().stopBackgroundMusic();
    audio().clearHistory();
    sound->setBackgroundMusic("other.wav");
    EXPECT_EQ(sound->backgroundMusic(), "other.wav");
    EXPECT_TRUE(events(Kind::MusicStarted).empty());
    // Playing a track switches music on, and stores that.
    sound->playBackgroundMusic("bg-music.wav");
    EXPECT_TRUE(SettingsManager::sharedManager()->musicEnabled());
    EXPECT_EQ(events(Kind::MusicStarted).back().file, "bg-music.wav");
    EXPECT_TRUE(events(Kind::MusicStarted).back().loop);
    EXPECT_EQ(audio().backgroundMusicVolume(), 0.5f);
}
