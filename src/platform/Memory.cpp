#include "platform/Memory.h"

#include <cstddef>
#include <fstream>
#include <sstream>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator, from its runtime (GCC ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

double privateMemoryMb() {
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool counted = false;
    double kb = 0;
    while (std::getline(smaps, line)) {
        std::istringstream words(line);
        std::string first;
        words >> first;
        if (first.find('-') != std::string::npos && first.back() != ':') {
            // A mapping's header: address perms offset dev inode [path].
            std::string perms, offset, dev, inode, path;
            words >> perms >> offset >> dev >> inode;
            std::getline(words, path);
            path.erase(0, path.find_first_not_of(' '));
            const bool executable = perms.find('x') != std::string::npos;
            const bool shared = perms.find('s') != std::string::npos;
            counted = (path.empty() || path == "[heap]" || path == "[stack]") && !executable && !shared;
        } else if (counted && first == "Anonymous:") {
            double v = 0;
            words >> v;
            kb += v;
        }
    }
    return kb / 1024.0;
}

double heapInUseMb() {
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<double>(__sanitizer_get_current_allocated_bytes()) / (1024.0 * 1024.0);
#elif defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
#else
    return 0;
#endif
}

void releaseFreeMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace platform
