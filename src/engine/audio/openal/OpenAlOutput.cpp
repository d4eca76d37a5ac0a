#include "engine/audio/openal/OpenAlOutput.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include <AL/al.h>
#include <AL/alc.h>
// OpenAL Soft's extensions where the OpenAL has them; the browser's (on Web
// Audio) has none of them, and its calls belong on the page's main thread.
#if __has_include(<AL/alext.h>)
#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>
#endif

#include "platform/Log.h"
#include "platform/MainQueue.h"

namespace audio::openal {

namespace {

using namespace std::chrono_literals;

// Effects sounding at once; OpenAL Soft allows far more sources, but a
// child's tap never needs more than a handful.
constexpr int kVoices = 32;
// A stream keeps kStreamBuffers x 40 ms queued: 320 ms of slack for a late
// refill, while stop, pause and volume still act at once on the source.
constexpr int kStreamBuffers = 8;
constexpr int kChunksPerSecond = 25;
constexpr auto kPumpPeriod = 10ms;
// The paced loopback mixes this often, like a sound card's period.
constexpr int kPacedPeriodsPerSecond = 100;

ALenum alFormat(const PcmFormat& f) { return f.channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16; }

#ifdef ALC_EXT_thread_local_context
bool threadContextsSupported() {
    static const bool supported = alcIsExtensionPresent(nullptr, "ALC_EXT_thread_local_context") == ALC_TRUE;
    return supported;
}
#else
constexpr bool threadContextsSupported() { return false; }
ALCcontext* alcGetThreadContext() { return nullptr; }
ALCboolean alcSetThreadContext(ALCcontext*) { return ALC_FALSE; }
#endif

// Makes a context current on this thread for a scope and puts back whatever
// was current before.
class Bind {
public:
    explicit Bind(ALCcontext* context) : context_(context) {
        if (threadContextsSupported()) {
            previous_ = alcGetThreadContext();
            if (previous_ != context_) {
                alcSetThreadContext(context_);
            }
        }
    }
    ~Bind() {
        if (threadContextsSupported() && previous_ != context_) {
            alcSetThreadContext(previous_);
        }
    }
    Bind(const Bind&) = delete;
    Bind& operator=(const Bind&) = delete;

private:
    ALCcontext* context_;
    ALCcontext* previous_ = nullptr;
};

enum class Drive { Device, Paced, Manual };

class AlOutput;

class AlSample final : public Sample {
public:
    AlSample(PcmFormat format, long frames, ALCcontext* context, ALuint buffer)
        : Sample(format, frames), context_(context), buffer_(buffer) {}
    ~AlSample() override {
        Bind bind(context_);
        alDeleteBuffers(1, &buffer_);
    }
    ALuint buffer() const { return buffer_; }

private:
    ALCcontext* context_;
    ALuint buffer_;
};

class AlStream;

class AlOutput final : public RenderedOutput {
public:
    AlOutput(ALCdevice* device, ALCcontext* context, Drive drive, std::string name)
        : device_(device), context_(context), drive_(drive), name_(std::move(name)) {}

    ~AlOutput() override {
        if (clock_.joinable()) {
            quit_ = true;
            clock_.join();
        }
        {
            Bind bind(context_);
            for (Voice& v : voices_) {
                alSourceStop(v.source);
                alSourcei(v.source, AL_BUFFER, 0);
                v.sample.reset();
                alDeleteSources(1, &v.source);
            }
        }
        if (!threadContextsSupported() && alcGetCurrentContext() == context_) {
            alcMakeContextCurrent(nullptr);
        }
        alcDestroyContext(context_);
        alcCloseDevice(device_);
    }

    bool init() {
        if (!threadContextsSupported() && !alcMakeContextCurrent(context_)) {
            return false;
        }
        Bind bind(context_);
        alGetError();
        for (int i = 0; i < kVoices; ++i) {
            ALuint source = 0;
            alGenSources(1, &source);
            if (alGetError() != AL_NO_ERROR) {
                break;
            }
            // Effects are panned, not placed: relative to the listener, no
            // distance attenuation.
            alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
            alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
            voices_.push_back({source, nullptr});
        }
        if (voices_.empty()) {
            platform::log("audio: OpenAL gave no sources");
            return false;
        }
#ifdef AL_SOFT_source_latency
        hasLatency_ = alIsExtensionPresent("AL_SOFT_source_latency") == AL_TRUE;
#endif
#ifdef AL_SOFT_source_spatialize
        hasSpatialize_ = alIsExtensionPresent("AL_SOFT_source_spatialize") == AL_TRUE;
#endif
        if (drive_ == Drive::Paced) {
            ALCint rate = 44100;
            alcGetIntegerv(device_, ALC_FREQUENCY, 1, &rate);
            clock_ = std::thread([this, rate] { runClock(rate); });
        }
        return true;
    }

    ALCcontext* context() const { return context_; }
    bool manual() const { return drive_ == Drive::Manual; }
    bool hasLatency() const { return hasLatency_; }

    std::string name() const override { return name_; }

    std::shared_ptr<Sample> makeSample(const PcmBuffer& pcm) override {
        if (!pcm.format.valid() || pcm.frames() == 0) {
            return nullptr;
        }
        Bind bind(context_);
        alGetError();
        ALuint buffer = 0;
        alGenBuffers(1, &buffer);
        if (alGetError() != AL_NO_ERROR) {
            return nullptr;
        }
        alBufferData(buffer, alFormat(pcm.format), pcm.samples.data(),
                     ALsizei(pcm.samples.size() * sizeof(int16_t)), pcm.format.sampleRate);
        if (alGetError() != AL_NO_ERROR) {
            alDeleteBuffers(1, &buffer);
            return nullptr;
        }
        return std::make_shared<AlSample>(pcm.format, pcm.frames(), context_, buffer);
    }

    int voiceCount() const override { return int(voices_.size()); }

    void startVoice(int voice, std::shared_ptr<Sample> sample, float pitch, float pan, float gain) override {
        auto* al = dynamic_cast<AlSample*>(sample.get());
        if (voice < 0 || voice >= voiceCount() || !al) {
            return;
        }
        Bind bind(context_);
        releaseFinishedVoices();
        Voice& v = voices_[size_t(voice)];
        alSourceStop(v.source);
        alSourcei(v.source, AL_BUFFER, 0);
        v.sample = std::move(sample);
        alSourcei(v.source, AL_BUFFER, ALint(al->buffer()));
        alSourcef(v.source, AL_PITCH, pitch);
        alSourcef(v.source, AL_GAIN, gain);
        // On the unit circle in front of the listener: pan -1 is hard left,
        // 0 straight ahead, 1 hard right, at the same loudness throughout.
        alSource3f(v.source, AL_POSITION, pan, 0.0f, -std::sqrt(std::max(0.0f, 1.0f - pan * pan)));
#ifdef AL_SOFT_source_spatialize
        if (hasSpatialize_) {
            // Stereo samples are only placed (as a mixed-down point) when panned.
            alSourcei(v.source, AL_SOURCE_SPATIALIZE_SOFT,
                      al->format().channels == 2 && pan != 0.0f ? AL_TRUE : AL_AUTO_SOFT);
        }
#endif
        alSourcePlay(v.source);
    }

    void stopVoice(int voice) override {
        if (voice < 0 || voice >= voiceCount()) {
            return;
        }
        Bind bind(context_);
        Voice& v = voices_[size_t(voice)];
        alSourceStop(v.source);
        alSourcei(v.source, AL_BUFFER, 0);
        v.sample.reset();
    }

    bool isVoiceSounding(int voice) const override {
        if (voice < 0 || voice >= voiceCount()) {
            return false;
        }
        Bind bind(context_);
        ALint state = AL_STOPPED;
        alGetSourcei(voices_[size_t(voice)].source, AL_SOURCE_STATE, &state);
        return state == AL_PLAYING || state == AL_PAUSED;
    }

    std::unique_ptr<Stream> openStream(PcmFormat format, PcmCallback callback) override;

    void render(int16_t* out, int frames) override;

    void addStream(AlStream* stream) {
        std::lock_guard lock(streamsMutex_);
        streams_.push_back(stream);
    }
    void removeStream(AlStream* stream) {
        std::lock_guard lock(streamsMutex_);
        std::erase(streams_, stream);
    }

private:
    struct Voice {
        ALuint source;
        std::shared_ptr<Sample> sample;
    };

    // A voice that ended by itself still holds its buffer; let go of it so an
    // unloaded sample is freed soon after its last sound.
    void releaseFinishedVoices() {
        for (Voice& v : voices_) {
            if (!v.sample) {
                continue;
            }
            ALint state = AL_STOPPED;
            alGetSourcei(v.source, AL_SOURCE_STATE, &state);
            if (state == AL_STOPPED) {
                alSourcei(v.source, AL_BUFFER, 0);
                v.sample.reset();
            }
        }
    }

#ifdef ALC_SOFT_loopback
    void runClock(int rate) {
        const int frames = std::max(1, rate / kPacedPeriodsPerSecond);
        const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(double(frames) / rate));
        std::vector<int16_t> scratch(size_t(frames) * 2);
        auto next = std::chrono::steady_clock::now();
        while (!quit_) {
            alcRenderSamplesSOFT(device_, scratch.data(), frames);
            next += period;
            auto now = std::chrono::steady_clock::now();
            if (now - next > 200ms) {
                next = now;  // stalled (a debugger, a suspended machine): do not race to catch up
            }
            std::this_thread::sleep_until(next);
        }
    }
#else
    void runClock(int) {}
#endif

    ALCdevice* device_;
    ALCcontext* context_;
    Drive drive_;
    std::string name_;
    std::vector<Voice> voices_;
    bool hasLatency_ = false;
    bool hasSpatialize_ = false;
    std::thread clock_;
    std::atomic<bool> quit_{false};
    std::mutex streamsMutex_;
    std::vector<AlStream*> streams_;
};

class AlStream final : public Stream {
public:
    AlStream(AlOutput& output, PcmFormat format, PcmCallback callback)
        : output_(output), format_(format), callback_(std::move(callback)),
          chunkFrames_(std::max(256, format.sampleRate / kChunksPerSecond)),
          scratch_(size_t(chunkFrames_) * size_t(format.channels)) {}

    ~AlStream() override {
        stop();
        Bind bind(output_.context());
        if (source_) {
            alDeleteSources(1, &source_);
        }
        alDeleteBuffers(ALsizei(buffers_.size()), buffers_.data());
    }

    bool init() {
        Bind bind(output_.context());
        alGetError();
        alGenSources(1, &source_);
        if (alGetError() != AL_NO_ERROR) {
            source_ = 0;
            return false;
        }
        buffers_.resize(kStreamBuffers);
        alGenBuffers(kStreamBuffers, buffers_.data());
        if (alGetError() != AL_NO_ERROR) {
            buffers_.clear();
            return false;
        }
        free_ = buffers_;
        alSourcei(source_, AL_SOURCE_RELATIVE, AL_TRUE);
        alSourcef(source_, AL_ROLLOFF_FACTOR, 0.0f);
        alSource3f(source_, AL_POSITION, 0.0f, 0.0f, 0.0f);
        if (output_.manual()) {
            output_.addStream(this);
        } else {
#ifdef __EMSCRIPTEN__
            pumpOnMainThread(alive_);
#else
            thread_ = std::thread([this] { run(); });
#endif
        }
        return true;
    }

    const PcmFormat& format() const override { return format_; }

    void play() override {
        {
            std::lock_guard lock(mutex_);
            if (stopped_) {
                return;
            }
            playing_ = true;
            Bind bind(output_.context());
            ALint state = AL_INITIAL;
            alGetSourcei(source_, AL_SOURCE_STATE, &state);
            if (state == AL_PAUSED) {
                alSourcePlay(source_);
            }
        }
        wake_.notify_all();
    }

    void pause() override {
        std::lock_guard lock(mutex_);
        if (stopped_) {
            return;
        }
        playing_ = false;
        Bind bind(output_.context());
        alSourcePause(source_);
    }

    void stop() override {
        {
            std::lock_guard lock(mutex_);
            if (stopped_) {
                return;
            }
            stopped_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) {
            thread_.join();
        }
        if (output_.manual()) {
            output_.removeStream(this);
        }
        std::lock_guard lock(mutex_);
        Bind bind(output_.context());
        alSourceStop(source_);
        alSourcei(source_, AL_BUFFER, 0);
        finished_ = true;
    }

    void setGain(float gain) override {
        Bind bind(output_.context());
        alSourcef(source_, AL_GAIN, gain);
    }

    bool isFinished() const override { return finished_; }

    double position() const override {
        std::lock_guard lock(mutex_);
        Bind bind(output_.context());
        ALint state = AL_INITIAL;
        alGetSourcei(source_, AL_SOURCE_STATE, &state);
        double heard = double(retired_);
        if (state == AL_STOPPED) {
            // A stopped source reports offset 0, but it has played all it held.
            for (long frames : queuedFrames_) {
                heard += double(frames);
            }
            return heard / format_.sampleRate;
        }
        if (state == AL_INITIAL) {
            return heard / format_.sampleRate;
        }
#ifdef AL_SOFT_source_latency
        if (output_.hasLatency()) {
            ALdouble offsetAndLatency[2] = {0, 0};
            alGetSourcedvSOFT(source_, AL_SEC_OFFSET_LATENCY_SOFT, offsetAndLatency);
            double latency = state == AL_PLAYING ? offsetAndLatency[1] : 0.0;
            return std::max(0.0, heard / format_.sampleRate + offsetAndLatency[0] - latency);
        }
#endif
        ALint offset = 0;
        alGetSourcei(source_, AL_SAMPLE_OFFSET, &offset);
        return (heard + offset) / format_.sampleRate;
    }

    int underruns() const override { return underruns_; }

    // Retires played buffers, refills them from the callback, and (re)starts
    // the source. On the stream's thread, or inside a manual render().
    void pump() {
        {
            std::lock_guard lock(mutex_);
            if (stopped_) {
                return;
            }
            ALint processed = 0;
            alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
            while (processed-- > 0 && !queuedFrames_.empty()) {
                ALuint buffer = 0;
                alSourceUnqueueBuffers(source_, 1, &buffer);
                retired_ += queuedFrames_.front();
                queuedFrames_.pop_front();
                free_.push_back(buffer);
            }
        }
        // The callback runs without the lock so that position() and the
        // owner's calls never wait on a decoder.
        while (!ended_ && hasFreeBuffer()) {
            long frames = fill();
            if (frames > 0) {
                std::lock_guard lock(mutex_);
                if (stopped_) {
                    return;
                }
                ALuint buffer = free_.back();
                free_.pop_back();
                alBufferData(buffer, alFormat(format_), scratch_.data(),
                             ALsizei(size_t(frames) * size_t(format_.channels) * sizeof(int16_t)), format_.sampleRate);
                alSourceQueueBuffers(source_, 1, &buffer);
                queuedFrames_.push_back(frames);
            }
            if (frames < chunkFrames_) {
                break;  // starved or ended: try again next time
            }
        }
        std::lock_guard lock(mutex_);
        if (stopped_) {
            return;
        }
        ALint state = AL_INITIAL;
        alGetSourcei(source_, AL_SOURCE_STATE, &state);
        if (playing_ && state != AL_PLAYING && state != AL_PAUSED && !queuedFrames_.empty()) {
            if (state == AL_STOPPED) {
                ++underruns_;  // it played everything before the callback caught up
            }
            alSourcePlay(source_);
        }
        if (ended_ && queuedFrames_.empty()) {
            finished_ = true;
        }
    }

private:
    bool hasFreeBuffer() {
        std::lock_guard lock(mutex_);
        return !free_.empty() && !stopped_;
    }

    // One buffer's worth from the callback; fewer frames when it starves or ends.
    long fill() {
        long got = 0;
        while (got < chunkFrames_) {
            long n = callback_(scratch_.data() + size_t(got) * size_t(format_.channels), chunkFrames_ - got);
            if (n < 0) {
                ended_ = true;
                break;
            }
            if (n == 0) {
                break;
            }
            got += std::min(n, chunkFrames_ - got);
        }
        return got;
    }

#ifdef __EMSCRIPTEN__
    // Refills from the frame loop's main queue while the stream lives.
    void pumpOnMainThread(std::weak_ptr<const void> alive) {
        platform::performAfterDelay(std::chrono::duration<double>(kPumpPeriod).count(), [this, alive] {
            if (alive.expired()) return;
            pump();
            pumpOnMainThread(alive);
        });
    }
    std::shared_ptr<const void> alive_ = std::make_shared<char>();
#endif

    void run() {
        if (threadContextsSupported()) {
            alcSetThreadContext(output_.context());
        }
        std::unique_lock lock(mutex_);
        while (!stopped_) {
            lock.unlock();
            pump();
            lock.lock();
            wake_.wait_for(lock, kPumpPeriod);
        }
        lock.unlock();
        if (threadContextsSupported()) {
            alcSetThreadContext(nullptr);
        }
    }

    AlOutput& output_;
    const PcmFormat format_;
    PcmCallback callback_;
    const long chunkFrames_;
    std::vector<int16_t> scratch_;  // pump only
    bool ended_ = false;            // pump only: the callback said kPcmEnd

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    ALuint source_ = 0;
    std::vector<ALuint> buffers_;
    std::vector<ALuint> free_;
    std::deque<long> queuedFrames_;  // frames in each queued buffer, oldest first
    long long retired_ = 0;          // frames in buffers played and unqueued
    bool playing_ = false;
    bool stopped_ = false;
    std::atomic<bool> finished_{false};
    std::atomic<int> underruns_{0};
    std::thread thread_;
};

std::unique_ptr<Stream> AlOutput::openStream(PcmFormat format, PcmCallback callback) {
    if (!format.valid() || !callback) {
        return nullptr;
    }
    auto stream = std::make_unique<AlStream>(*this, format, std::move(callback));
    if (!stream->init()) {
        platform::log("audio: OpenAL cannot open a stream");
        return nullptr;
    }
    return stream;
}

void AlOutput::render(int16_t* out, int frames) {
    if (drive_ != Drive::Manual) {
        return;
    }
    Bind bind(context_);
    std::vector<AlStream*> streams;
    {
        std::lock_guard lock(streamsMutex_);
        streams = streams_;
    }
    for (AlStream* stream : streams) {
        stream->pump();
    }
#ifdef ALC_SOFT_loopback
    alcRenderSamplesSOFT(device_, out, frames);
#else
    std::fill(out, out + std::ptrdiff_t(frames) * 2, int16_t(0));
#endif
}

std::string deviceName(ALCdevice* device) {
    const ALCchar* name = alcGetString(device, ALC_DEVICE_SPECIFIER);
    return name ? name : "";
}

std::unique_ptr<AlOutput> wrap(ALCdevice* device, const ALCint* attributes, Drive drive, std::string name) {
    ALCcontext* context = alcCreateContext(device, attributes);
    if (!context) {
        platform::log("audio: OpenAL cannot create a context on %s", name.c_str());
        alcCloseDevice(device);
        return nullptr;
    }
    auto output = std::make_unique<AlOutput>(device, context, drive, std::move(name));
    if (!output->init()) {
        return nullptr;
    }
    return output;
}

std::unique_ptr<AlOutput> openLoopback(int sampleRate, Drive drive) {
    if (alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback") != ALC_TRUE) {
        return nullptr;
    }
#ifdef ALC_SOFT_loopback
    ALCdevice* device = alcLoopbackOpenDeviceSOFT(nullptr);
    if (!device) {
        return nullptr;
    }
    if (alcIsRenderFormatSupportedSOFT(device, sampleRate, ALC_STEREO_SOFT, ALC_SHORT_SOFT) != ALC_TRUE) {
        alcCloseDevice(device);
        return nullptr;
    }
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_SHORT_SOFT,
                                 ALC_FREQUENCY, sampleRate, 0};
    return wrap(device, attributes, drive, "OpenAL Soft loopback");
#else
    (void)sampleRate;
    (void)drive;
    return nullptr;
#endif
}

}  // namespace

std::unique_ptr<Output> openDevice(const char* deviceName_) {
    ALCdevice* device = alcOpenDevice(deviceName_);
    if (!device) {
        return nullptr;
    }
#ifdef ALC_SOFT_loopback
    return wrap(device, nullptr, Drive::Device, "OpenAL Soft (" + deviceName(device) + ")");
#else
    return wrap(device, nullptr, Drive::Device, "OpenAL (" + deviceName(device) + ")");
#endif
}

std::unique_ptr<Output> openPacedLoopback(int sampleRate) { return openLoopback(sampleRate, Drive::Paced); }

std::unique_ptr<RenderedOutput> openManualLoopback(int sampleRate) { return openLoopback(sampleRate, Drive::Manual); }

}  // namespace audio::openal
