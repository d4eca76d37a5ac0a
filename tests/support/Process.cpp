#include "support/Process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "support/HttpStandIn.h"

namespace testsupport {

ProcessResult runProcess(const std::vector<std::string>& argv) {
    ProcessResult result;
    int pipeFd[2];
    if (pipe(pipeFd) != 0) return result;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFd[1], 1);
        dup2(pipeFd[1], 2);
        close(pipeFd[0]);
        close(pipeFd[1]);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(pipeFd[1]);
    char buf[4096];
    ssize_t n;
    while ((n = read(pipeFd[0], buf, sizeof buf)) > 0) result.output.append(buf, static_cast<std::size_t>(n));
    close(pipeFd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

ProcessResult runGame(const std::vector<std::string>& options) {
    // No run reaches a publisher's service unless its options name one.
    std::vector<std::string> argv{NM_TEST_EXECUTABLE, "--headless", "--api-host", closedHost(), "--analytics-host",
                                  closedHost()};
    argv.insert(argv.end(), options.begin(), options.end());
    return runProcess(argv);
}

}  // namespace testsupport
