// Decoded audio as the audio layer moves it around: signed 16-bit samples,
// interleaved, one or two channels, at the source's own rate (OpenAL
// resamples to the device).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace audio {

struct PcmFormat {
    int sampleRate = 44100;
    int channels = 2;  // 1 or 2

    bool operator==(const PcmFormat&) const = default;
    bool valid() const { return sampleRate > 0 && (channels == 1 || channels == 2); }
};

// A whole decoded sound (an effect's sample).
struct PcmBuffer {
    PcmFormat format;
    std::vector<int16_t> samples;  // frames() * channels values

    long frames() const { return format.channels > 0 ? long(samples.size()) / format.channels : 0; }
    double seconds() const { return format.sampleRate > 0 ? double(frames()) / format.sampleRate : 0.0; }
};

// What a stream returns from its callback when no more frames will come.
inline constexpr long kPcmEnd = -1;

// Feeds a stream. Called on the stream's own thread, never on two threads at
// once. Writes up to maxFrames interleaved frames into out and returns how
// many it wrote; 0 means "none ready yet" (the stream asks again shortly and
// its clock holds while it starves); kPcmEnd means finished.
using PcmCallback = std::function<long(int16_t* out, long maxFrames)>;

}  // namespace audio
