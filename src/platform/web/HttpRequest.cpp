// HTTP in the browser: the page's own XMLHttpRequest through Emscripten's
// fetch, synchronous on the worker threads the kit's requests run on (the
// main thread of a page must never wait on the network).
#include <emscripten.h>
#include <emscripten/fetch.h>

#include <atomic>
#include <cstring>

#include "platform/HttpBackEnd.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"

namespace platform {
namespace {

std::atomic<bool>& aborted() {
    static std::atomic<bool> flag{false};
    return flag;
}

}  // namespace

// A synchronous request cannot be cut short from another thread: an abort
// fails the requests that start after it, and those in flight end by their
// time-out, as the page itself ends.
void abortHttpRequests() { aborted() = true; }
void allowHttpRequests() { aborted() = false; }

HttpResponse performHttpRequest(const HttpRequest& request) {
    HttpResponse response;
    if (aborted()) {
        response.error = "aborted: the program ends";
        return response;
    }
    if (isMainThread()) {
        response.error = "no waiting request on the page's main thread";
        log("http: %s asked on the main thread; refused", request.url.c_str());
        return response;
    }
    emscripten_fetch_attr_t attr;
    emscripten_fetch_attr_init(&attr);
    std::strncpy(attr.requestMethod, request.method.c_str(), sizeof attr.requestMethod - 1);
    attr.attributes = EMSCRIPTEN_FETCH_LOAD_TO_MEMORY | EMSCRIPTEN_FETCH_SYNCHRONOUS | EMSCRIPTEN_FETCH_REPLACE;
    attr.timeoutMSecs = static_cast<unsigned long>(request.timeoutSeconds * 1000);
    const char* headers[] = {"Content-Type", request.contentType.c_str(), nullptr};
    if (request.method == "POST") {
        attr.requestHeaders = headers;
        attr.requestData = request.body.data();
        attr.requestDataSize = request.body.size();
    }
    emscripten_fetch_t* fetch = emscripten_fetch(&attr, request.url.c_str());
    if (!fetch) {
        response.error = "cannot start a request";
        return response;
    }
    // Status 0: no connection, refused by the browser, or the time-out.
    if (fetch->status == 0) {
        response.error = fetch->statusText[0] ? fetch->statusText : "no answer";
    } else if (fetch->numBytes > request.maxBodyBytes) {
        response.error = "answer larger than allowed";
    } else {
        response.gotResponse = true;
        response.status = fetch->status;
        response.body.assign(fetch->data ? fetch->data : "", static_cast<std::size_t>(fetch->numBytes));
    }
    emscripten_fetch_close(fetch);
    return response;
}

bool openWebAddress(const std::string& url) {
    // A new tab, with no way back into the game's page.
    MAIN_THREAD_EM_ASM({ window.open(UTF8ToString($0), "_blank", "noopener"); }, url.c_str());
    return true;
}

}  // namespace platform
