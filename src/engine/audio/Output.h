// Where decoded audio goes: an interface with two back-ends, OpenAL Soft
// (audio/openal/) and a silent null output (audio/null/) for when no OpenAL
// device or context can be had. The facade (SimpleAudioEngine) and the movie
// player talk only to this.
//
// Voices and samples are used on the main thread only. Streams run their
// callback on a thread of their own (see Stream).
#pragma once

#include <memory>
#include <string>

#include "engine/audio/Pcm.h"

namespace audio {

// A decoded effect held by an output (an OpenAL buffer). A voice playing it
// keeps it alive, so dropping the last other reference while it sounds is safe.
class Sample {
public:
    explicit Sample(PcmFormat format, long frames) : format_(format), frames_(frames) {}
    virtual ~Sample() = default;
    const PcmFormat& format() const { return format_; }
    long frames() const { return frames_; }
    double seconds() const { return double(frames_) / format_.sampleRate; }

private:
    PcmFormat format_;
    long frames_;
};

// One streamed source fed by a PcmCallback: the music track, a movie's
// soundtrack. The stream pulls frames on its own thread a few hundred
// milliseconds ahead of what is heard, so the game's frame rate never starves
// it. It starts paused and begins to fill at once, so play() after opening
// starts with data ready.
//
// Thread-safety: the member functions are called from one owning thread (the
// main thread); the callback runs on the stream's thread.
class Stream {
public:
    virtual ~Stream() = default;  // stops it; the callback is not called after
    virtual const PcmFormat& format() const = 0;
    // Starts or resumes.
    virtual void play() = 0;
    virtual void pause() = 0;
    // Ends it for good; the callback is not called once this returns.
    virtual void stop() = 0;
    // 0..1, at once.
    virtual void setGain(float gain) = 0;
    // The callback has ended and everything it gave has been heard, or stop().
    virtual bool isFinished() const = 0;
    // The playback clock: seconds of this stream's frames heard so far
    // (device latency taken off where the output knows it). It holds while
    // paused or starved, so a movie player can slave its pictures to it.
    virtual double position() const = 0;
    // How often it ran dry before its end (the callback was late).
    virtual int underruns() const = 0;
};

class Output {
public:
    virtual ~Output() = default;
    // For log lines: "OpenAL Soft (<device>)", "silent".
    virtual std::string name() const = 0;

    // Keeps decoded PCM ready to play; nullptr when the output cannot.
    virtual std::shared_ptr<Sample> makeSample(const PcmBuffer& pcm) = 0;

    // Effects play on a fixed pool of voices, numbered 0..voiceCount()-1; the
    // caller decides which voice to use (and which to cut off when all sound).
    virtual int voiceCount() const = 0;
    // Starts a sample on a voice, cutting off what it played. pitch > 0
    // (1 = as recorded), pan -1 (left) .. 1 (right), gain 0..1.
    virtual void startVoice(int voice, std::shared_ptr<Sample> sample, float pitch, float pan, float gain) = 0;
    // Silences a voice and lets go of its sample.
    virtual void stopVoice(int voice) = 0;
    virtual bool isVoiceSounding(int voice) const = 0;

    // A stream of 16-bit PCM in `format`, fed by `callback` (see Stream).
    // nullptr when the format is not playable.
    virtual std::unique_ptr<Stream> openStream(PcmFormat format, PcmCallback callback) = 0;
};

// The output the game uses: OpenAL Soft on the default device (its null
// back-end when headless); OpenAL Soft rendering to nowhere on a clock of our
// own when no device opens; the silent output when OpenAL cannot run at all.
std::unique_ptr<Output> openDefaultOutput(bool headless);

}  // namespace audio
