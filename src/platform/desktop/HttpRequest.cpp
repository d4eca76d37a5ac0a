// HTTP on the desktop: libcurl, and the system browser for openURL.
#include "platform/HttpBackEnd.h"

#include <SDL.h>
#include <curl/curl.h>

#include <atomic>
#include <mutex>
#include <set>

#include "platform/Application.h"
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

// Requests wait in curl_multi_poll, so that an abort can wake them at once
// instead of after curl's next progress tick (up to a second).
struct InFlight {
    std::mutex mutex;
    std::set<CURLM*> waiting;
    std::atomic<bool> aborted{false};
};

InFlight& inFlight() {
    static InFlight state;
    return state;
}

void initCurl() {
    static std::once_flag init;
    std::call_once(init, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Runs one easy handle to its end, or until abortHttpRequests().
CURLcode perform(CURL* curl) {
    InFlight& state = inFlight();
    CURLM* multi = curl_multi_init();
    if (!multi) return CURLE_OUT_OF_MEMORY;
    curl_multi_add_handle(multi, curl);
    {
        std::lock_guard lock(state.mutex);
        state.waiting.insert(multi);
    }
    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
    for (int running = 1; running && !state.aborted;) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (!running) {
            int left = 0;
            CURLMsg* message = curl_multi_info_read(multi, &left);
            result = message && message->msg == CURLMSG_DONE ? message->data.result : CURLE_FAILED_INIT;
        } else {
            curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
        }
    }
    {
        std::lock_guard lock(state.mutex);
        state.waiting.erase(multi);
    }
    curl_multi_remove_handle(multi, curl);
    curl_multi_cleanup(multi);
    return result;
}

}  // namespace

void abortHttpRequests() {
    InFlight& state = inFlight();
    std::lock_guard lock(state.mutex);
    state.aborted = true;
    for (CURLM* multi : state.waiting) curl_multi_wakeup(multi);
}

void allowHttpRequests() { inFlight().aborted = false; }

HttpResponse performHttpRequest(const HttpRequest& request) {
    initCurl();
    HttpResponse response;
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
    CURLcode rc = perform(curl);
    if (rc == CURLE_OK) {
        response.gotResponse = true;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    } else {
        response.error = sink.overflow || rc == CURLE_FILESIZE_EXCEEDED ? "answer larger than allowed"
                         : rc == CURLE_ABORTED_BY_CALLBACK           ? "aborted: the program ends"
                                                                     : curl_easy_strerror(rc);
        response.body.clear();
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return response;
}

bool openWebAddress(const std::string& url) {
    if (Application::shared().isHeadless()) {
        log("openURL: %s (headless: nothing launched)", url.c_str());
        return true;
    }
    if (SDL_OpenURL(url.c_str()) != 0) {
        log("cannot open %s: %s", url.c_str(), SDL_GetError());
        return false;
    }
    return true;
}

}  // namespace platform
