// The publisher service on its own (--help lists its options). Runs until
// interrupted (SIGINT, SIGTERM).
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "server/PublisherService.h"

#ifndef NM_VERSION
#define NM_VERSION "unknown"
#endif

namespace {

const char* const kUsage =
    "usage: number-meadow-publisher [OPTION]...\n"
    "The publisher's web service for Number Meadow: the catalogue, banner, analytics and\n"
    "feedback endpoints the game calls, and the publisher's pages at /publisher/.\n"
    "\n"
    "  --port N              listen on port N (default 8787)\n"
    "  --listen ADDR         listen on address ADDR (default 127.0.0.1)\n"
    "  --data-dir DIR        keep the SQLite store in DIR\n"
    "                        (default $XDG_DATA_HOME/number-meadow-publisher)\n"
    "  --database URL        keep the store in PostgreSQL instead: postgresql://...\n"
    "  --content-dir DIR     serve the catalogue and pictures from DIR\n"
    "  --play-dir DIR        serve the game's web page at /play/ from DIR (default build-web/play)\n"
    "  --rate-limit N        writes per minute per client, 0 for none (default 120)\n"
    "  --max-rows N          events and messages kept at most (default 5000000)\n"
    "  --help                show this and exit\n"
    "  --version             show the version and exit\n"
    "\n"
    "At its first start with a new store the service prints the publisher's password\n"
    "once; log in with it at /publisher/login.\n";

bool number(const std::string& text, long low, long high, long& out) {
    char* end = nullptr;
    out = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && !*end && out >= low && out <= high;
}

}  // namespace

int main(int argc, char** argv) {
    publisher::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "--version") {
            std::printf("number-meadow-publisher %s\n", NM_VERSION);
            return 0;
        }
        if (i + 1 >= argc || a.rfind("--", 0) != 0) {
            std::fprintf(stderr, "number-meadow-publisher: bad option %s\n%s", a.c_str(), kUsage);
            return 2;
        }
        const std::string v = argv[++i];
        long n = 0;
        auto bad = [&](const char* what) {
            std::fprintf(stderr, "number-meadow-publisher: %s needs %s, not %s\n", a.c_str(), what, v.c_str());
            return 2;
        };
        if (a == "--port") {
            if (!number(v, 1, 65535, n)) return bad("1 to 65535");
            options.port = static_cast<int>(n);
        } else if (a == "--rate-limit") {
            if (!number(v, 0, 1'000'000, n)) return bad("0 to 1000000");
            options.writesPerMinute = static_cast<int>(n);
        } else if (a == "--max-rows") {
            if (!number(v, 1, 2'000'000'000, n)) return bad("1 to 2000000000");
            options.maxStoredRows = n;
        } else if (a == "--database") {
            if (!publisher::Database::isPostgresAddress(v)) return bad("a postgresql:// address");
            options.database = v;
        } else if (a == "--listen") {
            options.listen = v;
        } else if (a == "--data-dir") {
            options.dataDir = v;
        } else if (a == "--content-dir") {
            options.contentDir = v;
        } else if (a == "--play-dir") {
            options.playDir = v;
        } else {
            std::fprintf(stderr, "number-meadow-publisher: bad option %s\n%s", a.c_str(), kUsage);
            return 2;
        }
    }

    // Signals are taken by sigwait below, not by whichever thread they hit.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    publisher::PublisherService service(options);
    if (!service.start()) {
        std::fprintf(stderr, "number-meadow-publisher: %s\n", service.error().c_str());
        return 1;
    }
    std::fprintf(stderr, "publisher: listening on http://%s:%d, publisher page /publisher/, the game /play/\n",
                 options.listen.c_str(),
                 service.port());
    int signal = 0;
    sigwait(&stopSignals, &signal);
    service.stop();
    std::fprintf(stderr, "publisher: stopped\n");
    return 0;
}
