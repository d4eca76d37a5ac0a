#include "platform/Bundle.h"

#include <unistd.h>

#include <cctype>
#include <filesystem>

#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

// Found from the executable's own place, so that an installed tree works
// wherever its prefix is (a package unpacked anywhere, a moved prefix): a
// build tree keeps Resources beside bin/, an installed game under the
// prefix's data directory (NM_INSTALLED_RESOURCES, relative to bin/).
std::string defaultResourcePath() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        for (const fs::path& dir : {exe.parent_path().parent_path() / "Resources",
                                    exe.parent_path() / NM_INSTALLED_RESOURCES}) {
            if (fs::is_regular_file(dir / "Info.plist", ec)) return dir.lexically_normal().string();
        }
    }
    return NM_BUILD_RESOURCES_DIR;
}

// Reads the text form of a string table: "key" = "value"; with C escapes and
// comments. Anything it cannot follow ends the table there.
Value parseStringsText(const std::string& s) {
    Value table{Value::Dictionary{}};
    std::size_t i = 0;
    auto skipSpace = [&] {
        for (;;) {
            while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
            if (s.compare(i, 2, "//") == 0) {
                i = s.find('\n', i);
                if (i == std::string::npos) i = s.size();
            } else if (s.compare(i, 2, "/*") == 0) {
                i = s.find("*/", i + 2);
                i = i == std::string::npos ? s.size() : i + 2;
            } else {
                return;
            }
        }
    };
    auto quoted = [&](std::string& out) {
        if (i >= s.size() || s[i] != '"') return false;
        ++i;
        while (i < s.size() && s[i] != '"') {
            char c = s[i++];
            if (c == '\\' && i < s.size()) {
                char e = s[i++];
                c = e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
            }
            out += c;
        }
        if (i >= s.size()) return false;
        ++i;
        return true;
    };
    for (;;) {
        skipSpace();
        if (i >= s.size()) break;
        std::string key, value;
        if (!quoted(key)) break;
        skipSpace();
        if (i >= s.size() || s[i] != '=') break;
        ++i;
        skipSpace();
        if (!quoted(value)) break;
        skipSpace();
        if (i < s.size() && s[i] == ';') ++i;
        table.set(key, value);
    }
    return table;
}

}  // namespace

Bundle& Bundle::main() {
    static Bundle bundle;
    if (bundle.resourcePath_.empty()) bundle.resourcePath_ = defaultResourcePath();
    return bundle;
}

void Bundle::setResourcePath(std::string path) {
    resourcePath_ = std::move(path);
    info_.reset();
    strings_.reset();
}

void Bundle::setPreferredLanguages(std::vector<std::string> languages) {
    languages_ = std::move(languages);
    strings_.reset();
}

std::optional<std::string> Bundle::pathForResource(const std::string& fileName) const {
    if (fileName.empty()) return std::nullopt;
    std::vector<std::string> folders;
    for (const std::string& lang : languages_) {
        folders.push_back(lang + ".lproj/");
        // "it-IT" also finds "it.lproj".
        auto dash = lang.find_first_of("-_");
        if (dash != std::string::npos) folders.push_back(lang.substr(0, dash) + ".lproj/");
    }
    folders.push_back("");
    folders.push_back("en.lproj/");
    for (const std::string& folder : folders) {
        std::string path = resourcePath_ + "/" + folder + fileName;
        if (fileExists(path)) return path;
    }
    return std::nullopt;
}

std::optional<std::string> Bundle::pathForResource(const std::string& name, const std::string& type) const {
    return pathForResource(type.empty() ? name : name + "." + type);
}

const Value& Bundle::infoDictionary() const {
    if (!info_) {
        auto info = readPropertyListFile(resourcePath_ + "/Info.plist");
        if (!info) log("Info.plist missing or unreadable in %s", resourcePath_.c_str());
        info_ = info ? *info : Value(Value::Dictionary{});
    }
    return *info_;
}

std::string Bundle::localizedString(const std::string& key) const {
    if (!strings_) {
        strings_ = Value(Value::Dictionary{});
        if (auto path = pathForResource("Localizable", "strings")) {
            auto bytes = readFile(*path);
            if (bytes) {
                auto plist = readPropertyList(bytes->data(), bytes->size());
                strings_ = plist && plist->isDictionary()
                               ? *plist
                               : parseStringsText(std::string(bytes->begin(), bytes->end()));
            }
        }
    }
    const Value& text = (*strings_)[key];
    return text.isString() ? text.asString() : key;
}

}  // namespace platform
