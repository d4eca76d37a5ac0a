#include "kit/KVTWebService.h"

#include <cctype>
#include <cstdlib>

#include "app/KVTAppUtils.h"
#include "app/SettingsManager.h"
#include "platform/Bundle.h"
#include "platform/Http.h"

#ifndef NM_API_HOST
#define NM_API_HOST "127.0.0.1:8787"
#endif
#ifndef NM_ANALYTICS_HOST
#define NM_ANALYTICS_HOST "127.0.0.1:8787"
#endif

namespace {

std::string& api() {
    static std::string host = NM_API_HOST;
    return host;
}

std::string& analytics() {
    static std::string host = NM_ANALYTICS_HOST;
    return host;
}

}  // namespace

const std::string& KVTWebService::apiHost() { return api(); }
const std::string& KVTWebService::analyticsHost() { return analytics(); }
void KVTWebService::setApiHost(std::string host) { api() = std::move(host); }
void KVTWebService::setAnalyticsHost(std::string host) { analytics() = std::move(host); }

bool KVTWebService::isValidHost(const std::string& host) {
    std::size_t colon = host.find(':');
    std::string name = host.substr(0, colon);
    if (name.empty() || name.size() > 253) return false;
    for (unsigned char c : name)
        if (!std::isalnum(c) && c != '.' && c != '-') return false;
    if (colon == std::string::npos) return true;
    std::string port = host.substr(colon + 1);
    if (port.empty() || port.size() > 5) return false;
    for (unsigned char c : port)
        if (!std::isdigit(c)) return false;
    long n = std::strtol(port.c_str(), nullptr, 10);
    return n >= 1 && n <= 65535;
}

std::string KVTWebService::url(const std::string& host, const std::string& path,
                               const std::vector<std::pair<std::string, std::string>>& query) {
    std::string out = "http://" + host + path;
    char separator = '?';
    for (const auto& [key, value] : query) {
        out += separator + key + "=" + platform::percentEncode(value);
        separator = '&';
    }
    return out;
}

KVTAppIdentity KVTAppIdentity::current() {
    const platform::Value& info = platform::Bundle::main().infoDictionary();
    return {info["CFBundleName"].asString(), info["CFBundleVersion"].asString(),
            SettingsManager::sharedManager()->settings()["analytics-auth-token"].asString()};
}

std::string KVTAppIdentity::authToken() const { return md5(name + token); }
