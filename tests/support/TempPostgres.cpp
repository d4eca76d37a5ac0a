#include "support/TempPostgres.h"

#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "support/Process.h"

namespace testsupport {

namespace {

constexpr const char* kPort = "5432";  // only names the socket: nothing listens on TCP

}  // namespace

TempPostgres& TempPostgres::shared() {
    static TempPostgres server;
    return server;
}

std::string TempPostgres::run(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> argv;
    if (asPostgres_) argv = {"/usr/sbin/runuser", "-u", "postgres", "--"};
    argv.push_back(bin_ + "/" + program);
    argv.insert(argv.end(), args.begin(), args.end());
    ProcessResult r = runProcess(argv, 60);
    if (r.exitCode != 0) error_ = program + " failed: " + r.output;
    return r.exitCode == 0 ? r.output : "";
}

TempPostgres::TempPostgres() {
    ProcessResult config = runProcess({"/usr/bin/pg_config", "--bindir"}, 10);
    bin_ = config.output.substr(0, config.output.find('\n'));
    // pg_config comes with libpq; the server's programs with postgresql.
    if (config.exitCode != 0 || !std::filesystem::exists(bin_ + "/initdb")) {
        error_ = "no PostgreSQL server programs (Debian's postgresql package) at '" + bin_ + "'";
        return;
    }
    socketDir_ = dir_.path().string();
    asPostgres_ = geteuid() == 0;
    if (asPostgres_) {
        const passwd* user = getpwnam("postgres");
        if (!user || chown(socketDir_.c_str(), user->pw_uid, user->pw_gid) != 0) {
            error_ = "running as root, but there is no postgres user to run PostgreSQL as";
            return;
        }
    }
    if (run("initdb", {"-D", dir_ / "data", "-U", "postgres", "-A", "trust", "-E", "UTF8", "--locale=C", "--no-sync"})
            .empty() &&
        !error_.empty())
        return;
    if (run("pg_ctl", {"-D", dir_ / "data", "-l", dir_ / "server.log", "-w", "-t", "60", "-o",
                       "-k " + socketDir_ + " -h '' -p " + kPort + " -F", "start"})
            .empty() &&
        !error_.empty())
        return;
    started_ = true;
}

TempPostgres::~TempPostgres() {
    if (started_) run("pg_ctl", {"-D", dir_ / "data", "-m", "immediate", "-w", "stop"});
}

std::string TempPostgres::newDatabase() {
    const std::string name = "store" + std::to_string(++databases_);
    if (error_.empty()) run("createdb", {"-h", socketDir_, "-p", kPort, "-U", "postgres", name});
    return "postgresql://postgres@/" + name + "?host=" + socketDir_ + "&port=" + kPort;
}

}  // namespace testsupport
