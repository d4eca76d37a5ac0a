#include "platform/Files.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/Log.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

std::string& dataDirOverride() {
    static std::string dir;
    return dir;
}

std::string xdgDir(const char* variable, const char* fallbackUnderHome) {
    const char* value = std::getenv(variable);
    if (value && *value == '/') return value;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/" + fallbackUnderHome;
}

std::string ensure(const std::string& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    return dir;
}

}  // namespace

void setDataDirectory(std::string path) { dataDirOverride() = std::move(path); }

std::string dataDirectory() {
    if (!dataDirOverride().empty()) return ensure(dataDirOverride());
    return ensure(xdgDir("XDG_DATA_HOME", ".local/share") + "/number-meadow");
}

std::string documentsDirectory() { return ensure(dataDirectory() + "/Documents"); }

std::string cachesDirectory() {
    if (!dataDirOverride().empty()) return ensure(dataDirOverride() + "/Caches");
    return ensure(xdgDir("XDG_CACHE_HOME", ".cache") + "/number-meadow");
}

std::optional<std::vector<std::uint8_t>> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool writeFileAtomically(const std::string& path, const void* bytes, std::size_t size) {
    fs::path target(path);
    std::error_code ec;
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    std::string temp = path + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        log("cannot write %s", path.c_str());
        return false;
    }
    // mkstemp makes the file private; give it the usual permissions.
    ::fchmod(fd, 0644);
    const char* p = static_cast<const char*>(bytes);
    std::size_t left = size;
    bool ok = true;
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        log("cannot write %s", path.c_str());
        return false;
    }
    // Make the rename itself durable.
    int dir = ::open(target.has_parent_path() ? target.parent_path().c_str() : ".", O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
#ifdef __EMSCRIPTEN__
    // A page's files live in memory: copy them to the browser's storage at
    // once, so that closing the tab loses nothing.
    MAIN_THREAD_ASYNC_EM_ASM({
        if (Module.persistStorage) Module.persistStorage();
    });
#endif
    return true;
}

}  // namespace platform
