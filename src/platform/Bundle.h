// The main bundle: the Resources directory the build writes, its Info
// dictionary, its string table and localized look-ups.
//
// Localized resources live in "<lang>.lproj/"; a look-up tries the
// preferred languages' folders in order, then the bundle root.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Value.h"

namespace platform {

class Bundle {
public:
    static Bundle& main();

    // Points the bundle at a Resources directory (the launcher and tests).
    void setResourcePath(std::string path);
    const std::string& resourcePath() const { return resourcePath_; }

    // The preferred languages, most preferred first ("AppleLanguages").
    void setPreferredLanguages(std::vector<std::string> languages);
    const std::vector<std::string>& preferredLanguages() const { return languages_; }

    // Full path of "name.type" (type may be empty, name may hold a folder),
    // localized first; nullopt when no such file exists.
    std::optional<std::string> pathForResource(const std::string& name, const std::string& type) const;
    // Same, with the name carrying its own extension.
    std::optional<std::string> pathForResource(const std::string& fileName) const;

    // Info.plist at the bundle root (CFBundleName, CFBundleVersion).
    const Value& infoDictionary() const;
    // The string table's text for key, or the key itself when missing.
    std::string localizedString(const std::string& key) const;

private:
    Bundle() = default;
    std::string resourcePath_;
    std::vector<std::string> languages_;
    mutable std::optional<Value> info_;
    mutable std::optional<Value> strings_;
};

}  // namespace platform
