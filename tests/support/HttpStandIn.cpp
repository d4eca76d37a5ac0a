#include "support/HttpStandIn.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace testsupport {
namespace {

int listenOnLoopback(int& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        throw std::runtime_error("cannot listen on loopback");
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return fd;
}

// Reads one request: headers, then Content-Length bytes of body.
bool readRequest(int fd, HttpExchange& ex) {
    std::string data;
    char buf[4096];
    std::size_t headerEnd = std::string::npos;
    std::size_t length = 0;
    for (;;) {
        if (headerEnd != std::string::npos && data.size() >= headerEnd + 4 + length) break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0) return false;
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return false;
        data.append(buf, static_cast<std::size_t>(n));
        if (headerEnd == std::string::npos) {
            headerEnd = data.find("\r\n\r\n");
            if (headerEnd != std::string::npos) {
                std::string head = data.substr(0, headerEnd);
                for (std::string key : {"Content-Length:", "content-length:"}) {
                    auto at = head.find(key);
                    if (at != std::string::npos) length = std::strtoul(head.c_str() + at + key.size(), nullptr, 10);
                }
            }
        }
    }
    auto sp1 = data.find(' ');
    auto sp2 = data.find(' ', sp1 + 1);
    ex.method = data.substr(0, sp1);
    ex.path = data.substr(sp1 + 1, sp2 - sp1 - 1);
    ex.body = data.substr(headerEnd + 4, length);
    return true;
}

const char* reason(int status) {
    switch (status) {
        case 200: return "OK";
        case 404: return "Not Found";
        case 500: return "Internal Server Error";
        default: return "Status";
    }
}

}  // namespace

HttpStandIn::HttpStandIn(std::function<void(HttpExchange&)> handler) : handler_(std::move(handler)) {
    listenFd_ = listenOnLoopback(port_);
    thread_ = std::thread([this] { serve(); });
}

HttpStandIn::~HttpStandIn() {
    stopping_ = true;
    ::shutdown(listenFd_, SHUT_RDWR);
    ::close(listenFd_);
    thread_.join();
}

std::string HttpStandIn::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> HttpStandIn::requests() const {
    std::lock_guard lock(mutex_);
    return seen_;
}

void HttpStandIn::serve() {
    while (!stopping_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        int fd = ::accept(listenFd_, nullptr, nullptr);
        if (fd < 0) continue;
        HttpExchange ex;
        if (readRequest(fd, ex)) {
            {
                std::lock_guard lock(mutex_);
                seen_.push_back(ex.method + " " + ex.path);
            }
            handler_(ex);
            auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(ex.delaySeconds);
            while (!stopping_ && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!ex.silent && !stopping_) {
                std::string out = "HTTP/1.1 " + std::to_string(ex.status) + " " + reason(ex.status) +
                                  "\r\nContent-Type: " + ex.contentType +
                                  "\r\nContent-Length: " + std::to_string(ex.responseBody.size()) +
                                  "\r\nConnection: close\r\n\r\n" + ex.responseBody;
                ::send(fd, out.data(), out.size(), MSG_NOSIGNAL);
            }
        }
        ::close(fd);
    }
}

int closedPort() {
    int port = 0;
    int fd = listenOnLoopback(port);
    ::close(fd);
    return port;
}

}  // namespace testsupport
