#include "app/SettingsManager.h"

#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"

using platform::Value;

SettingsManager* SettingsManager::sharedManager() {
    static SettingsManager manager;
    return &manager;
}

SettingsManager::SettingsManager() : defaults_(platform::UserDefaults::standard()) {
    defaults_.registerDefaults({{"sound", Value(true)},
                                {"voice", Value(true)},
                                {"music", Value(true)},
                                {"type", Value(0)},
                                {"difficult", Value(0)},
                                {"team", Value(0)}});
    auto path = platform::Bundle::main().pathForResource("data1", "plist");
    auto document = path ? platform::readPropertyListFile(*path) : std::nullopt;
    if (document && document->isDictionary()) {
        settings_ = std::move(*document);
    } else {
        platform::log("content document data1.plist is missing or unreadable; texts and layouts stay empty");
    }
}

bool SettingsManager::soundEnabled() const { return defaults_.boolForKey("sound"); }
bool SettingsManager::voiceEnabled() const { return defaults_.boolForKey("voice"); }
bool SettingsManager::musicEnabled() const { return defaults_.boolForKey("music"); }
void SettingsManager::setSoundEnabled(bool enabled) { defaults_.setBool("sound", enabled); }
void SettingsManager::setVoiceEnabled(bool enabled) { defaults_.setBool("voice", enabled); }
void SettingsManager::setMusicEnabled(bool enabled) { defaults_.setBool("music", enabled); }

int SettingsManager::type() const { return static_cast<int>(defaults_.integerForKey("type")); }
int SettingsManager::difficult() const { return static_cast<int>(defaults_.integerForKey("difficult")); }
int SettingsManager::team() const { return static_cast<int>(defaults_.integerForKey("team")); }
void SettingsManager::setType(int value) { defaults_.setInteger("type", value); }
void SettingsManager::setDifficult(int value) { defaults_.setInteger("difficult", value); }
void SettingsManager::setTeam(int value) { defaults_.setInteger("team", value); }
