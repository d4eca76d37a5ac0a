// A local HTTP server for tests, on 127.0.0.1 and a free port, answering as
// the handler says: slowly, with any status, or with an endless answer. The
// real publisher service is server/PublisherService; this stands in for a
// service that misbehaves.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace testsupport {

struct HttpExchange {
    std::string method;
    std::string path;  // with the query, as sent
    std::string body;
    // What the handler answers:
    int status = 200;
    std::string contentType = "text/plain";
    std::string responseBody;
    double delaySeconds = 0;        // wait before answering (cut short when the stand-in stops)
    std::size_t streamedBytes = 0;  // instead of responseBody: this many filler bytes, made as they are sent
};

class HttpStandIn {
public:
    explicit HttpStandIn(std::function<void(HttpExchange&)> handler);
    ~HttpStandIn();
    HttpStandIn(const HttpStandIn&) = delete;
    HttpStandIn& operator=(const HttpStandIn&) = delete;

    int port() const { return port_; }
    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string url(const std::string& path) const { return "http://" + host() + path; }
    // Requests seen so far (method and path), for assertions.
    std::vector<std::string> requests() const;

private:
    std::function<void(HttpExchange&)> handler_;
    std::unique_ptr<httplib::Server> server_;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    std::vector<std::string> seen_;
    mutable std::mutex mutex_;
};

// A port on which nothing listens.
int closedPort();
// "127.0.0.1:<closedPort()>": a host no request ever reaches.
std::string closedHost();

}  // namespace testsupport
