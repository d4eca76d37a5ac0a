// Runs the game executable (or any program) and collects its exit code and
// its output, for end-to-end tests.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace testsupport {

struct ProcessResult {
    int exitCode = -1;  // -1 when it did not exit normally
    int signal = 0;     // the signal that ended it, 0 when it exited
    bool timedOut = false;  // killed by runProcess for running past its limit
    std::string output;  // stdout and stderr together
};

// Runs argv to its end; with limitSeconds above 0 a run still going after
// that long is killed (SIGKILL) and reported as timedOut, so a hang fails a
// test instead of stalling the suite.
ProcessResult runProcess(const std::vector<std::string>& argv, double limitSeconds = 0);

// The game headless with these extra options; its publisher's services are
// at a closed port unless the options say otherwise (--api-host, --analytics-host).
ProcessResult runGame(const std::vector<std::string>& options, double limitSeconds = 0);

// A program left running for a test to kill; its output is discarded. The
// destructor kills (SIGKILL) and reaps it if it is still there.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // Sends the signal and waits for the end; returns the wait status.
    int kill(int signal);
    // Whether it has ended on its own (reaping it if so).
    bool exited();

private:
    pid_t pid_ = -1;
    int status_ = 0;
};

}  // namespace testsupport
