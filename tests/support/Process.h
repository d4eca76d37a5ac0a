// Runs the game executable (or any program) and collects its exit code and
// its output, for end-to-end tests.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct ProcessResult {
    int exitCode = -1;  // -1 when it did not exit normally
    std::string output;  // stdout and stderr together
};

ProcessResult runProcess(const std::vector<std::string>& argv);

// The game headless with these extra options; its publisher's services are
// at a closed port unless the options say otherwise (--api-host, --analytics-host).
ProcessResult runGame(const std::vector<std::string>& options);

}  // namespace testsupport
