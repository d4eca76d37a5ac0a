// Audio decoding with FFmpeg: any file FFmpeg reads (mp3, m4a/AAC, wav...)
// to the layer's 16-bit interleaved PCM.
//
// The decoder honours the container's gapless information: the encoder's
// start padding (priming) is skipped and the end padding of the last frame
// is cut off, so a decoded file has exactly the samples that were encoded
// and a loop of it has no gap or click at the seam.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/audio/Pcm.h"

struct AVFrame;

namespace audio {

// Converts decoded FFmpeg frames of any sample format, layout and rate to one
// fixed PcmFormat. Channels beyond two are mixed down. For decoders of other
// files (the movie player's soundtrack): keep one per stream.
class FrameConverter {
public:
    explicit FrameConverter(PcmFormat out);
    ~FrameConverter();
    FrameConverter(const FrameConverter&) = delete;
    FrameConverter& operator=(const FrameConverter&) = delete;

    const PcmFormat& format() const { return out_; }
    // Appends the frame's samples to `out`; false (and nothing appended) when
    // the frame cannot be converted.
    bool convert(const AVFrame& frame, std::vector<int16_t>& out);
    // Appends what a resampler still holds at the end of a stream.
    void flush(std::vector<int16_t>& out);

private:
    struct State;
    PcmFormat out_;
    std::unique_ptr<State> state_;
};

// Reads one file's first audio stream from start to end. Not thread-safe;
// a stream's thread may own one.
class Decoder {
public:
    // nullptr (after a log line) when the file cannot be opened or has no
    // playable audio.
    static std::unique_ptr<Decoder> open(const std::string& path);
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    const PcmFormat& format() const { return format_; }
    const std::string& path() const { return path_; }
    // The container's duration; 0 when it does not say.
    double durationSeconds() const { return duration_; }

    // Writes up to maxFrames frames; returns how many, 0 at the end of the file.
    long read(int16_t* out, long maxFrames);
    // Back to the first sample. The file is opened afresh so that the next
    // pass skips the start padding exactly like the first one did.
    bool rewind();

    // Decodes a whole file; nullopt when it cannot be opened or holds no
    // samples. Stops (with a log line) after maxSeconds.
    static std::optional<PcmBuffer> decodeFile(const std::string& path, double maxSeconds = 600);

private:
    struct Impl;
    Decoder(std::string path, std::unique_ptr<Impl> impl);
    bool decodeMore();

    std::string path_;
    std::unique_ptr<Impl> impl_;
    PcmFormat format_;
    double duration_ = 0;
    std::vector<int16_t> pending_;
    size_t pendingPos_ = 0;
};

}  // namespace audio
