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

// At termination: every request in flight ends at once as failed, and every
// later one fails at once, until allowHttpRequests(). Safe from any thread.
void abortHttpRequests();
void allowHttpRequests();

// A value for a URL's query, every byte but the unreserved ones (letters,
// digits, "-", ".", "_", "~") as %XX: "A b&c" is "A%20b%26c".
std::string percentEncode(const std::string& value);

// Only http and https addresses are ever fetched or opened.
bool isWebAddress(const std::string& url);

// Opens an http(s) address in the system's browser; anything else is logged
// and refused. Headless runs log the address and launch nothing.
bool openURL(const std::string& url);

}  // namespace platform
