#include "server/Access.h"

#include <sodium.h>

#include <cmath>
#include <vector>

namespace publisher {

namespace {

// sodium_init is safe to call more than once and from any thread.
bool sodium() { return sodium_init() >= 0; }

}  // namespace

std::string randomToken(std::size_t bytes) {
    sodium();
    std::vector<unsigned char> raw(bytes);
    randombytes_buf(raw.data(), raw.size());
    std::string hex(bytes * 2 + 1, '\0');
    sodium_bin2hex(hex.data(), hex.size(), raw.data(), raw.size());
    hex.pop_back();
    return hex;
}

std::string newPassword() {
    sodium();
    static const char kLetters[] = "abcdefghjkmnpqrstuvwxyzACDEFGHJKLMNPQRSTUVWXYZ23456789";
    std::string password;
    for (int i = 0; i < 16; ++i) password += kLetters[randombytes_uniform(sizeof kLetters - 1)];
    return password;
}

std::string hashPassword(const std::string& password) {
    if (!sodium()) return "";
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return "";
    return hash;
}

bool passwordMatches(const std::string& password, const std::string& hash) {
    return sodium() && !hash.empty() && crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

std::string Sessions::open() {
    const auto now = std::chrono::steady_clock::now();
    std::string cookie = randomToken();
    std::lock_guard lock(mutex_);
    std::erase_if(sessions_, [&](const auto& entry) { return entry.second.expires <= now; });
    sessions_[cookie] = {randomToken(), now + kLifetime};
    return cookie;
}

std::optional<Sessions::Session> Sessions::find(const std::string& cookie) {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(cookie);
    if (it == sessions_.end()) return std::nullopt;
    if (it->second.expires <= std::chrono::steady_clock::now()) {
        sessions_.erase(it);
        return std::nullopt;
    }
    return it->second;
}

void Sessions::close(const std::string& cookie) {
    std::lock_guard lock(mutex_);
    sessions_.erase(cookie);
}

int RateLimit::take(const std::string& client) {
    if (perMinute_ <= 0) return 0;
    const auto now = std::chrono::steady_clock::now();
    const double rate = perMinute_ / 60.0;  // tokens a second
    std::lock_guard lock(mutex_);
    // Clients long gone have full buckets: forget them before the map grows.
    if (buckets_.size() > 10000)
        std::erase_if(buckets_, [&](const auto& entry) {
            return entry.second.tokens + std::chrono::duration<double>(now - entry.second.at).count() * rate >= perMinute_;
        });
    auto [it, fresh] = buckets_.try_emplace(client, Bucket{static_cast<double>(perMinute_), now});
    Bucket& b = it->second;
    b.tokens = std::min<double>(perMinute_, b.tokens + std::chrono::duration<double>(now - b.at).count() * rate);
    b.at = now;
    if (b.tokens >= 1) {
        b.tokens -= 1;
        return 0;
    }
    return std::max(1, static_cast<int>(std::ceil((1 - b.tokens) / rate)));
}

}  // namespace publisher
