#include "app/KVSoundManager.h"

#include "app/SettingsManager.h"
#include "engine/audio/SimpleAudioEngine.h"
#include "platform/Log.h"

namespace {

SimpleAudioEngine& engineAudio() { return SimpleAudioEngine::sharedEngine(); }
SettingsManager* settings() { return SettingsManager::sharedManager(); }

constexpr float kPitch = 1.0f;
constexpr float kPan = 0.0f;
constexpr float kGain = 0.5f;
constexpr float kMusicVolume = 0.5f;

}  // namespace

KVSoundManager* KVSoundManager::sharedManager() {
    static KVSoundManager manager;
    return &manager;
}

KVSoundManager::KVSoundManager() {
    backgroundMusic_ = settings()->settings()["sounds"]["background_sound"].asString();
    platform::log("sound manager created");
}

bool KVSoundManager::soundEnabled() const { return settings()->soundEnabled(); }
bool KVSoundManager::voiceEnabled() const { return settings()->voiceEnabled(); }
bool KVSoundManager::musicEnabled() const { return settings()->musicEnabled(); }

void KVSoundManager::setSoundEnabled(bool enabled) {
    if (!enabled) stopSound();
    settings()->setSoundEnabled(enabled);
}

void KVSoundManager::setVoiceEnabled(bool enabled) {
    if (!enabled) stopVoice();
    settings()->setVoiceEnabled(enabled);
}

void KVSoundManager::setMusicEnabled(bool enabled) {
    if (enabled) {
        engineAudio().setBackgroundMusicVolume(kMusicVolume);
        if (!engineAudio().isBackgroundMusicPlaying()) engineAudio().playBackgroundMusic(backgroundMusic_, true);
    } else {
        // Silenced, not stopped: switching back on continues the same track.
        engineAudio().setBackgroundMusicVolume(0.0f);
    }
    settings()->setMusicEnabled(enabled);
}

void KVSoundManager::setBackgroundMusic(const std::string& file) {
    bool on = musicEnabled();
    if (on) engineAudio().stopBackgroundMusic();
    backgroundMusic_ = file;
    if (on) engineAudio().playBackgroundMusic(backgroundMusic_, true);
}

void KVSoundManager::playBackgroundMusic(const std::string& file) {
    engineAudio().stopBackgroundMusic();
    setBackgroundMusic(file);
    setMusicEnabled(true);
    engineAudio().playBackgroundMusic(file, true);
}

void KVSoundManager::stopBackgroundMusic() { engineAudio().stopBackgroundMusic(); }

void KVSoundManager::playSound(const std::string& file) {
    stopSound();
    if (soundEnabled()) soundId_ = engineAudio().playEffect(file, kPitch, kPan, kGain);
}

void KVSoundManager::playButtonSound() { playSound(settings()->settings()["sounds"]["button"].asString()); }

void KVSoundManager::stopSound() {
    if (soundId_ == 0) return;
    engineAudio().stopEffect(soundId_);
    soundId_ = 0;
}

void KVSoundManager::playVoice(const std::string& name) {
    stopVoice();
    if (!voiceEnabled()) return;
    bool isMp3 = name.size() >= 3 && name.compare(name.size() - 3, 3, "mp3") == 0;
    voice_ = isMp3 ? name : name + ".m4a";
    voiceId_ = engineAudio().playEffect(voice_, kPitch, kPan, kGain);
}

void KVSoundManager::stopVoice() {
    if (voiceId_ == 0) return;
    // Voices are not kept in memory once cut off, unlike effects.
    engineAudio().unloadEffect(voice_);
    engineAudio().stopEffect(voiceId_);
    voiceId_ = 0;
}
