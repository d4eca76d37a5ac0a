// The publisher's web service: the catalogue list, the banner, analytics and
// feedback endpoints the game's kit calls, the pictures they name, and a
// read-only page for the publisher listing what came in.
//
//   GET  /api/?appName&lang&isRetina&interfaceIdiom&scaleFactor   catalogue (JSON)
//   GET  /api/banner.php?interfaceIdiom&scaleFactor&orientation&appName&lang   banner (JSON)
//   GET  /?auth_token&appName&appVersion&actions[i][actionType]&actions[i][targetAppName]   analytics
//   POST /api/qz_app_api.php?auth_token&appName&appVersion   feedback (form body)
//   GET  /files/NAME.png       pictures      GET /apps/NAME   an application's page
//   /publisher/...             the publisher's pages, behind a login (PublisherPages.cpp)
//   GET  /play/                the game's web page (see PlayPages.h)
//
// What it serves comes from a content folder the build makes (publisher.json
// and files/); what it receives goes to a store (SQLite in its data folder,
// or PostgreSQL). Every request is hostile: sizes are capped, parameters are
// checked (4xx when malformed), the access token is checked, writes are
// rate-limited per client, the store is capped, SQL is bound and pages are
// escaped under a restrictive Content-Security-Policy.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "server/Access.h"
#include "server/PublisherStore.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace publisher {

struct Options {
    std::string listen = "127.0.0.1";
    int port = 8787;  // 0: any free port
    std::string dataDir;
    std::string contentDir;
    // "postgresql://..." for a PostgreSQL store; empty: SQLite in dataDir.
    std::string database;
    // Writes (analytics, feedback, login attempts) per minute per client; 0: no limit.
    int writesPerMinute = 120;
    // Events and feedback kept at most; what comes beyond is refused (507).
    long maxStoredRows = 5'000'000;
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
    void routePublisherPages();
    // Answers what adding to the store gave: OK, 507 when full (logged once
    // each time it fills), 500 when it failed.
    void answerStored(httplib::Response& res, PublisherStore::Added added);
    // Removes what is older than the retention setting, at most once an hour
    // unless `now`.
    void applyRetention(bool now);
    // True (answered 429 with Retry-After) when the client must wait.
    bool limited(const httplib::Request& req, httplib::Response& res);

    Options options_;
    PublisherStore store_;
    std::unique_ptr<Content> content_;
    std::unique_ptr<httplib::Server> server_;
    Sessions sessions_;
    std::unique_ptr<RateLimit> rateLimit_;
    std::atomic<bool> storeFull_{false};
    std::atomic<long long> lastRetention_{0};
    std::thread thread_;
    int port_ = 0;
    std::string error_;
};

}  // namespace publisher
