#include "platform/Memory.h"

#include <fstream>
#include <sstream>
#include <string>

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

void releaseFreeMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace platform
