#include "support/HttpStandIn.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace testsupport {

HttpStandIn::HttpStandIn(std::function<void(HttpExchange&)> handler)
    : handler_(std::move(handler)), server_(std::make_unique<httplib::Server>()) {
    auto answer = [this](const httplib::Request& req, httplib::Response& res) {
        HttpExchange ex{req.method, req.target, req.body};
        {
            std::lock_guard lock(mutex_);
            seen_.push_back(ex.method + " " + ex.path);
        }
        handler_(ex);
        auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(ex.delaySeconds);
        while (!stopping_ && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        res.status = ex.status;
        if (ex.streamedBytes == 0) {
            res.set_content(ex.responseBody, ex.contentType.c_str());
            return;
        }
        res.set_content_provider(ex.streamedBytes, ex.contentType.c_str(),
                                 [this](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                     static const std::string filler(64 * 1024, 'x');
                                     (void)offset;
                                     if (stopping_) return false;
                                     return sink.write(filler.data(), std::min(length, filler.size()));
                                 });
    };
    server_->Get(".*", answer);
    server_->Post(".*", answer);
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("cannot listen on loopback");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // A stop() before the loop runs would be lost, and the loop never end.
    while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

HttpStandIn::~HttpStandIn() {
    stopping_ = true;
    server_->stop();
    thread_.join();
}

std::vector<std::string> HttpStandIn::requests() const {
    std::lock_guard lock(mutex_);
    return seen_;
}

int closedPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        throw std::runtime_error("cannot bind on loopback");
    }
    ::close(fd);
    return ntohs(addr.sin_port);
}

std::string closedHost() { return "127.0.0.1:" + std::to_string(closedPort()); }

}  // namespace testsupport
