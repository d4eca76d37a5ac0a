// The engine's audio facade: short effects that may overlap, and one
// streamed background-music track. Files are named as in the bundle and
// looked up localized first (voices differ per language); mp3, m4a (AAC),
// wav and whatever else FFmpeg reads will play.
//
// Main thread only. A missing or broken file is logged once and played as
// nothing; without a sound card the engine plays into OpenAL Soft's null
// back-end, and without OpenAL into a silent output that keeps time. Ids,
// the music state and the recorder behave the same on every output.
//
// Every call is recorded (history()), so tests and the launcher can see
// what the game asked to hear, in order: the latest few thousand, so that
// hours of play do not pile them up.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/audio/Output.h"

// One entry of the recorder.
struct AudioEvent {
    enum class Kind {
        EffectStarted,   // id, file, pitch, pan, gain, loaded
        EffectStopped,   // id, file ("" for an unknown id), cutOff, displaced
        EffectUnloaded,  // file, cutOff = false, loaded = whether it was cached
        MusicStarted,    // file, loop, loaded
        MusicStopped,    // file ("" when none), cutOff, displaced
        MusicVolume,     // volume
    };
    Kind kind = Kind::EffectStarted;
    uint32_t id = 0;
    std::string file;
    // Started: the file loaded (false: it gave the no-source id and silence).
    // Unloaded: a decoded sample was cached.
    bool loaded = false;
    // Stopped: it was still sounding, so this cut it off.
    bool cutOff = false;
    // Stopped by the engine, not asked for: an effect made way for a new one
    // when every voice was busy, or a track was replaced by the next.
    bool displaced = false;
    bool loop = false;
    float pitch = 1, pan = 0, gain = 1;
    float volume = 0;

    // One line for the log: "effect 3 started bird.m4a pitch 1 pan 0 gain 0.5".
    std::string describe() const;
};

class SimpleAudioEngine {
public:
    // The id of a file that could not be loaded. Never 0 (callers keep 0 for
    // "no sound") and never given to a sound that plays; stopping it does nothing.
    static constexpr uint32_t kNoSource = 0xFFFFFFFFu;

    // Created on first use on the default output (the null back-end when the
    // application is headless).
    static SimpleAudioEngine& sharedEngine();
    // Stops every sound and closes the shared engine's device; the next
    // sharedEngine() starts afresh.
    static void end();

    // An engine on a given output (tests, tools).
    explicit SimpleAudioEngine(std::unique_ptr<audio::Output> output);
    ~SimpleAudioEngine();
    SimpleAudioEngine(const SimpleAudioEngine&) = delete;
    SimpleAudioEngine& operator=(const SimpleAudioEngine&) = delete;

    // Plays a file at once, decoding and caching it on first use. pitch > 0
    // (1 = as recorded, 2 = an octave up and twice as fast), pan -1 (left) to
    // 1 (right), gain 0 to 1; values outside are clamped. Returns a fresh id,
    // never reused in the engine's life, or kNoSource. When every voice is
    // busy the oldest effect is cut off to make room.
    uint32_t playEffect(const std::string& file, float pitch = 1.0f, float pan = 0.0f, float gain = 1.0f);
    // Cuts off that sound if it still plays; an old, unknown or no-source id
    // does nothing.
    void stopEffect(uint32_t id);
    // Forgets the cached sample of a file (a failed load too, so the next
    // play tries again). A sound still playing it goes on to its end; the
    // sample is freed after it.
    void unloadEffect(const std::string& file);
    bool isEffectPlaying(uint32_t id) const;

    // Streams a file as the background track, stopping any other first.
    // Background music loops unless told otherwise; a loop is seamless.
    void playBackgroundMusic(const std::string& file, bool loop = true);
    void stopBackgroundMusic();
    // A track is playing and has not reached its end (a track at volume 0
    // counts as playing).
    bool isBackgroundMusicPlaying() const;
    // 0 to 1 (clamped): at once on the playing track and on later ones. 1 at
    // start.
    void setBackgroundMusicVolume(float volume);
    float backgroundMusicVolume() const { return musicVolume_; }
    // How often the current track ran dry because its decoding fell behind
    // (a stutter); 0 with no track.
    int backgroundMusicUnderruns() const;

    // A stream for another producer of PCM, such as the movie player's
    // soundtrack: decode on the callback (it runs on the stream's thread),
    // play() it, and read position() as the clock to show pictures by. See
    // audio::Stream, and audio::PcmQueue for feeding it from a decoding
    // thread. Destroy it before end(). nullptr when the format cannot be played.
    std::unique_ptr<audio::Stream> openStream(audio::PcmFormat format, audio::PcmCallback callback);

    // The recorder: at least the last kHistoryKept events.
    static constexpr std::size_t kHistoryKept = 2048;
    const std::vector<AudioEvent>& history() const { return history_; }
    void clearHistory() { history_.clear(); }
    // Also writes each event to the log as it happens ("audio: ...").
    void setLogsEvents(bool logs) { logsEvents_ = logs; }

    // Which output plays: "OpenAL Soft (<device>)", "OpenAL Soft loopback", "silent"
    std::string outputName() const;

private:
    struct Voice {
        uint32_t id = 0;
        std::string file;
        uint64_t startedAt = 0;  // order of starting, for choosing whom to cut off
    };
    struct Music;

    std::shared_ptr<audio::Sample> sampleFor(const std::string& file);
    std::optional<std::string> resolve(const std::string& file);
    int chooseVoice();
    int voiceOf(uint32_t id) const;
    uint32_t nextId();
    void record(AudioEvent event);

    std::unique_ptr<audio::Output> output_;
    std::vector<Voice> voices_;
    // Decoded samples by file name as asked; nullptr remembers a failed load.
    std::map<std::string, std::shared_ptr<audio::Sample>> samples_;
    std::set<std::string> reportedMissing_;
    uint32_t lastId_ = 0;
    uint64_t starts_ = 0;
    std::unique_ptr<Music> music_;
    float musicVolume_ = 1.0f;
    std::vector<AudioEvent> history_;
    bool logsEvents_ = false;
};
