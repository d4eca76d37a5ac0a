// Decoding: exact lengths (the encoders' padding removed), channel and
// sample-format conversion, and files that are not sound.
#include <gtest/gtest.h>

#include <cmath>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

#include "AudioTestSounds.h"
#include "engine/audio/Decoder.h"

using audio::Decoder;
using namespace audiotest;

namespace {

std::vector<int16_t> channel(const audio::PcmBuffer& pcm, int c) {
    std::vector<int16_t> out;
    for (long f = 0; f < pcm.frames(); ++f) {
        out.push_back(pcm.samples[size_t(f * pcm.format.channels + c)]);
    }
    return out;
}

// Phase (radians) of a signal against sin(2 pi f / period) from frame 0: 0
// when it starts exactly where the encoded sine started.
double phase(const std::vector<int16_t>& x, int period) {
    double s = 0, c = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        s += x[i] * std::sin(2 * M_PI * double(i) / period);
        c += x[i] * std::cos(2 * M_PI * double(i) / period);
    }
    return std::atan2(c, s);
}

}  // namespace

TEST(AudioDecoder, EncodedFilesDecodeToExactlyTheirFramesInPhase) {
    testsupport::TempDir dir;
    writeTone(dir.path() / "tone.wav", 0.5);
    struct Case {
        std::filesystem::path file;
        audio::PcmFormat format;
        long frames;
        int period;
    };
    for (const Case& c : {Case{dir.path() / "tone.wav", {44100, 1}, kToneFrames, kTonePeriod},
                          Case{fixture("tone.mp3"), {44100, 1}, kToneFrames, kTonePeriod},
                          Case{fixture("tone.m4a"), {44100, 1}, kToneFrames, kTonePeriod},
                          Case{fixture("stereo48k.m4a"), {48000, 2}, 12000, 48}}) {
        SCOPED_TRACE(c.file.filename().string());
        auto pcm = Decoder::decodeFile(c.file.string());
        ASSERT_TRUE(pcm);
        EXPECT_EQ(pcm->format, c.format);
        // A frame too many is padding left in; too few is music cut.
        EXPECT_EQ(pcm->frames(), c.frames);
        // Skipping the start padding by the wrong amount shifts the phase.
        EXPECT_NEAR(phase(channel(*pcm, 0), c.period), 0.0, 0.15);
        // Lossy coding jitters a crossing by a sample or two; padding left
        // inside the signal breaks the rhythm by far more.
        for (long gap : crossingGaps(channel(*pcm, 0), 0)) {
            ASSERT_NEAR(gap, c.period, 3);
        }
    }
}

TEST(AudioDecoder, ReadInPiecesAndRewoundGivesTheSameSamples) {
    auto whole = Decoder::decodeFile(fixture("tone.m4a").string());
    ASSERT_TRUE(whole);
    auto decoder = Decoder::open(fixture("tone.m4a").string());
    ASSERT_TRUE(decoder);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        std::vector<int16_t> pieces;
        int16_t buffer[997];
        long n;
        while ((n = decoder->read(buffer, 997)) > 0) {
            pieces.insert(pieces.end(), buffer, buffer + n);
        }
        EXPECT_EQ(decoder->read(buffer, 997), 0);  // stays at the end
        EXPECT_EQ(pieces, whole->samples);
        ASSERT_TRUE(decoder->rewind());
    }
}

TEST(AudioDecoder, ManyChannelsAreMixedDownToStereoAtTheSourceRate) {
    testsupport::TempDir dir;
    // 5.1 with the tone only in front left: it must survive in the left channel.
    writeWav(dir.path() / "six.wav", 22050, 6, 2205, [](long f, int c) { return c == 0 ? sine(f, 49) : int16_t(0); });
    auto pcm = Decoder::decodeFile((dir.path() / "six.wav").string());
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->format, (audio::PcmFormat{22050, 2}));
    EXPECT_EQ(pcm->frames(), 2205);
    auto left = channel(*pcm, 0);
    auto right = channel(*pcm, 1);
    int16_t leftPeak = *std::max_element(left.begin(), left.end());
    int16_t rightPeak = *std::max_element(right.begin(), right.end());
    EXPECT_GT(leftPeak, 3000);
    EXPECT_LT(rightPeak, leftPeak / 4);
}

TEST(AudioDecoder, WhatIsNotSoundGivesNothing) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.path() / "empty.wav", "");
    testsupport::writeFile(dir.path() / "text.mp3", "this is not an mp3 file, only words\n");
    std::string noise(20000, '\0');
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = char((i * 2654435761u) >> 13);
    }
    testsupport::writeFile(dir.path() / "noise.m4a", noise);
    writeWav(dir.path() / "silent-header.wav", 44100, 1, 0, [](long, int) { return int16_t(0); });
    for (const char* name : {"missing.wav", "empty.wav", "text.mp3", "noise.m4a", "silent-header.wav"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(Decoder::decodeFile((dir.path() / name).string()));
    }
    EXPECT_FALSE(Decoder::open((dir.path() / "missing.wav").string()));
}

TEST(AudioDecoder, ACutOffFileGivesWhatItHas) {
    testsupport::TempDir dir;
    std::string bytes = testsupport::readFile(fixture("tone.mp3"));
    testsupport::writeFile(dir.path() / "half.mp3", bytes.substr(0, bytes.size() / 2));
    auto pcm = Decoder::decodeFile((dir.path() / "half.mp3").string());
    ASSERT_TRUE(pcm);
    EXPECT_GT(pcm->frames(), kToneFrames / 4);
    EXPECT_LT(pcm->frames(), kToneFrames);
}

TEST(AudioDecoder, DecodingStopsAtTheLimit) {
    testsupport::TempDir dir;
    writeTone(dir.path() / "long.wav", 2.0);
    auto pcm = Decoder::decodeFile((dir.path() / "long.wav").string(), 0.5);
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->frames(), 22050);
}

TEST(AudioFrameConverter, ResamplesPlanarFloatFramesToTheStreamFormat) {
    // What the movie player does with its soundtrack: 48 kHz float frames
    // into a 44.1 kHz stereo 16-bit stream.
    AVFrame* frame = av_frame_alloc();
    frame->format = AV_SAMPLE_FMT_FLTP;
    frame->sample_rate = 48000;
    frame->nb_samples = 4800;
    av_channel_layout_default(&frame->ch_layout, 1);
    ASSERT_EQ(av_frame_get_buffer(frame, 0), 0);
    auto* data = reinterpret_cast<float*>(frame->extended_data[0]);
    for (int i = 0; i < frame->nb_samples; ++i) {
        data[i] = 0.5f;
    }
    audio::FrameConverter converter({44100, 2});
    std::vector<int16_t> out;
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(converter.convert(*frame, out));
    }
    converter.flush(out);
    av_frame_free(&frame);
    // One second in, one second out (give or take the filter's edge).
    EXPECT_NEAR(double(out.size() / 2), 44100.0, 64.0);
    // Mid-stream the level is kept and both channels carry it.
    size_t mid = out.size() / 2 & ~size_t(1);
    EXPECT_NEAR(out[mid], 16384, 200);
    EXPECT_EQ(out[mid], out[mid + 1]);
}
