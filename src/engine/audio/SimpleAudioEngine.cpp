#include "engine/audio/SimpleAudioEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/audio/Decoder.h"
#include "engine/audio/null/NullOutput.h"
#include "platform/Application.h"
#include "platform/Bundle.h"
#include "platform/Files.h"
#include "platform/Log.h"

namespace {

float clampFinite(float v, float lo, float hi, float fallback) {
    return std::isfinite(v) ? std::clamp(v, lo, hi) : fallback;
}

// Effects are short; a longer file is cut here rather than filling memory.
constexpr double kMaxEffectSeconds = 120;

AudioEvent event(AudioEvent::Kind kind, uint32_t id = 0, std::string file = {}) {
    AudioEvent e;
    e.kind = kind;
    e.id = id;
    e.file = std::move(file);
    return e;
}

std::unique_ptr<SimpleAudioEngine>& sharedSlot() {
    static std::unique_ptr<SimpleAudioEngine> engine;
    return engine;
}

// Loops a decoder for a stream: at the end of the file it starts the file
// again inside the same buffer, so the seam has no gap.
class MusicFeed {
public:
    MusicFeed(std::unique_ptr<audio::Decoder> decoder, bool loop) : decoder_(std::move(decoder)), loop_(loop) {}

    long operator()(int16_t* out, long maxFrames) {
        const size_t channels = size_t(decoder_->format().channels);
        long got = 0;
        while (got < maxFrames && !ended_) {
            long n = decoder_->read(out + size_t(got) * channels, maxFrames - got);
            got += n;
            passFrames_ += n;
            if (got < maxFrames) {
                // A pass that gave nothing (an empty or now unreadable file) ends
                // the loop instead of spinning on it.
                if (!loop_ || passFrames_ == 0 || !decoder_->rewind()) {
                    ended_ = true;
                }
                passFrames_ = 0;
            }
        }
        if (got == 0 && ended_) {
            return audio::kPcmEnd;
        }
        return got;
    }

private:
    std::unique_ptr<audio::Decoder> decoder_;
    bool loop_;
    bool ended_ = false;
    long passFrames_ = 0;
};

}  // namespace

struct SimpleAudioEngine::Music {
    std::string file;
    std::unique_ptr<audio::Stream> stream;
};

std::string AudioEvent::describe() const {
    char line[512];
    const char* name = file.c_str();
    switch (kind) {
    case Kind::EffectStarted:
        if (!loaded) {
            std::snprintf(line, sizeof line, "effect %u not loaded %s", unsigned(id), name);
        } else {
            std::snprintf(line, sizeof line, "effect %u started %s pitch %g pan %g gain %g", unsigned(id), name,
                          double(pitch), double(pan), double(gain));
        }
        break;
    case Kind::EffectStopped:
        std::snprintf(line, sizeof line, "effect %u stopped %s%s%s", unsigned(id), name, cutOff ? " (cut off)" : "",
                      displaced ? " (made way)" : "");
        break;
    case Kind::EffectUnloaded:
        std::snprintf(line, sizeof line, "effect unloaded %s%s", name, loaded ? "" : " (not cached)");
        break;
    case Kind::MusicStarted:
        std::snprintf(line, sizeof line, "music %s %s%s", loaded ? "started" : "not loaded", name,
                      loop ? " looping" : "");
        break;
    case Kind::MusicStopped:
        std::snprintf(line, sizeof line, "music stopped %s%s%s", name, cutOff ? " (cut off)" : "",
                      displaced ? " (replaced)" : "");
        break;
    case Kind::MusicVolume:
        std::snprintf(line, sizeof line, "music volume %g", double(volume));
        break;
    }
    return line;
}

SimpleAudioEngine& SimpleAudioEngine::sharedEngine() {
    auto& engine = sharedSlot();
    if (!engine) {
        bool headless = platform::Application::shared().isHeadless();
        engine = std::make_unique<SimpleAudioEngine>(audio::openDefaultOutput(headless));
        platform::log("audio: playing on %s", engine->outputName().c_str());
        // Headless and fixed-step runs are scripted checks: what is heard goes to the log.
        engine->setLogsEvents(headless || platform::Application::shared().hasFixedSteps());
    }
    return *engine;
}

void SimpleAudioEngine::end() { sharedSlot().reset(); }

SimpleAudioEngine::SimpleAudioEngine(std::unique_ptr<audio::Output> output) : output_(std::move(output)) {
    if (!output_) {
        output_ = audio::null::openOutput();
    }
    voices_.resize(size_t(output_->voiceCount()));
}

SimpleAudioEngine::~SimpleAudioEngine() {
    // Streams and samples belong to the output's device: free them first.
    music_.reset();
    for (size_t i = 0; i < voices_.size(); ++i) {
        output_->stopVoice(int(i));
    }
    samples_.clear();
}

std::string SimpleAudioEngine::outputName() const { return output_->name(); }

void SimpleAudioEngine::record(AudioEvent event) {
    if (logsEvents_) {
        platform::log("audio: %s", event.describe().c_str());
    }
    // Dropping the older half at once keeps each record cheap.
    if (history_.size() >= 2 * kHistoryKept)
        history_.erase(history_.begin(), history_.begin() + static_cast<std::ptrdiff_t>(kHistoryKept));
    history_.push_back(std::move(event));
}

std::optional<std::string> SimpleAudioEngine::resolve(const std::string& file) {
    if (file.empty()) {
        return std::nullopt;  // a track or button sound the content does not name: quietly nothing
    }
    auto path = platform::Bundle::main().pathForResource(file);
    if (!path && file.front() == '/' && platform::fileExists(file)) {
        path = file;  // already a full path (a downloaded file)
    }
    if (!path && reportedMissing_.insert(file).second) {
        platform::log("audio: no sound file %s", file.c_str());
    }
    return path;
}

std::shared_ptr<audio::Sample> SimpleAudioEngine::sampleFor(const std::string& file) {
    auto cached = samples_.find(file);
    if (cached != samples_.end()) {
        return cached->second;
    }
    std::shared_ptr<audio::Sample> sample;
    if (auto path = resolve(file)) {
        if (auto pcm = audio::Decoder::decodeFile(*path, kMaxEffectSeconds)) {
            sample = output_->makeSample(*pcm);
        }
    }
    if (file.empty()) {
        return nullptr;  // not worth remembering
    }
    samples_[file] = sample;
    return sample;
}

uint32_t SimpleAudioEngine::nextId() {
    do {
        ++lastId_;
    } while (lastId_ == 0 || lastId_ == kNoSource);
    return lastId_;
}

int SimpleAudioEngine::voiceOf(uint32_t id) const {
    if (id == 0 || id == kNoSource) {
        return -1;
    }
    for (size_t i = 0; i < voices_.size(); ++i) {
        if (voices_[i].id == id) {
            return int(i);
        }
    }
    return -1;
}

int SimpleAudioEngine::chooseVoice() {
    int oldest = -1;
    for (size_t i = 0; i < voices_.size(); ++i) {
        if (!output_->isVoiceSounding(int(i))) {
            return int(i);
        }
        if (oldest < 0 || voices_[i].startedAt < voices_[size_t(oldest)].startedAt) {
            oldest = int(i);
        }
    }
    if (oldest >= 0) {
        Voice& v = voices_[size_t(oldest)];
        AudioEvent e = event(AudioEvent::Kind::EffectStopped, v.id, v.file);
        e.cutOff = true;
        e.displaced = true;
        record(std::move(e));
    }
    return oldest;
}

uint32_t SimpleAudioEngine::playEffect(const std::string& file, float pitch, float pan, float gain) {
    pitch = clampFinite(pitch, 1.0f / 16, 16.0f, 1.0f);
    pan = clampFinite(pan, -1.0f, 1.0f, 0.0f);
    gain = clampFinite(gain, 0.0f, 1.0f, 1.0f);
    AudioEvent e = event(AudioEvent::Kind::EffectStarted, kNoSource, file);
    e.pitch = pitch;
    e.pan = pan;
    e.gain = gain;

    auto sample = sampleFor(file);
    int voice = sample ? chooseVoice() : -1;
    if (voice < 0) {
        record(std::move(e));
        return kNoSource;
    }
    uint32_t id = nextId();
    voices_[size_t(voice)] = {id, file, ++starts_};
    output_->startVoice(voice, std::move(sample), pitch, pan, gain);
    e.id = id;
    e.loaded = true;
    record(std::move(e));
    return id;
}

void SimpleAudioEngine::stopEffect(uint32_t id) {
    AudioEvent e = event(AudioEvent::Kind::EffectStopped, id);
    int voice = voiceOf(id);
    if (voice >= 0) {
        Voice& v = voices_[size_t(voice)];
        e.file = v.file;
        e.cutOff = output_->isVoiceSounding(voice);
        output_->stopVoice(voice);
        v = {};
    }
    record(std::move(e));
}

bool SimpleAudioEngine::isEffectPlaying(uint32_t id) const {
    int voice = voiceOf(id);
    return voice >= 0 && output_->isVoiceSounding(voice);
}

void SimpleAudioEngine::unloadEffect(const std::string& file) {
    AudioEvent e = event(AudioEvent::Kind::EffectUnloaded, 0, file);
    auto cached = samples_.find(file);
    if (cached != samples_.end()) {
        e.loaded = cached->second != nullptr;
        samples_.erase(cached);
    }
    reportedMissing_.erase(file);
    record(std::move(e));
}

void SimpleAudioEngine::playBackgroundMusic(const std::string& file, bool loop) {
    if (music_) {
        AudioEvent e = event(AudioEvent::Kind::MusicStopped, 0, music_->file);
        e.cutOff = !music_->stream->isFinished();
        e.displaced = true;
        music_.reset();
        record(std::move(e));
    }
    AudioEvent e = event(AudioEvent::Kind::MusicStarted, 0, file);
    e.loop = loop;
    std::unique_ptr<audio::Decoder> decoder;
    if (auto path = resolve(file)) {
        decoder = audio::Decoder::open(*path);
    }
    if (decoder) {
        audio::PcmFormat format = decoder->format();
        // std::function needs a copyable callable; the feed stays with the stream.
        auto feed = std::make_shared<MusicFeed>(std::move(decoder), loop);
        auto stream = output_->openStream(format, [feed](int16_t* out, long maxFrames) { return (*feed)(out, maxFrames); });
        if (stream) {
            stream->setGain(musicVolume_);
            stream->play();
            music_ = std::make_unique<Music>(Music{file, std::move(stream)});
            e.loaded = true;
        }
    }
    record(std::move(e));
}

void SimpleAudioEngine::stopBackgroundMusic() {
    AudioEvent e = event(AudioEvent::Kind::MusicStopped);
    if (music_) {
        e.file = music_->file;
        e.cutOff = !music_->stream->isFinished();
        music_.reset();
    }
    record(std::move(e));
}

bool SimpleAudioEngine::isBackgroundMusicPlaying() const { return music_ && !music_->stream->isFinished(); }

int SimpleAudioEngine::backgroundMusicUnderruns() const { return music_ ? music_->stream->underruns() : 0; }

void SimpleAudioEngine::setBackgroundMusicVolume(float volume) {
    musicVolume_ = clampFinite(volume, 0.0f, 1.0f, 0.0f);
    if (music_) {
        music_->stream->setGain(musicVolume_);
    }
    AudioEvent e = event(AudioEvent::Kind::MusicVolume);
    e.volume = musicVolume_;
    record(std::move(e));
}

std::unique_ptr<audio::Stream> SimpleAudioEngine::openStream(audio::PcmFormat format, audio::PcmCallback callback) {
    return output_->openStream(format, std::move(callback));
}
