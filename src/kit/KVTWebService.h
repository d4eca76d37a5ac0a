// Where the publisher's web services live and who the game is to them.
//
// Two hosts, "name" or "name:port", both reached over plain HTTP: the API
// host (catalogue, banner, feedback) and the analytics host. Their defaults
// are build settings (NM_API_HOST, NM_ANALYTICS_HOST); the launcher may move
// them (--api-host, --analytics-host). Set them on the main thread before the
// first menu; requests read them when they are built.
#pragma once

#include <string>
#include <utility>
#include <vector>

class KVTWebService {
public:
    KVTWebService() = delete;

    static const std::string& apiHost();
    static const std::string& analyticsHost();
    static void setApiHost(std::string host);
    static void setAnalyticsHost(std::string host);
    // "name" or "name:port" with a port of 1 to 65535; letters, digits, "."
    // and "-" in the name.
    static bool isValidHost(const std::string& host);

    // "http://" + host + path + "?" + the pairs, each value percent-encoded
    // (keys go as they are: they are fixed by the services).
    static std::string url(const std::string& host, const std::string& path,
                           const std::vector<std::pair<std::string, std::string>>& query);

    // The requests' time-out, seconds.
    static constexpr double kRequestTimeout = 5.0;
};

// The game as the services know it: the bundle's name and version and the
// content document's "analytics-auth-token".
struct KVTAppIdentity {
    std::string name;
    std::string version;
    std::string token;

    // Read on the main thread from the bundle and the settings store.
    static KVTAppIdentity current();
    // The access token of analytics and feedback: md5 of the name followed
    // by the token.
    std::string authToken() const;
};
