#include "support/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "support/HttpStandIn.h"

namespace testsupport {
namespace {

// In the child after fork: argv[0] with stdout and stderr on `out`.
[[noreturn]] void exec(const std::vector<std::string>& argv, int out) {
    dup2(out, 1);
    dup2(out, 2);
    if (out > 2) close(out);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, double limitSeconds) {
    ProcessResult result;
    int pipeFd[2];
    if (pipe(pipeFd) != 0) return result;
    pid_t pid = fork();
    if (pid == 0) {
        close(pipeFd[0]);
        exec(argv, pipeFd[1]);
    }
    close(pipeFd[1]);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(limitSeconds > 0 ? limitSeconds : 0));
    char buf[4096];
    for (;;) {
        int wait = -1;
        if (limitSeconds > 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                ::kill(pid, SIGKILL);
                result.timedOut = true;
                break;
            }
            wait = static_cast<int>(left);
        }
        pollfd p{pipeFd[0], POLLIN, 0};
        if (poll(&p, 1, wait) < 0) continue;
        if (p.revents == 0) continue;
        ssize_t n = read(pipeFd[0], buf, sizeof buf);
        if (n <= 0) break;
        result.output.append(buf, static_cast<std::size_t>(n));
    }
    close(pipeFd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

ProcessResult runGame(const std::vector<std::string>& options, double limitSeconds) {
    // No run reaches a publisher's service unless its options name one.
    std::vector<std::string> argv{NM_TEST_EXECUTABLE, "--headless", "--api-host", closedHost(), "--analytics-host",
                                  closedHost()};
    argv.insert(argv.end(), options.begin(), options.end());
    return runProcess(argv, limitSeconds);
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
    pid_ = fork();
    if (pid_ == 0) exec(argv, open("/dev/null", O_WRONLY));
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) kill(SIGKILL);
}

int ChildProcess::kill(int signal) {
    if (pid_ <= 0) return status_;
    ::kill(pid_, signal);
    waitpid(pid_, &status_, 0);
    pid_ = -1;
    return status_;
}

bool ChildProcess::exited() {
    if (pid_ <= 0) return true;
    if (waitpid(pid_, &status_, WNOHANG) != pid_) return false;
    pid_ = -1;
    return true;
}

}  // namespace testsupport
