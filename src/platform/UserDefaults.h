// The user-defaults store: the player's preferences in a property-list file
// in the data directory ("preferences.plist").
//
// Every change is written to disk at once, atomically, so a crash or a kill
// right after a child flips a switch never loses it. Registered defaults
// answer only for keys never stored and are never written.
#pragma once

#include <string>
#include <vector>

#include "platform/Value.h"

namespace platform {

class UserDefaults {
public:
    static UserDefaults& standard();

    void registerDefaults(const Value::Dictionary& defaults);
    // The stored value, else the registered one, else null.
    const Value& objectForKey(const std::string& key) const;
    bool boolForKey(const std::string& key) const { return objectForKey(key).asBool(); }
    std::int64_t integerForKey(const std::string& key) const { return objectForKey(key).asInt(); }

    void setObject(const std::string& key, Value value);
    void setBool(const std::string& key, bool value) { setObject(key, Value(value)); }
    void setInteger(const std::string& key, std::int64_t value) { setObject(key, Value(static_cast<long long>(value))); }
    void removeObject(const std::string& key);

    // "AppleLanguages": the launcher's --lang, else the locale's language.
    void setLanguages(const std::vector<std::string>& languages);

    std::string filePath() const;
    // Forgets what is in memory and reads the file again on next use (tests,
    // and a change of data directory).
    void reset();

private:
    UserDefaults() = default;
    void load() const;
    void save() const;

    mutable bool loaded_ = false;
    mutable Value stored_;
    Value registered_;
    Value languages_;
};

}  // namespace platform
