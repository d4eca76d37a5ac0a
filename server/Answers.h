// What the service's handlers share in writing answers: refusals, text made
// safe for HTML, and the pages' security policy (no scripts, nothing from
// elsewhere, forms only back to this service).
#pragma once

#include <httplib.h>

#include <string>

namespace publisher {

inline const char* const kPageSecurity =
    "default-src 'none'; style-src 'self'; img-src 'self'; base-uri 'none'; form-action 'self'; frame-ancestors 'none'";

inline std::string html(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

inline void refuse(httplib::Response& res, int status, const std::string& why) {
    res.status = status;
    res.set_content(why + "\n", "text/plain; charset=utf-8");
}

}  // namespace publisher
