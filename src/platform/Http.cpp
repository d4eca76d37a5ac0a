#include "platform/Http.h"

#include <SDL.h>
#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <mutex>

#include "platform/Log.h"

namespace platform {
namespace {

struct Sink {
    std::string* body;
    std::size_t cap;
    bool overflow = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    std::size_t n = size * count;
    if (sink->body->size() + n > sink->cap) {
        sink->overflow = true;
        return 0;  // makes curl stop with a write error
    }
    sink->body->append(data, n);
    return n;
}

}  // namespace

bool isWebAddress(const std::string& url) {
    std::string lower(url.substr(0, 8));
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
}

HttpResponse httpRequest(const HttpRequest& request) {
    static std::once_flag init;
    std::call_once(init, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    HttpResponse response;
    if (!isWebAddress(request.url)) {
        response.error = "not an http(s) address";
        return response;
    }
    CURL* curl = curl_easy_init();
    if (!curl) {
        response.error = "cannot start a request";
        return response;
    }
    Sink sink{&response.body, request.maxBodyBytes};
    long timeoutMs = static_cast<long>(request.timeoutSeconds * 1000);
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeoutMs);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.maxBodyBytes));
    curl_slist* headers = nullptr;
    if (request.method == "POST") {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        headers = curl_slist_append(headers, ("Content-Type: " + request.contentType).c_str());
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    }
    CURLcode rc = curl_easy_perform(curl);
    if (rc == CURLE_OK) {
        response.gotResponse = true;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    } else {
        response.error = sink.overflow || rc == CURLE_FILESIZE_EXCEEDED ? "answer larger than allowed"
                                                                          : curl_easy_strerror(rc);
        response.body.clear();
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return response;
}

bool openURL(const std::string& url) {
    if (!isWebAddress(url)) {
        log("refusing to open %s: only http and https addresses are opened", url.c_str());
        return false;
    }
    if (SDL_OpenURL(url.c_str()) != 0) {
        log("cannot open %s: %s", url.c_str(), SDL_GetError());
        return false;
    }
    return true;
}

}  // namespace platform
