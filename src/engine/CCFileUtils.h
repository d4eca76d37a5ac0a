// Resource look-up by name: resolves a name against the bundle (localized
// folders first) and, on devices whose suffix is set, prefers the variant
// with the suffix before the extension ("frog-hd.png" for "frog.png").
// Also reads resource files, inflating gzip- or zlib-compressed ones.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/CCTexture2D.h"
#include "platform/Application.h"

class CCFileUtils {
public:
    static CCFileUtils* sharedFileUtils();

    void setiPhoneRetinaDisplaySuffix(std::string suffix);
    void setiPadSuffix(std::string suffix);
    void setiPadRetinaDisplaySuffix(std::string suffix);
    const std::string& iPhoneRetinaDisplaySuffix() const { return iPhoneRetinaSuffix_; }
    const std::string& iPadSuffix() const { return iPadSuffix_; }
    const std::string& iPadRetinaDisplaySuffix() const { return iPadRetinaSuffix_; }

    // The full path for a resource name on the running device, the suffixed
    // variant when it exists; "" when no file exists. `resolution` tells what
    // the file found was made for.
    std::string fullPathFromRelativePath(const std::string& name, ccResolutionType* resolution = nullptr);
    // The same for a given device, uncached (tests, tools).
    std::string fullPathForDevice(const std::string& name, platform::Idiom idiom, int scale,
                                  ccResolutionType* resolution = nullptr) const;
    // The suffix the device looks for ("" for none).
    std::string suffixForDevice(platform::Idiom idiom, int scale) const;

    // A file's bytes, inflated when gzip- or zlib-compressed; nullopt when unreadable.
    std::optional<std::vector<std::uint8_t>> contentsOfFile(const std::string& fullPath) const;
    // Forgets cached look-ups (memory warnings, new resources).
    void purgeCachedEntries() { cache_.clear(); }

    // Inflates gzip or zlib data; nullopt when it is neither, or broken.
    static std::optional<std::vector<std::uint8_t>> inflate(const std::uint8_t* bytes, std::size_t size);

private:
    CCFileUtils() = default;

    std::string iPhoneRetinaSuffix_ = "-hd";
    std::string iPadSuffix_ = "-ipad";
    std::string iPadRetinaSuffix_ = "-ipadhd";
    struct Entry {
        std::string path;
        ccResolutionType resolution;
    };
    std::map<std::string, Entry, std::less<>> cache_;
};
