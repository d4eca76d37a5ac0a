// The player's six preferences and the game's content document.
//
// Preferences live in the user-defaults store; each change is written to
// disk at once. The content document ("data1.plist", localized through the
// bundle) holds every text, voice list and layout the scenes read; it is
// loaded once and is null when missing or unreadable, so every look-up in it
// then reads as empty.
#pragma once

#include "platform/UserDefaults.h"
#include "platform/Value.h"

class SettingsManager {
public:
    static SettingsManager* sharedManager();

    // Loads the content document and registers the preference defaults
    // (sound, voice and music on; type, difficult and team 0) without
    // touching stored values.
    SettingsManager();

    bool soundEnabled() const;
    bool voiceEnabled() const;
    bool musicEnabled() const;
    void setSoundEnabled(bool enabled);
    void setVoiceEnabled(bool enabled);
    void setMusicEnabled(bool enabled);

    int type() const;
    int difficult() const;
    int team() const;
    void setType(int value);
    void setDifficult(int value);
    void setTeam(int value);

    const platform::Value& settings() const { return settings_; }
    platform::UserDefaults& defaults() const { return defaults_; }

private:
    platform::UserDefaults& defaults_;
    platform::Value settings_;
};
