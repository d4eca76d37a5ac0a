// The system log: one printf-style line to stderr per call (a newline is
// added when the format lacks one). Safe from any thread.
#pragma once

namespace platform {

void log(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace platform
