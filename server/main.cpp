// The publisher service on its own:
//   number-meadow-publisher [--port N] [--listen ADDR] [--data-dir DIR] [--content-dir DIR] [--play-dir DIR]
// Runs until interrupted (SIGINT, SIGTERM).
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "server/PublisherService.h"

namespace {

const char* const kUsage =
    "usage: number-meadow-publisher [--port N] [--listen ADDR] [--data-dir DIR] [--content-dir DIR] [--play-dir DIR]\n";

}  // namespace

int main(int argc, char** argv) {
    publisher::Options options;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (i + 1 >= argc || (a != "--port" && a != "--listen" && a != "--data-dir" && a != "--content-dir" &&
                              a != "--play-dir")) {
            std::fprintf(stderr, "number-meadow-publisher: bad option %s\n%s", a.c_str(), kUsage);
            return 2;
        }
        std::string v = argv[++i];
        if (a == "--port") {
            char* end = nullptr;
            long port = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end || port < 1 || port > 65535) {
                std::fprintf(stderr, "number-meadow-publisher: --port needs 1 to 65535, not %s\n", v.c_str());
                return 2;
            }
            options.port = static_cast<int>(port);
        } else if (a == "--listen") {
            options.listen = v;
        } else if (a == "--data-dir") {
            options.dataDir = v;
        } else if (a == "--content-dir") {
            options.contentDir = v;
        } else {
            options.playDir = v;
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
