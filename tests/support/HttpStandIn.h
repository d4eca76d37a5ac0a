// A local HTTP server for tests, on 127.0.0.1 and a free port. Each request
// is answered by the handler on the server's own thread; the handler may be
// slow, or may ask to close the connection without answering.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

struct HttpExchange {
    std::string method;
    std::string path;  // with the query
    std::string body;
    // What the handler answers:
    int status = 200;
    std::string contentType = "text/plain";
    std::string responseBody;
    double delaySeconds = 0;  // wait before answering
    bool silent = false;      // close without a byte
};

class HttpStandIn {
public:
    explicit HttpStandIn(std::function<void(HttpExchange&)> handler);
    ~HttpStandIn();
    HttpStandIn(const HttpStandIn&) = delete;
    HttpStandIn& operator=(const HttpStandIn&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path) const;
    // Requests seen so far (method and path), for assertions.
    std::vector<std::string> requests() const;

private:
    void serve();
    std::function<void(HttpExchange&)> handler_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    mutable std::vector<std::string> seen_;
    mutable std::mutex mutex_;
};

// A port on which nothing listens.
int closedPort();

}  // namespace testsupport
