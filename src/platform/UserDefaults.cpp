#include "platform/UserDefaults.h"

#include <cstdio>
#include <filesystem>

#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"

namespace platform {

UserDefaults& UserDefaults::standard() {
    static UserDefaults defaults;
    return defaults;
}

std::string UserDefaults::filePath() const { return dataDirectory() + "/preferences.plist"; }

void UserDefaults::reset() {
    loaded_ = false;
    stored_ = Value();
}

namespace {

// A process killed in the middle of a write leaves its temporary file
// ("preferences.plist.XXXXXX", see writeFileAtomically) beside the
// preferences; the next start clears them away.
void removeLeftoverWrites(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    const std::string prefix = target.filename().string() + ".";
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(target.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0 &&
            name.find('.', prefix.size()) == std::string::npos && entry.is_regular_file(ec)) {
            fs::remove(entry.path(), ec);
            log("removed %s, left by a write that did not finish", name.c_str());
        }
    }
}

}  // namespace

void UserDefaults::load() const {
    if (loaded_) return;
    loaded_ = true;
    stored_ = Value(Value::Dictionary{});
    std::string path = filePath();
    removeLeftoverWrites(path);
    if (!fileExists(path)) return;
    auto value = readPropertyListFile(path);
    if (value && value->isDictionary()) {
        stored_ = *value;
        return;
    }
    // Keep the unreadable file for a person to look at instead of silently
    // overwriting it with the next change.
    std::string aside = path + ".unreadable";
    std::rename(path.c_str(), aside.c_str());
    log("preferences file %s is unreadable; moved aside to %s, using defaults", path.c_str(), aside.c_str());
}

void UserDefaults::save() const {
    writePropertyListFile(filePath(), stored_, PlistFormat::Xml);
}

void UserDefaults::registerDefaults(const Value::Dictionary& defaults) {
    for (const auto& [key, value] : defaults) registered_.set(key, value);
}

const Value& UserDefaults::objectForKey(const std::string& key) const {
    load();
    if (key == "AppleLanguages" && !languages_.isNull()) return languages_;
    if (stored_.contains(key)) return stored_[key];
    return registered_[key];
}

void UserDefaults::setObject(const std::string& key, Value value) {
    load();
    if (stored_.contains(key) && stored_[key] == value) return;
    stored_.set(key, std::move(value));
    save();
}

void UserDefaults::removeObject(const std::string& key) {
    load();
    if (!stored_.contains(key)) return;
    Value::Dictionary rest = stored_.asDictionary();
    rest.erase(key);
    stored_ = Value(std::move(rest));
    save();
}

void UserDefaults::setLanguages(const std::vector<std::string>& languages) {
    Value list{Value::Array{}};
    for (const auto& l : languages) list.push(l);
    languages_ = list;
}

}  // namespace platform
