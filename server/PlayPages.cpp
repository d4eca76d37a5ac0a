#include "server/PlayPages.h"

#include <httplib.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/Files.h"
#include "platform/Md5.h"

namespace publisher {
namespace {

std::string mimeType(const std::string& name) {
    static const std::map<std::string, std::string> types = {
        {".html", "text/html; charset=utf-8"}, {".js", "text/javascript; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},   {".wasm", "application/wasm"},
        {".png", "image/png"},                 {".json", "application/json"},
        {".webmanifest", "application/manifest+json"}, {".data", "application/octet-stream"},
        {".txt", "text/plain; charset=utf-8"}};
    const auto dot = name.rfind('.');
    const auto it = dot == std::string::npos ? types.end() : types.find(name.substr(dot));
    return it == types.end() ? "application/octet-stream" : it->second;
}

bool acceptsGzip(const httplib::Request& req) {
    return req.get_header_value("Accept-Encoding").find("gzip") != std::string::npos;
}

}  // namespace

std::string playFileName(const std::string& path) {
    if (path.empty()) return "index.html";
    if (path.size() > 128 || path.front() == '.') return "";
    for (char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == '-' || c == '_';
        if (!plain) return "";
    }
    return path;
}

void servePlayPages(httplib::Server& server, const std::string& dir) {
    server.Get("/play", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/play/"); });
    server.Get(R"(/play/(.*))", [dir](const httplib::Request& req, httplib::Response& res) {
        const std::string name = playFileName(req.matches[1]);
        const bool gzip = !name.empty() && acceptsGzip(req) && platform::fileExists(dir + "/" + name + ".gz");
        auto bytes = name.empty() ? std::nullopt : platform::readFile(dir + "/" + name + (gzip ? ".gz" : ""));
        if (!bytes) {
            res.status = 404;
            res.set_content("no such file\n", "text/plain");
            return;
        }
        // The page's threads need its memory shared, which browsers allow only
        // to a page isolated from other origins.
        res.set_header("Cross-Origin-Opener-Policy", "same-origin");
        res.set_header("Cross-Origin-Embedder-Policy", "require-corp");
        res.set_header("Cross-Origin-Resource-Policy", "same-origin");
        // Kept, but asked after each time: an unchanged file answers 304.
        res.headers.erase("Cache-Control");
        res.set_header("Cache-Control", "no-cache");
        res.set_header("Vary", "Accept-Encoding");
        const std::string etag = "\"" + platform::md5Hex(bytes->data(), bytes->size()) + (gzip ? "-gz" : "") + "\"";
        res.set_header("ETag", etag);
        if (req.get_header_value("If-None-Match") == etag) {
            res.status = 304;
            return;
        }
        if (gzip) res.set_header("Content-Encoding", "gzip");
        // Sent as it is: a body set whole would be compressed (again) by the
        // server on the fly.
        auto shared = std::make_shared<std::vector<std::uint8_t>>(std::move(*bytes));
        res.set_content_provider(shared->size(), mimeType(name),
                                 [shared](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                     return sink.write(reinterpret_cast<const char*>(shared->data()) + offset, length);
                                 });
    });
}

}  // namespace publisher
