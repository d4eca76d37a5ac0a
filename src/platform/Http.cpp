#include "platform/Http.h"

#include <algorithm>
#include <cctype>

#include "platform/HttpBackEnd.h"
#include "platform/Log.h"

namespace platform {

std::string percentEncode(const std::string& value) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size() * 3);
    for (unsigned char c : value) {
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

bool isWebAddress(const std::string& url) {
    std::string lower(url.substr(0, 8));
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
}

HttpResponse httpRequest(const HttpRequest& request) {
    if (!isWebAddress(request.url)) {
        HttpResponse refused;
        refused.error = "not an http(s) address";
        return refused;
    }
    return performHttpRequest(request);
}

bool openURL(const std::string& url) {
    if (!isWebAddress(url)) {
        log("refusing to open %s: only http and https addresses are opened", url.c_str());
        return false;
    }
    return openWebAddress(url);
}

}  // namespace platform
