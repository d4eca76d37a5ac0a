// What OpenAL actually mixes, read back frame by frame from a loopback
// device: seamless music loops, volume, pan, pitch and gain of effects, and
// streams that play every frame they are given and keep an honest clock.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "AudioTestSounds.h"
#include "engine/audio/PcmQueue.h"
#include "engine/audio/SimpleAudioEngine.h"
#include "engine/audio/openal/OpenAlOutput.h"

using namespace audiotest;

namespace {

constexpr int kRate = 44100;

// Renders a manual loopback output in 10 ms periods, as a sound card would
// take it, and keeps both channels.
class Recorder {
public:
    explicit Recorder(audio::openal::RenderedOutput& output) : output_(output) {}

    void run(double seconds) {
        long periods = std::lround(seconds * 100);
        int16_t block[441 * 2];
        for (long p = 0; p < periods; ++p) {
            output_.render(block, 441);
            for (int i = 0; i < 441; ++i) {
                left.push_back(block[2 * i]);
                right.push_back(block[2 * i + 1]);
            }
        }
    }
    void clear() {
        left.clear();
        right.clear();
    }
    static int peak(const std::vector<int16_t>& x, size_t from = 0) {
        int p = 0;
        for (size_t i = from; i < x.size(); ++i) {
            p = std::max(p, std::abs(int(x[i])));
        }
        return p;
    }
    long firstSound() const {
        for (size_t i = 0; i < left.size(); ++i) {
            if (std::abs(left[i]) > 200 || std::abs(right[i]) > 200) {
                return long(i);
            }
        }
        return -1;
    }

    std::vector<int16_t> left, right;

private:
    audio::openal::RenderedOutput& output_;
};

class AudioRender : public ::testing::Test {
protected:
    void SetUp() override {
        useNullDriver();
        auto output = audio::openal::openManualLoopback(kRate);
        if (!output) {
            GTEST_SKIP() << "OpenAL Soft without loopback devices";
        }
        output_ = output.get();
        engine_ = std::make_unique<SimpleAudioEngine>(std::move(output));
        recorder_ = std::make_unique<Recorder>(*output_);
        writeTone(bundle_ / "tone.wav", 0.5);
        writeTone(bundle_ / "long.wav", 3.0);
        bundle_.copyFixture("tone.mp3");
        bundle_.copyFixture("tone.m4a");
    }

    // A finished stream of `total` tone frames was heard whole and once: its
    // clock counts every frame, and the recording holds them all in step.
    void expectHeardWhole(const audio::Stream& stream, long total) {
        ASSERT_TRUE(stream.isFinished());
        EXPECT_EQ(stream.underruns(), 0);
        EXPECT_DOUBLE_EQ(stream.position(), double(total) / kRate);
        long start = recorder_->firstSound();
        ASSERT_GE(start, 0);
        long end = findSilence(recorder_->left, start, 441);
        ASSERT_GT(end, start);
        EXPECT_NEAR(end - start, total, 30);
        std::vector<int16_t> heard(recorder_->left.begin(), recorder_->left.begin() + end);
        for (long gap : crossingGaps(heard, start)) {
            ASSERT_NEAR(gap, kTonePeriod, 1);
        }
    }

    TempBundle bundle_;
    audio::openal::RenderedOutput* output_ = nullptr;
    std::unique_ptr<SimpleAudioEngine> engine_;
    std::unique_ptr<Recorder> recorder_;
};

TEST_F(AudioRender, LoopingMusicIsSeamless) {
    for (const char* file : {"tone.wav", "tone.mp3", "tone.m4a"}) {
        SCOPED_TRACE(file);
        recorder_->clear();
        engine_->playBackgroundMusic(file, true);
        recorder_->run(1.6);  // three seams
        long start = recorder_->firstSound();
        ASSERT_GE(start, 0);
        EXPECT_LT(start, 2 * 441);  // starts within the period it was asked in, or the next
        // A gap, the encoder's padding or a lost buffer at a seam shows as
        // silence or as a jump in the tone's rhythm.
        EXPECT_EQ(findSilence(recorder_->left, start + 100, 10), -1);
        for (long gap : crossingGaps(recorder_->left, start + 100)) {
            ASSERT_NEAR(gap, kTonePeriod, 3);
        }
        EXPECT_TRUE(engine_->isBackgroundMusicPlaying());
    }
}

TEST_F(AudioRender, MusicThatDoesNotLoopPlaysOnceAndEnds) {
    engine_->playBackgroundMusic("tone.wav", false);
    recorder_->run(1.0);
    long start = recorder_->firstSound();
    ASSERT_GE(start, 0);
    long silence = findSilence(recorder_->left, start, 441);
    ASSERT_GE(silence, 0);
    EXPECT_NEAR(silence - start, kToneFrames, 30);
    EXPECT_FALSE(engine_->isBackgroundMusicPlaying());
}

TEST_F(AudioRender, MusicVolumeActsAtOnceAndOnLaterTracks) {
    engine_->playBackgroundMusic("long.wav");
    recorder_->run(0.2);
    int full = Recorder::peak(recorder_->left);
    ASSERT_GT(full, 3000);

    engine_->setBackgroundMusicVolume(0.25f);
    recorder_->clear();
    recorder_->run(0.2);
    EXPECT_NEAR(Recorder::peak(recorder_->left, 441 * 5), full * 0.25, full * 0.05);

    engine_->playBackgroundMusic("tone.wav");  // a new track keeps the volume
    recorder_->clear();
    recorder_->run(0.2);
    EXPECT_NEAR(Recorder::peak(recorder_->left, 441 * 5), full * 0.25, full * 0.06);

    engine_->setBackgroundMusicVolume(0.0f);  // silent, but still playing
    recorder_->clear();
    recorder_->run(0.2);
    EXPECT_LT(Recorder::peak(recorder_->left, 441 * 5), 30);
    EXPECT_TRUE(engine_->isBackgroundMusicPlaying());

    engine_->stopBackgroundMusic();
    engine_->setBackgroundMusicVolume(1.0f);
    recorder_->clear();
    recorder_->run(0.1);
    EXPECT_LT(Recorder::peak(recorder_->left), 30);
}

TEST_F(AudioRender, EffectsFollowPanGainAndPitch) {
    uint32_t id = engine_->playEffect("long.wav", 1.0f, 0.0f, 1.0f);
    recorder_->run(0.2);
    int centreLeft = Recorder::peak(recorder_->left, 441 * 5);
    int centreRight = Recorder::peak(recorder_->right, 441 * 5);
    ASSERT_GT(centreLeft, 2000);
    EXPECT_NEAR(centreLeft, centreRight, centreLeft / 20);
    engine_->stopEffect(id);

    recorder_->clear();
    id = engine_->playEffect("long.wav", 1.0f, -1.0f, 1.0f);
    recorder_->run(0.2);
    EXPECT_GT(Recorder::peak(recorder_->left, 441 * 5), 4 * Recorder::peak(recorder_->right, 441 * 5));
    engine_->stopEffect(id);

    recorder_->clear();
    id = engine_->playEffect("long.wav", 1.0f, 1.0f, 1.0f);
    recorder_->run(0.2);
    EXPECT_GT(Recorder::peak(recorder_->right, 441 * 5), 4 * Recorder::peak(recorder_->left, 441 * 5));
    engine_->stopEffect(id);

    recorder_->clear();
    id = engine_->playEffect("long.wav", 1.0f, 0.0f, 0.5f);
    recorder_->run(0.2);
    EXPECT_NEAR(Recorder::peak(recorder_->left, 441 * 5), centreLeft * 0.5, centreLeft * 0.05);
    engine_->stopEffect(id);

    recorder_->clear();
    id = engine_->playEffect("long.wav", 2.0f, 0.0f, 1.0f);
    recorder_->run(0.2);
    auto gaps = crossingGaps(recorder_->left, 441 * 5);
    ASSERT_FALSE(gaps.empty());
    for (long gap : gaps) {
        ASSERT_NEAR(gap, kTonePeriod / 2, 1);  // an octave up
    }
    engine_->stopEffect(id);

    recorder_->clear();
    recorder_->run(0.05);
    EXPECT_LT(Recorder::peak(recorder_->left, 441), 30);  // stopped means silent
}

TEST_F(AudioRender, EffectsSoundTogetherOverTheMusic) {
    engine_->playBackgroundMusic("long.wav");
    recorder_->run(0.1);
    int music = Recorder::peak(recorder_->left, 441 * 3);
    engine_->playEffect("long.wav");
    engine_->playEffect("long.wav");
    recorder_->clear();
    recorder_->run(0.1);
    // Three copies of the same tone, nearly in step: clearly louder than one.
    EXPECT_GT(Recorder::peak(recorder_->left, 441 * 3), music * 2);
}

// A stream fed in odd-sized pieces: every frame is heard once, in order.
TEST_F(AudioRender, AStreamPlaysEveryFrameAndItsClockCountsThem) {
    const long total = 10007;
    long given = 0;
    int calls = 0;
    auto stream = engine_->openStream({kRate, 1}, [&](int16_t* out, long maxFrames) -> long {
        ++calls;
        if (given == total) {
            return audio::kPcmEnd;
        }
        long n = std::min({maxFrames, total - given, 333L});
        for (long i = 0; i < n; ++i) {
            out[i] = sine(given + i, kTonePeriod);
        }
        given += n;
        return n;
    });
    ASSERT_TRUE(stream);
    EXPECT_DOUBLE_EQ(stream->position(), 0.0);
    stream->play();
    for (int i = 0; i < 100 && !stream->isFinished(); ++i) {
        recorder_->run(0.01);
    }
    ASSERT_NO_FATAL_FAILURE(expectHeardWhole(*stream, total));
    int callsAtEnd = calls;
    recorder_->run(0.05);
    EXPECT_EQ(calls, callsAtEnd);  // finished streams are not asked again
}

// A movie's decoder may fall behind: the clock waits for it, then goes on.
TEST_F(AudioRender, AStarvedStreamHoldsItsClockAndResumes) {
    std::atomic<long> available{0};
    long given = 0;
    auto stream = engine_->openStream({kRate, 2}, [&](int16_t* out, long maxFrames) -> long {
        long n = std::min(maxFrames, available - given);
        std::fill(out, out + 2 * n, int16_t(1000));
        given += n;
        return n;
    });
    ASSERT_TRUE(stream);
    stream->play();
    recorder_->run(0.1);
    EXPECT_DOUBLE_EQ(stream->position(), 0.0);
    EXPECT_FALSE(stream->isFinished());

    available = 4410;
    recorder_->run(0.3);
    EXPECT_DOUBLE_EQ(stream->position(), 0.1);
    recorder_->run(0.1);
    EXPECT_DOUBLE_EQ(stream->position(), 0.1);  // holds while starved

    available = 8820;
    recorder_->run(0.3);
    EXPECT_DOUBLE_EQ(stream->position(), 0.2);
    EXPECT_GE(stream->underruns(), 1);
    EXPECT_FALSE(stream->isFinished());
}

// The movie player's way: a decoding thread pushes into a queue that feeds
// the stream, and the clock tells how much of the soundtrack was heard.
TEST_F(AudioRender, ASoundtrackFromADecodingThreadPlaysWhole) {
    audio::PcmQueue queue({kRate, 1}, kRate / 10);
    auto stream = engine_->openStream(queue.format(), queue.callback());
    ASSERT_TRUE(stream);
    const long total = 3 * kRate / 2;
    std::atomic<long> given{0};
    std::thread decoder([&] {
        std::vector<int16_t> piece(1024);
        for (long f = 0; f < total; f += 1024) {
            long n = std::min(1024L, total - f);
            for (long i = 0; i < n; ++i) {
                piece[size_t(i)] = sine(f + i, kTonePeriod);
            }
            if (!queue.push(piece.data(), n)) {
                return;
            }
            given += n;
        }
        queue.finish();
    });
    stream->play();
    for (int i = 0; i < 400 && !stream->isFinished(); ++i) {
        // Mixing runs faster than real time here; pace it by the decoder
        // (a full queue) so that the test is about frames, not timing.
        while (queue.queuedFrames() < kRate / 10 && given < total) {
            std::this_thread::yield();
        }
        recorder_->run(0.01);
    }
    recorder_->run(0.02);
    queue.close();
    decoder.join();
    ASSERT_NO_FATAL_FAILURE(expectHeardWhole(*stream, total));
}

TEST_F(AudioRender, APausedStreamHoldsItsClockAndStopEndsTheCallbacks) {
    int calls = 0;
    auto stream = engine_->openStream({kRate, 1}, [&](int16_t* out, long maxFrames) -> long {
        ++calls;
        std::fill(out, out + maxFrames, int16_t(1000));
        return maxFrames;
    });
    ASSERT_TRUE(stream);
    recorder_->run(0.05);
    EXPECT_GT(calls, 0);  // fills before it plays
    EXPECT_DOUBLE_EQ(stream->position(), 0.0);
    EXPECT_LT(Recorder::peak(recorder_->left), 30);

    stream->play();
    recorder_->run(0.2);
    double playing = stream->position();
    EXPECT_NEAR(playing, 0.2, 0.03);
    stream->pause();
    recorder_->run(0.2);
    EXPECT_NEAR(stream->position(), playing, 0.011);
    stream->play();
    recorder_->run(0.1);
    EXPECT_NEAR(stream->position(), playing + 0.1, 0.03);

    stream->stop();
    EXPECT_TRUE(stream->isFinished());
    int callsAtStop = calls;
    recorder_->clear();
    recorder_->run(0.05);
    EXPECT_EQ(calls, callsAtStop);
    EXPECT_LT(Recorder::peak(recorder_->left, 64), 30);
}

}  // namespace
