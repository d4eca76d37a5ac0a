// The audio facade on every output the game may end up with (OpenAL Soft's
// null back-end, OpenAL mixing to nowhere on our clock, the silent output):
// ids, cut-offs, the voice pool, the sample cache, the music track and the
// recorder must behave the same on each.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "AudioTestSounds.h"
#include "engine/audio/SimpleAudioEngine.h"
#include "engine/audio/null/NullOutput.h"
#include "engine/audio/openal/OpenAlOutput.h"
#include "platform/Bundle.h"

using namespace audiotest;
using Kind = AudioEvent::Kind;

namespace {

enum class OutputKind { NullDriver, PacedLoopback, Silent };

std::unique_ptr<audio::Output> makeOutput(OutputKind kind) {
    useNullDriver();
    switch (kind) {
    case OutputKind::NullDriver:
        return audio::openal::openDevice();
    case OutputKind::PacedLoopback:
        return audio::openal::openPacedLoopback();
    case OutputKind::Silent:
        return audio::null::openOutput();
    }
    return nullptr;
}

void PrintTo(OutputKind kind, std::ostream* os) {
    *os << (kind == OutputKind::NullDriver ? "OpenAL null driver" : kind == OutputKind::PacedLoopback ? "OpenAL loopback" : "silent");
}

// Waits (up to a generous limit, for a loaded machine) until pred holds.
template <class Pred>
bool eventually(Pred pred, double seconds = 10) {
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class AudioEngine : public ::testing::TestWithParam<OutputKind> {
protected:
    void SetUp() override {
        auto output = makeOutput(GetParam());
        ASSERT_TRUE(output) << "the output cannot open";
        engine_ = std::make_unique<SimpleAudioEngine>(std::move(output));
        writeTone(bundle_ / "long.wav", 4.0);
        writeTone(bundle_ / "short.wav", 0.05);
        bundle_.copyFixture("tone.mp3");
        bundle_.copyFixture("tone.m4a");
        testsupport::writeFile(bundle_ / "broken.mp3", "ID3 but then nothing of the kind");
        testsupport::writeFile(bundle_ / "empty.wav", "");
    }

    const AudioEvent& last() const { return engine_->history().back(); }
    std::vector<Kind> kinds() const {
        std::vector<Kind> k;
        for (const AudioEvent& e : engine_->history()) {
            k.push_back(e.kind);
        }
        return k;
    }

    TempBundle bundle_;
    std::unique_ptr<SimpleAudioEngine> engine_;
};

TEST_P(AudioEngine, EffectsGetFreshIdsAndSoundTogether) {
    uint32_t a = engine_->playEffect("long.wav", 1.0f, 0.0f, 0.5f);
    uint32_t b = engine_->playEffect("tone.mp3", 1.5f, -0.5f, 1.0f);
    uint32_t c = engine_->playEffect("tone.m4a");
    for (uint32_t id : {a, b, c}) {
        EXPECT_NE(id, 0u);
        EXPECT_NE(id, SimpleAudioEngine::kNoSource);
        EXPECT_TRUE(engine_->isEffectPlaying(id));
    }
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    EXPECT_NE(a, c);

    ASSERT_EQ(engine_->history().size(), 3u);
    const AudioEvent& first = engine_->history()[0];
    EXPECT_EQ(first.kind, Kind::EffectStarted);
    EXPECT_EQ(first.id, a);
    EXPECT_EQ(first.file, "long.wav");
    EXPECT_TRUE(first.loaded);
    EXPECT_EQ(first.pitch, 1.0f);
    EXPECT_EQ(first.pan, 0.0f);
    EXPECT_EQ(first.gain, 0.5f);
    EXPECT_EQ(engine_->history()[1].pan, -0.5f);
    EXPECT_EQ(first.describe(), "effect " + std::to_string(a) + " started long.wav pitch 1 pan 0 gain 0.5");
}

TEST_P(AudioEngine, AFileThatCannotLoadGivesTheNoSourceIdAndStoppingItIsHarmless) {
    uint32_t playing = engine_->playEffect("long.wav");
    for (const char* file : {"missing.wav", "broken.mp3", "empty.wav", ""}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(engine_->playEffect(file), SimpleAudioEngine::kNoSource);
        EXPECT_EQ(last().kind, Kind::EffectStarted);
        EXPECT_EQ(last().id, SimpleAudioEngine::kNoSource);
        EXPECT_FALSE(last().loaded);
        engine_->stopEffect(SimpleAudioEngine::kNoSource);
        EXPECT_EQ(last().kind, Kind::EffectStopped);
        EXPECT_FALSE(last().cutOff);
    }
    EXPECT_EQ(engine_->playEffect("missing.wav"), SimpleAudioEngine::kNoSource);  // again, still nothing
    EXPECT_FALSE(engine_->isEffectPlaying(SimpleAudioEngine::kNoSource));
    EXPECT_TRUE(engine_->isEffectPlaying(playing));
}

TEST_P(AudioEngine, StopCutsOffOnlyItsOwnSound) {
    uint32_t a = engine_->playEffect("long.wav");
    uint32_t b = engine_->playEffect("long.wav");
    engine_->stopEffect(a);
    EXPECT_FALSE(engine_->isEffectPlaying(a));
    EXPECT_TRUE(engine_->isEffectPlaying(b));
    EXPECT_EQ(last().kind, Kind::EffectStopped);
    EXPECT_EQ(last().id, a);
    EXPECT_EQ(last().file, "long.wav");
    EXPECT_TRUE(last().cutOff);
    EXPECT_FALSE(last().displaced);

    engine_->stopEffect(a);  // twice: nothing left to cut
    EXPECT_FALSE(last().cutOff);
    engine_->stopEffect(0);
    engine_->stopEffect(123456);
    EXPECT_FALSE(last().cutOff);
    EXPECT_TRUE(engine_->isEffectPlaying(b));
}

// The sound manager keeps the id of its last effect and stops it before the
// next one, long after it may have ended: an old id must never reach a newer
// sound that happens to use the same voice.
TEST_P(AudioEngine, AnOldIdNeverStopsALaterSound) {
    uint32_t old = engine_->playEffect("short.wav");
    ASSERT_TRUE(eventually([&] { return !engine_->isEffectPlaying(old); }));
    std::vector<uint32_t> later;
    for (int i = 0; i < 40; ++i) {  // more than the voices, so every voice is reused
        later.push_back(engine_->playEffect("long.wav"));
    }
    engine_->stopEffect(old);
    EXPECT_FALSE(last().cutOff);
    EXPECT_TRUE(engine_->isEffectPlaying(later.back()));
}

TEST_P(AudioEngine, EffectsEndByThemselves) {
    uint32_t id = engine_->playEffect("short.wav");
    EXPECT_TRUE(eventually([&] { return !engine_->isEffectPlaying(id); }));
    engine_->stopEffect(id);
    EXPECT_FALSE(last().cutOff);
}

TEST_P(AudioEngine, WhenEveryVoiceIsBusyTheOldestMakesWay) {
    std::vector<uint32_t> ids;
    for (int i = 0; i < 33; ++i) {
        ids.push_back(engine_->playEffect("long.wav"));
    }
    // The pool has 32 voices on every output.
    EXPECT_FALSE(engine_->isEffectPlaying(ids[0]));
    for (size_t i = 1; i < ids.size(); ++i) {
        EXPECT_TRUE(engine_->isEffectPlaying(ids[i])) << i;
    }
    const auto& h = engine_->history();
    ASSERT_GE(h.size(), 2u);
    const AudioEvent& cut = h[h.size() - 2];
    EXPECT_EQ(cut.kind, Kind::EffectStopped);
    EXPECT_EQ(cut.id, ids[0]);
    EXPECT_TRUE(cut.cutOff);
    EXPECT_TRUE(cut.displaced);
    EXPECT_EQ(last().id, ids.back());

    // A stopped voice is free again: the next effect cuts nobody off.
    engine_->stopEffect(ids[5]);
    engine_->clearHistory();
    engine_->playEffect("long.wav");
    EXPECT_EQ(kinds(), std::vector<Kind>{Kind::EffectStarted});
    EXPECT_TRUE(engine_->isEffectPlaying(ids[1]));
}

TEST_P(AudioEngine, SamplesAreCachedUntilUnloaded) {
    // The file is read once: removed from disk it still plays from the cache.
    uint32_t first = engine_->playEffect("long.wav");
    std::filesystem::remove(bundle_ / "long.wav");
    uint32_t second = engine_->playEffect("long.wav");
    EXPECT_NE(second, SimpleAudioEngine::kNoSource);

    // Unloading lets the sounds that play it go on to their end...
    engine_->unloadEffect("long.wav");
    EXPECT_EQ(last().kind, Kind::EffectUnloaded);
    EXPECT_TRUE(last().loaded);
    EXPECT_TRUE(engine_->isEffectPlaying(first));
    EXPECT_TRUE(engine_->isEffectPlaying(second));
    // ...and the next play reads the file again.
    EXPECT_EQ(engine_->playEffect("long.wav"), SimpleAudioEngine::kNoSource);
    engine_->stopEffect(first);
    EXPECT_TRUE(last().cutOff);

    engine_->unloadEffect("never-played.wav");
    EXPECT_FALSE(last().loaded);
}

TEST_P(AudioEngine, AFailedLoadIsRememberedUntilUnloaded) {
    EXPECT_EQ(engine_->playEffect("later.wav"), SimpleAudioEngine::kNoSource);
    writeTone(bundle_ / "later.wav", 1.0);
    EXPECT_EQ(engine_->playEffect("later.wav"), SimpleAudioEngine::kNoSource);
    engine_->unloadEffect("later.wav");
    EXPECT_NE(engine_->playEffect("later.wav"), SimpleAudioEngine::kNoSource);
}

TEST_P(AudioEngine, ParametersOutOfRangeAreClamped) {
    uint32_t id = engine_->playEffect("long.wav", 0.0f, std::nanf(""), 3.0f);
    EXPECT_TRUE(engine_->isEffectPlaying(id));
    EXPECT_EQ(last().pitch, 1.0f / 16);
    EXPECT_EQ(last().pan, 0.0f);
    EXPECT_EQ(last().gain, 1.0f);
    engine_->playEffect("long.wav", 100.0f, -7.0f, -1.0f);
    EXPECT_EQ(last().pitch, 16.0f);
    EXPECT_EQ(last().pan, -1.0f);
    EXPECT_EQ(last().gain, 0.0f);
}

TEST_P(AudioEngine, TheRecorderKeepsTheLatestEventsOnly) {
    const std::size_t many = 5 * SimpleAudioEngine::kHistoryKept;
    for (std::size_t i = 0; i < many; ++i) engine_->setBackgroundMusicVolume(static_cast<float>(i % 100) / 100);
    EXPECT_GE(engine_->history().size(), SimpleAudioEngine::kHistoryKept);
    EXPECT_LE(engine_->history().size(), 2 * SimpleAudioEngine::kHistoryKept);
    EXPECT_EQ(last().volume, static_cast<float>((many - 1) % 100) / 100);
}

TEST_P(AudioEngine, LocalizedVoicesAreFoundInTheLanguageFolder) {
    writeTone(bundle_ / "it.lproj/uno.wav", 0.5);
    platform::Bundle::main().setPreferredLanguages({"it"});
    EXPECT_NE(engine_->playEffect("uno.wav"), SimpleAudioEngine::kNoSource);
    engine_->playBackgroundMusic("uno.wav");
    EXPECT_TRUE(engine_->isBackgroundMusicPlaying());
}

TEST_P(AudioEngine, OneMusicTrackAtATime) {
    engine_->playBackgroundMusic("tone.mp3");
    EXPECT_TRUE(engine_->isBackgroundMusicPlaying());
    EXPECT_EQ(last().kind, Kind::MusicStarted);
    EXPECT_TRUE(last().loop);  // background music loops unless told otherwise
    EXPECT_TRUE(last().loaded);

    engine_->playBackgroundMusic("tone.m4a", false);
    EXPECT_TRUE(engine_->isBackgroundMusicPlaying());
    const auto& h = engine_->history();
    ASSERT_EQ(h.size(), 3u);
    EXPECT_EQ(h[1].kind, Kind::MusicStopped);
    EXPECT_EQ(h[1].file, "tone.mp3");
    EXPECT_TRUE(h[1].cutOff);
    EXPECT_TRUE(h[1].displaced);
    EXPECT_EQ(h[2].file, "tone.m4a");
    EXPECT_FALSE(h[2].loop);

    engine_->stopBackgroundMusic();
    EXPECT_FALSE(engine_->isBackgroundMusicPlaying());
    EXPECT_EQ(last().kind, Kind::MusicStopped);
    EXPECT_EQ(last().file, "tone.m4a");
    EXPECT_TRUE(last().cutOff);
    EXPECT_FALSE(last().displaced);

    engine_->stopBackgroundMusic();  // nothing to stop
    EXPECT_EQ(last().file, "");
    EXPECT_FALSE(last().cutOff);
}

TEST_P(AudioEngine, MusicThatCannotLoadIsSilenceAndStillReplacesTheTrack) {
    engine_->playBackgroundMusic("long.wav");
    for (const char* file : {"missing.mp3", "broken.mp3", "empty.wav", ""}) {
        SCOPED_TRACE(file);
        engine_->playBackgroundMusic(file);
        EXPECT_FALSE(engine_->isBackgroundMusicPlaying());
        EXPECT_EQ(last().kind, Kind::MusicStarted);
        EXPECT_FALSE(last().loaded);
    }
    EXPECT_EQ(engine_->history()[1].kind, Kind::MusicStopped);
    EXPECT_EQ(engine_->history()[1].file, "long.wav");
    engine_->stopBackgroundMusic();
    EXPECT_FALSE(last().cutOff);
}

TEST_P(AudioEngine, ATrackThatDoesNotLoopEndsAndALoopingOneGoesOn) {
    engine_->playBackgroundMusic("short.wav", false);
    EXPECT_TRUE(eventually([&] { return !engine_->isBackgroundMusicPlaying(); }));
    engine_->stopBackgroundMusic();
    EXPECT_EQ(last().file, "short.wav");
    EXPECT_FALSE(last().cutOff);  // it had ended already

    engine_->playBackgroundMusic("short.wav", true);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // six times its length
    EXPECT_TRUE(engine_->isBackgroundMusicPlaying());
}

TEST_P(AudioEngine, MusicVolumeIsClampedRecordedAndKeptForLaterTracks) {
    EXPECT_EQ(engine_->backgroundMusicVolume(), 1.0f);
    engine_->setBackgroundMusicVolume(2.0f);
    EXPECT_EQ(last().kind, Kind::MusicVolume);
    EXPECT_EQ(last().volume, 1.0f);
    engine_->setBackgroundMusicVolume(-1.0f);
    EXPECT_EQ(last().volume, 0.0f);
    engine_->setBackgroundMusicVolume(0.5f);
    engine_->playBackgroundMusic("tone.mp3");
    EXPECT_EQ(engine_->backgroundMusicVolume(), 0.5f);
    engine_->setBackgroundMusicVolume(0.0f);
    EXPECT_TRUE(engine_->isBackgroundMusicPlaying());  // silent is still playing
    EXPECT_EQ(last().describe(), "music volume 0");
}

TEST_P(AudioEngine, StreamsKeepTimeAndEnd) {
    const long total = 4410;
    long given = 0;
    auto stream = engine_->openStream({22050, 2}, [&](int16_t* out, long maxFrames) -> long {
        if (given == total) {
            return audio::kPcmEnd;
        }
        long n = std::min(maxFrames, total - given);
        std::fill(out, out + 2 * n, int16_t(500));
        given += n;
        return n;
    });
    ASSERT_TRUE(stream);
    EXPECT_FALSE(engine_->openStream({0, 2}, [](int16_t*, long) { return 0L; }));
    EXPECT_FALSE(engine_->openStream({44100, 3}, [](int16_t*, long) { return 0L; }));
    stream->play();
    ASSERT_TRUE(eventually([&] { return stream->isFinished(); }));
    EXPECT_NEAR(stream->position(), 0.2, 0.011);
    EXPECT_EQ(given, total);
}

INSTANTIATE_TEST_SUITE_P(AudioOutputs, AudioEngine,
                         ::testing::Values(OutputKind::NullDriver, OutputKind::PacedLoopback, OutputKind::Silent),
                         [](const auto& test) {
                             switch (test.param) {
                             case OutputKind::NullDriver: return std::string("OpenAlNullDriver");
                             case OutputKind::PacedLoopback: return std::string("OpenAlLoopback");
                             case OutputKind::Silent: return std::string("Silent");
                             }
                             return std::string();
                         });

// The game's own instance: made on first use, on OpenAL Soft's null back-end
// here, and made afresh after end().
TEST(AudioSharedEngine, IsMadeOnFirstUseAndAfreshAfterEnd) {
    useNullDriver();
    TempBundle bundle;
    writeTone(bundle / "a.wav", 1.0);
    SimpleAudioEngine& engine = SimpleAudioEngine::sharedEngine();
    EXPECT_EQ(&engine, &SimpleAudioEngine::sharedEngine());
    EXPECT_NE(engine.outputName(), "silent");
    uint32_t id = engine.playEffect("a.wav");
    engine.playBackgroundMusic("a.wav");
    EXPECT_TRUE(engine.isEffectPlaying(id));
    SimpleAudioEngine::end();

    SimpleAudioEngine& again = SimpleAudioEngine::sharedEngine();
    EXPECT_TRUE(again.history().empty());
    EXPECT_FALSE(again.isBackgroundMusicPlaying());
    EXPECT_NE(again.playEffect("a.wav"), SimpleAudioEngine::kNoSource);
    SimpleAudioEngine::end();
}

}  // namespace
