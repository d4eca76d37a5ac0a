// Synchronous HTTP requests (the kit's web services). Blocking: call from a
// background thread unless blocking the frame loop is intended.
#pragma once

#include <string>

namespace platform {

struct HttpResponse {
    bool gotResponse = false;  // false: no connection, time-out, or body over the cap
    long status = 0;
    std::string body;
    std::string error;  // what went wrong when gotResponse is false
};

struct HttpRequest {
    std::string url;
    std::string method = "GET";
    std::string body;  // POST only
    std::string contentType = "application/x-www-form-urlencoded";
    double timeoutSeconds = 30;
    std::size_t maxBodyBytes = 4 * 1024 * 1024;
};

HttpResponse httpRequest(const HttpRequest& request);

// Only http and https addresses are ever fetched or opened.
bool isWebAddress(const std::string& url);

// Opens an http(s) address in the system's browser; anything else is logged
// and refused.
bool openURL(const std::string& url);

}  // namespace platform
