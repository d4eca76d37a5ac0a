// The publisher's web service: the catalogue list, the banner, analytics and
// feedback endpoints the game's kit calls, the pictures they name, and a
// read-only page for the publisher listing what came in.
//
//   GET  /api/?appName&lang&isRetina&interfaceIdiom&scaleFactor   catalogue (JSON)
//   GET  /api/banner.php?interfaceIdiom&scaleFactor&orientation&appName&lang   banner (JSON)
//   GET  /?auth_token&appName&appVersion&actions[i][actionType]&actions[i][targetAppName]   analytics
//   POST /api/qz_app_api.php?auth_token&appName&appVersion   feedback (form body)
//   GET  /files/NAME.png       pictures      GET /apps/NAME   an application's page
//   GET  /publisher/           what was received
//   GET  /play/                the game's web page (see PlayPages.h)
//
// What it serves comes from a content folder the build makes (publisher.json
// and files/); what it receives goes to a SQLite store in its data folder.
// Every request is hostile: sizes are capped, parameters are checked (4xx
// when malformed), the access token is checked, SQL is bound and pages are
// escaped under a restrictive Content-Security-Policy.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "server/PublisherStore.h"

namespace httplib {
class Server;
}

namespace publisher {

struct Options {
    std::string listen = "127.0.0.1";
    int port = 8787;  // 0: any free port
    std::string dataDir;
    std::string contentDir;
    // The web build's page folder; its absence only means no /play/.
    std::string playDir;
    // Where each request's line goes ("GET /target -> 200"); stderr when unset.
    std::function<void(const std::string&)> log;
};

class PublisherService {
public:
    explicit PublisherService(Options options);
    ~PublisherService();
    PublisherService(const PublisherService&) = delete;
    PublisherService& operator=(const PublisherService&) = delete;

    // Reads the content, opens the store and starts listening on a thread of
    // its own; false with error() set when any of it fails.
    bool start();
    void stop();
    int port() const { return port_; }
    const std::string& error() const { return error_; }
    const PublisherStore& store() const { return store_; }

    // The default data folder: $XDG_DATA_HOME (or ~/.local/share)/number-meadow-publisher.
    static std::string defaultDataDir();
    // The content folder the build makes.
    static std::string defaultContentDir();
    // The page folder the web build makes (build-web/play).
    static std::string defaultPlayDir();

private:
    struct Content;
    void route();

    Options options_;
    PublisherStore store_;
    std::unique_ptr<Content> content_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    std::string error_;
};

}  // namespace publisher
