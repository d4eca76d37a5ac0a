#include "engine/CCFileUtils.h"

#include <zlib.h>

#include "engine/CCDirector.h"
#include "platform/Bundle.h"
#include "platform/Files.h"
#include "platform/Log.h"

namespace {

// Resources are ours, but a corrupt one must not exhaust memory.
constexpr std::size_t kMaxInflatedSize = 256u << 20;

// "dir/name.ext" -> "dir/name<suffix>.ext"; names without extension get it at the end.
std::string withSuffix(const std::string& name, const std::string& suffix) {
    std::size_t slash = name.find_last_of('/');
    std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1) return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

bool hasSuffix(const std::string& name, const std::string& suffix) {
    if (suffix.empty()) return false;
    std::size_t slash = name.find_last_of('/');
    std::size_t dot = name.find_last_of('.');
    std::size_t stemEnd = (dot == std::string::npos || (slash != std::string::npos && dot < slash)) ? name.size() : dot;
    return stemEnd >= suffix.size() && name.compare(stemEnd - suffix.size(), suffix.size(), suffix) == 0;
}

std::optional<std::string> locate(const std::string& name) {
    if (name.empty()) return std::nullopt;
    if (name.front() == '/') return platform::fileExists(name) ? std::optional<std::string>(name) : std::nullopt;
    return platform::Bundle::main().pathForResource(name);
}

}  // namespace

CCFileUtils* CCFileUtils::sharedFileUtils() {
    static CCFileUtils utils;
    return &utils;
}

void CCFileUtils::setiPhoneRetinaDisplaySuffix(std::string suffix) {
    iPhoneRetinaSuffix_ = std::move(suffix);
    purgeCachedEntries();
}

void CCFileUtils::setiPadSuffix(std::string suffix) {
    iPadSuffix_ = std::move(suffix);
    purgeCachedEntries();
}

void CCFileUtils::setiPadRetinaDisplaySuffix(std::string suffix) {
    iPadRetinaSuffix_ = std::move(suffix);
    purgeCachedEntries();
}

std::string CCFileUtils::suffixForDevice(platform::Idiom idiom, int scale) const {
    if (idiom == platform::Idiom::Pad) return scale >= 2 ? iPadRetinaSuffix_ : iPadSuffix_;
    return scale >= 2 ? iPhoneRetinaSuffix_ : "";
}

std::string CCFileUtils::fullPathForDevice(const std::string& name, platform::Idiom idiom, int scale,
                                           ccResolutionType* resolution) const {
    const bool pad = idiom == platform::Idiom::Pad;
    const ccResolutionType plain = pad ? kCCResolutioniPad : kCCResolutioniPhone;
    const ccResolutionType dense = pad ? kCCResolutioniPadRetinaDisplay : kCCResolutioniPhoneRetinaDisplay;
    const std::string suffix = suffixForDevice(idiom, scale);
    // The suffixed file is the device's own art; at scale 2 it is 2x art.
    const ccResolutionType suffixed = scale >= 2 ? dense : plain;
    auto answer = [&](const std::string& path, ccResolutionType type) {
        if (resolution) *resolution = type;
        return path;
    };
    // A name that already carries the suffix ("a-hd.png" named by a -hd sheet) is not suffixed twice.
    if (!suffix.empty() && !hasSuffix(name, suffix)) {
        if (auto path = locate(withSuffix(name, suffix))) return answer(*path, suffixed);
    }
    if (auto path = locate(name)) return answer(*path, hasSuffix(name, suffix) ? suffixed : plain);
    return answer("", kCCResolutionUnknown);
}

std::string CCFileUtils::fullPathFromRelativePath(const std::string& name, ccResolutionType* resolution) {
    const platform::DeviceProfile& device = CCDirector::sharedDirector()->device();
    const int scale = static_cast<int>(CCDirector::sharedDirector()->contentScaleFactor());
    std::string key = name;
    key += '\n';
    key += device.idiom == platform::Idiom::Pad ? 'P' : 'p';
    key += static_cast<char>('0' + scale);
    if (auto it = cache_.find(key); it != cache_.end()) {
        if (resolution) *resolution = it->second.resolution;
        return it->second.path;
    }
    ccResolutionType type = kCCResolutionUnknown;
    std::string path = fullPathForDevice(name, device.idiom, scale, &type);
    // Misses are not cached: content may appear later (downloads into caches).
    if (!path.empty()) cache_[key] = {path, type};
    if (resolution) *resolution = type;
    return path;
}

std::optional<std::vector<std::uint8_t>> CCFileUtils::contentsOfFile(const std::string& fullPath) const {
    auto bytes = platform::readFile(fullPath);
    if (!bytes) return std::nullopt;
    if (bytes->size() >= 2) {
        const std::uint8_t b0 = (*bytes)[0], b1 = (*bytes)[1];
        const bool gzip = b0 == 0x1f && b1 == 0x8b;
        // A zlib header: deflate, window <= 32K, check bits, no preset dictionary.
        const bool zlib = (b0 & 0x0f) == 8 && (b0 >> 4) <= 7 && ((b0 << 8) | b1) % 31 == 0 && !(b1 & 0x20);
        if (gzip || zlib) {
            if (auto inflated = inflate(bytes->data(), bytes->size())) return inflated;
            // A text file can start like a zlib header by chance; only a gzip
            // file that does not inflate is an error.
            if (gzip) {
                platform::log("CCFileUtils: %s is a broken gzip file", fullPath.c_str());
                return std::nullopt;
            }
        }
    }
    return bytes;
}

std::optional<std::vector<std::uint8_t>> CCFileUtils::inflate(const std::uint8_t* bytes, std::size_t size) {
    z_stream zs{};
    // 15 + 32: a zlib or gzip header, detected from the data.
    if (inflateInit2(&zs, 15 + 32) != Z_OK) return std::nullopt;
    std::vector<std::uint8_t> out(std::max<std::size_t>(size * 4, 4096));
    zs.next_in = const_cast<Bytef*>(bytes);
    zs.avail_in = static_cast<uInt>(size);
    int rc = Z_OK;
    while (rc == Z_OK) {
        if (zs.total_out == out.size()) {
            if (out.size() >= kMaxInflatedSize) break;
            out.resize(std::min(out.size() * 2, kMaxInflatedSize));
        }
        zs.next_out = out.data() + zs.total_out;
        zs.avail_out = static_cast<uInt>(out.size() - zs.total_out);
        rc = ::inflate(&zs, Z_NO_FLUSH);
    }
    const bool ok = rc == Z_STREAM_END;
    out.resize(zs.total_out);
    inflateEnd(&zs);
    if (!ok) return std::nullopt;
    return out;
}
