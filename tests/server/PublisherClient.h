// A publisher at the service's pages, as a browser would be: it keeps the
// cookies the service sets and sends the page's CSRF token with each change.
#pragma once

#include <httplib.h>

#include <map>
#include <string>

#include "support/RealPublisher.h"

class PublisherClient {
public:
    explicit PublisherClient(testsupport::RealPublisher& service) : client_("127.0.0.1", service.service().port()) {}

    // Logs in through the login form; the answer to the form's POST.
    httplib::Result login(const std::string& password) {
        auto form = get("/publisher/login");
        if (!form) return form;
        return post("/publisher/login", {{"csrf", token(form->body)}, {"password", password}});
    }
    httplib::Result get(const std::string& path) {
        auto result = client_.Get(path.c_str(), headers());
        keep(result);
        if (result && result->status == 200) csrf_ = token(result->body).empty() ? csrf_ : token(result->body);
        return result;
    }
    // A change with the token of the last page seen, unless the params carry their own.
    httplib::Result change(const std::string& path, httplib::Params params) {
        params.emplace("csrf", csrf_);
        return post(path, params);
    }
    httplib::Result post(const std::string& path, const httplib::Params& params) {
        auto result = client_.Post(path.c_str(), headers(), params);
        keep(result);
        return result;
    }
    const std::string& cookie(const std::string& name) { return cookies_[name]; }
    // The whole Set-Cookie header last seen for a cookie.
    const std::string& setCookieHeader(const std::string& name) { return setCookies_[name]; }

    // The value of the page's hidden "csrf" input.
    static std::string token(const std::string& page) {
        const std::string mark = "name=\"csrf\" value=\"";
        auto at = page.find(mark);
        if (at == std::string::npos) return "";
        at += mark.size();
        return page.substr(at, page.find('"', at) - at);
    }

private:
    httplib::Headers headers() const {
        std::string line;
        for (const auto& [name, value] : cookies_)
            if (!value.empty()) line += (line.empty() ? "" : "; ") + name + "=" + value;
        return line.empty() ? httplib::Headers{} : httplib::Headers{{"Cookie", line}};
    }
    void keep(const httplib::Result& result) {
        if (!result) return;
        for (auto [it, end] = result->headers.equal_range("Set-Cookie"); it != end; ++it) {
            const std::string& header = it->second;
            const auto eq = header.find('=');
            const std::string name = header.substr(0, eq);
            cookies_[name] = header.substr(eq + 1, header.find(';') - eq - 1);
            setCookies_[name] = header;
        }
    }

    httplib::Client client_;
    std::map<std::string, std::string> cookies_, setCookies_;
    std::string csrf_;
};
