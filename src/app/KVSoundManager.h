// The one place the game plays audio through: a looping music track, one
// effect at a time and one voice at a time, each with its on/off switch from
// the player's preferences (read on every use).
//
// A new effect cuts off the previous effect and a new voice the previous
// voice, but an effect and a voice sound together over the music. Music that
// is switched off keeps running silently (volume 0) rather than stopping.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

class KVSoundManager {
public:
    static KVSoundManager* sharedManager();

    bool soundEnabled() const;
    bool voiceEnabled() const;
    bool musicEnabled() const;
    void setSoundEnabled(bool enabled);
    void setVoiceEnabled(bool enabled);
    void setMusicEnabled(bool enabled);

    const std::string& backgroundMusic() const { return backgroundMusic_; }
    void setBackgroundMusic(const std::string& file);
    // Makes file the track and switches music on (and stores that).
    void playBackgroundMusic(const std::string& file);
    void stopBackgroundMusic();

    void playSound(const std::string& file);
    void playButtonSound();
    void stopSound();
    // A base name plays "<name>.m4a"; a name ending in "mp3" plays as is.
    void playVoice(const std::string& name);
    void stopVoice();

    std::uint32_t soundId() const { return soundId_; }
    std::uint32_t voiceId() const { return voiceId_; }

private:
    KVSoundManager();

    std::string backgroundMusic_;
    std::atomic<std::uint32_t> soundId_{0};
    std::atomic<std::uint32_t> voiceId_{0};
    std::string voice_;
};
