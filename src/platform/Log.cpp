#include "platform/Log.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace platform {

void log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string line(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(line.data(), line.size() + 1, format, args);
    va_end(args);
    if (line.empty() || line.back() != '\n') line += '\n';
    // One write per line keeps lines from different threads whole.
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace platform
