// Who may do what on the publisher service: the publisher's password (made
// at the first start, kept only as a libsodium password hash), the sessions
// a right password opens (a cookie and a token every change must carry), and
// a per-client rate limit for the endpoints that write.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace publisher {

// A fresh random token: `bytes` random bytes as hexadecimal.
std::string randomToken(std::size_t bytes = 32);
// A password a person can type: 16 letters and digits with no look-alikes.
std::string newPassword();
// libsodium's salted, memory-hard hash of the password, and its check.
std::string hashPassword(const std::string& password);
bool passwordMatches(const std::string& password, const std::string& hash);

class Sessions {
public:
    struct Session {
        std::string csrf;  // what every change in this session carries
        std::chrono::steady_clock::time_point expires;
    };
    static constexpr std::chrono::hours kLifetime{12};

    // A new session's cookie value.
    std::string open();
    std::optional<Session> find(const std::string& cookie);
    void close(const std::string& cookie);

private:
    std::mutex mutex_;
    std::map<std::string, Session> sessions_;
};

// A token bucket per client address: `perMinute` writes in a burst, then one
// every 60 / perMinute seconds.
class RateLimit {
public:
    explicit RateLimit(int perMinute) : perMinute_(perMinute) {}
    // 0 when the client may write now, else the whole seconds to wait.
    int take(const std::string& client);

private:
    struct Bucket {
        double tokens;
        std::chrono::steady_clock::time_point at;
    };
    int perMinute_;
    std::mutex mutex_;
    std::map<std::string, Bucket> buckets_;
};

}  // namespace publisher
