// A bounded first-in first-out queue of PCM between a decoding thread and a
// stream's callback: the piece a movie player needs to send its soundtrack
// through the audio layer.
//
//   // set up, knowing the soundtrack's codec parameters
//   audio::PcmFormat format{rate, std::min(channels, 2)};
//   audio::PcmQueue queue(format, format.sampleRate / 2);  // half a second
//   audio::FrameConverter converter(format);
//   auto stream = SimpleAudioEngine::sharedEngine().openStream(format, queue.callback());
//   // demuxing thread, for each decoded audio AVFrame:
//   samples.clear(); converter.convert(*frame, samples);
//   queue.push(samples.data(), long(samples.size()) / format.channels);  // waits while full
//   // at the end of the file: converter.flush(samples); push them; queue.finish();
//   // main thread: stream->play(); show the picture whose time is <= stream->position()
//   // cancel: queue.close() (wakes the demuxing thread), then destroy the stream
//
// push() may be called from one producer thread; pop() from the stream's thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

#include "engine/audio/Pcm.h"

namespace audio {

class PcmQueue {
public:
    PcmQueue(PcmFormat format, long capacityFrames);

    const PcmFormat& format() const { return format_; }

    // Appends frames, waiting while the queue is full. false when the queue
    // was closed (the frames are dropped).
    bool push(const int16_t* samples, long frames);
    // No more frames will come: the stream ends once it has taken the rest.
    void finish();
    // Gives up: wakes a waiting push and ends the stream at once.
    void close();
    // Drops what is queued (after a seek).
    void clear();
    long queuedFrames() const;

    // For a stream: up to maxFrames frames; 0 when empty for now; kPcmEnd
    // when finished and drained, or closed.
    long pop(int16_t* out, long maxFrames);
    // pop() as a stream callback. The queue must outlive the stream.
    PcmCallback callback() {
        return [this](int16_t* out, long maxFrames) { return pop(out, maxFrames); };
    }

private:
    const PcmFormat format_;
    const size_t capacity_;  // in samples
    mutable std::mutex mutex_;
    std::condition_variable space_;
    std::deque<int16_t> samples_;
    bool finished_ = false;
    bool closed_ = false;
};

}  // namespace audio
