// The OpenAL Soft output: effects on a pool of sources, streams on queued
// buffers refilled by a thread per stream.
//
// Every call binds the output's context to the calling thread
// (ALC_EXT_thread_local_context), so two outputs can live side by side (a
// test's loopback beside the game's device) without fighting over the
// process-wide current context. Streams and samples must be destroyed before
// the output that made them.
#pragma once

#include <memory>

#include "engine/audio/Output.h"

namespace audio::openal {

// An output whose mixing the owner drives (a loopback device).
class RenderedOutput : public Output {
public:
    // Feeds every stream once, then mixes `frames` stereo frames into `out`
    // (interleaved 16-bit). Streams of this output have no threads; their
    // callbacks run inside render(), on the caller's thread.
    virtual void render(int16_t* out, int frames) = 0;
};

// The named playback device, nullptr for the default one (OpenAL Soft's
// null back-end when ALSOFT_DRIVERS=null). nullptr when it cannot be opened.
std::unique_ptr<Output> openDevice(const char* deviceName = nullptr);

// A loopback device (ALC_SOFT_loopback) mixed to nowhere by a thread of ours
// in real time, as a sound card would consume it: sources advance and end on
// time without any hardware or back-end. nullptr when OpenAL cannot make one.
std::unique_ptr<Output> openPacedLoopback(int sampleRate = 44100);

// A loopback device mixed only when render() is called; for tests that check
// what OpenAL actually outputs, frame for frame.
std::unique_ptr<RenderedOutput> openManualLoopback(int sampleRate = 44100);

}  // namespace audio::openal
