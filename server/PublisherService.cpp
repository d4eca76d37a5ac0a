#include "server/PublisherService.h"

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <vector>

#include "json/SBJsonParser.h"
#include "platform/Files.h"
#include "platform/JsonText.h"
#include "platform/Md5.h"

#ifndef NM_PUBLISHER_CONTENT_DIR
#define NM_PUBLISHER_CONTENT_DIR "publisher"
#endif

namespace publisher {
namespace {

// Nothing the kit sends comes near these.
constexpr std::size_t kMaxBodyBytes = 64 * 1024;
constexpr std::size_t kMaxShortText = 256;   // names, versions, tokens, event types
constexpr std::size_t kMaxMessage = 16 * 1024;
constexpr int kMaxActions = 200;
constexpr int kFeedbackShown = 200;

const char* const kPageSecurity =
    "default-src 'none'; style-src 'self'; img-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

std::string html(const std::string& text) {
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

// Request targets go to the log as printable ASCII only.
std::string printable(const std::string& text, std::size_t max = 2000) {
    std::string out;
    for (unsigned char c : text.substr(0, max)) out += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
    return text.size() > max ? out + "..." : out;
}

void refuse(httplib::Response& res, int status, const std::string& why) {
    res.status = status;
    res.set_content(why + "\n", "text/plain; charset=utf-8");
}

// The one value of a parameter that must be given exactly once, and short.
bool single(const httplib::Request& req, const char* key, std::string& out, std::size_t max = kMaxShortText) {
    if (req.get_param_value_count(key) != 1) return false;
    out = req.get_param_value(key);
    return out.size() <= max;
}

// "iPad" / "iPhone" and "1" / "2" as a picture's name suffix, "~ipad-hd".
bool deviceSuffix(const httplib::Request& req, std::string& suffix) {
    std::string idiom, scale;
    if (!single(req, "interfaceIdiom", idiom) || !single(req, "scaleFactor", scale)) return false;
    if ((idiom != "iPad" && idiom != "iPhone") || (scale != "1" && scale != "2")) return false;
    suffix = std::string(idiom == "iPad" ? "~ipad" : "~iphone") + (scale == "2" ? "-hd" : "");
    return true;
}

// Host names as the kit writes them; anything else is not echoed into answers.
bool plausibleHost(const std::string& host) {
    if (host.empty() || host.size() > 260) return false;
    static const std::regex pattern(R"([A-Za-z0-9.\-]{1,253}(:[0-9]{1,5})?)");
    return std::regex_match(host, pattern);
}

// A text in the asker's language: "it", else the language of a regional
// code ("it-IT", "pt_BR"), else English.
const std::string& localized(const platform::Value& texts, const std::string& lang) {
    if (texts[lang].isString()) return texts[lang].asString();
    const std::string base = lang.substr(0, lang.find_first_of("-_"));
    return texts[base].isString() ? texts[base].asString() : texts["en"].asString();
}

}  // namespace

struct PublisherService::Content {
    platform::Value document;
    std::string filesDir;

    const platform::Value* app(const std::string& name) const {
        for (const platform::Value& app : document["apps"].asArray())
            if (app["appName"].asString() == name) return &app;
        return nullptr;
    }
};

PublisherService::PublisherService(Options options) : options_(std::move(options)) {
    if (!options_.log) options_.log = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    if (options_.dataDir.empty()) options_.dataDir = defaultDataDir();
    if (options_.contentDir.empty()) options_.contentDir = defaultContentDir();
}

PublisherService::~PublisherService() { stop(); }

std::string PublisherService::defaultDataDir() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    std::string base = xdg && *xdg ? xdg : std::string(home ? home : ".") + "/.local/share";
    return base + "/number-meadow-publisher";
}

std::string PublisherService::defaultContentDir() { return NM_PUBLISHER_CONTENT_DIR; }

bool PublisherService::start() {
    auto bytes = platform::readFile(options_.contentDir + "/publisher.json");
    SBJsonParser parser;
    auto document = bytes ? parser.objectWithData(*bytes) : std::nullopt;
    if (!document || !(*document)["apps"].isArray()) {
        error_ = "no readable publisher.json in " + options_.contentDir;
        return false;
    }
    content_ = std::make_unique<Content>(Content{*document, options_.contentDir + "/files"});
    if (!store_.open(options_.dataDir + "/publisher.sqlite3")) {
        error_ = "cannot open the store in " + options_.dataDir + ": " + store_.error();
        return false;
    }
    server_ = std::make_unique<httplib::Server>();
    route();
    port_ = options_.port == 0 ? server_->bind_to_any_port(options_.listen)
                               : (server_->bind_to_port(options_.listen, options_.port) ? options_.port : -1);
    if (port_ <= 0) {
        error_ = "cannot listen on " + options_.listen + ":" + std::to_string(options_.port);
        server_.reset();
        return false;
    }
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // A stop() before the loop runs would be lost, and the loop never end.
    for (int i = 0; i < 2000 && !server_->is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void PublisherService::stop() {
    if (!server_) return;
    server_->stop();
    if (thread_.joinable()) thread_.join();
    server_.reset();
}

void PublisherService::route() {
    httplib::Server& s = *server_;
    s.set_payload_max_length(kMaxBodyBytes);
    s.set_read_timeout(5, 0);
    s.set_default_headers({{"X-Content-Type-Options", "nosniff"}, {"Cache-Control", "no-store"}});
    s.set_mount_point("/files", content_->filesDir);
    s.set_logger([log = options_.log](const httplib::Request& req, const httplib::Response& res) {
        log("publisher: " + printable(req.method) + " " + printable(req.target) + " -> " + std::to_string(res.status));
    });

    // Addresses in answers point back at the host the caller used.
    auto base = [this](const httplib::Request& req) {
        std::string host = req.get_header_value("Host");
        if (!plausibleHost(host)) host = options_.listen + ":" + std::to_string(port_);
        return "http://" + host;
    };

    s.Get("/api/", [this, base](const httplib::Request& req, httplib::Response& res) {
        std::string appName, lang, suffix;
        if (!single(req, "appName", appName) || !single(req, "lang", lang) || !deviceSuffix(req, suffix))
            return refuse(res, 400, "appName, lang, interfaceIdiom (iPad, iPhone) and scaleFactor (1, 2) are required");
        const platform::Value& doc = content_->document;
        std::string apps;
        for (const platform::Value& app : doc["apps"].asArray()) {
            const std::string& name = app["appName"].asString();
            if (name == appName) continue;  // no shelf place for the asker itself
            if (!apps.empty()) apps += ",";
            apps += "{\"image\":" + platform::jsonString(base(req) + "/files/" + app["icon"].asString() + suffix + ".png") +
                    ",\"displayName\":" + platform::jsonString(localized(app["displayName"], lang)) +
                    ",\"link\":" + platform::jsonString(base(req) + "/apps/" + name) + ",\"appName\":" + platform::jsonString(name) + "}";
        }
        res.set_content("{\"campaignName\":" + platform::jsonString(localized(doc["campaignName"], lang)) + ",\"apps\":[" + apps + "]}",
                        "application/json");
    });

    s.Get("/api/banner.php", [this, base](const httplib::Request& req, httplib::Response& res) {
        std::string appName, lang, orientation, suffix;
        if (!single(req, "appName", appName) || !single(req, "lang", lang) || !single(req, "orientation", orientation) ||
            !deviceSuffix(req, suffix))
            return refuse(res, 400, "appName, lang, orientation, interfaceIdiom and scaleFactor are required");
        const platform::Value& banner = content_->document["banner"];
        std::string picture = banner["banner"].asString() + suffix + ".png";
        auto bytes = platform::readFile(content_->filesDir + "/" + picture);
        if (!bytes) return refuse(res, 404, "no banner");
        auto address = [&](const char* key) { return base(req) + "/files/" + banner[key].asString() + suffix + ".png"; };
        res.set_content("{\"URL\":" + platform::jsonString(base(req) + "/apps/" + banner["app"].asString()) +
                            ",\"bannerURL\":" + platform::jsonString(address("banner")) +
                            ",\"shortcutURL\":" + platform::jsonString(address("shortcut")) +
                            ",\"iconURL\":" + platform::jsonString(address("icon")) +
                            ",\"md5\":" + platform::jsonString(platform::md5Hex(bytes->data(), bytes->size())) + "}",
                        "application/json");
    });

    // Whose request it is: 0 when it may go on, else the status refusing it.
    auto identify = [this](const httplib::Request& req, std::string& appName, std::string& appVersion) {
        std::string token;
        if (!single(req, "auth_token", token) || !single(req, "appName", appName) || !single(req, "appVersion", appVersion))
            return 400;
        const platform::Value* app = content_->app(appName);
        if (!app || token != platform::md5HexOfString(appName + (*app)["token"].asString())) return 403;
        return 0;
    };

    s.Get("/", [identify, this](const httplib::Request& req, httplib::Response& res) {
        std::string appName, appVersion;
        if (int refusal = identify(req, appName, appVersion))
            return refuse(res, refusal, refusal == 403 ? "unknown application or wrong token" : "malformed request");
        static const std::regex actionKey(R"(actions\[(0|[1-9][0-9]{0,3})\]\[(actionType|targetAppName)\])");
        std::map<int, std::map<std::string, std::string>> actions;
        for (const auto& [key, value] : req.params) {
            if (key == "auth_token" || key == "appName" || key == "appVersion") continue;
            std::smatch m;
            if (key.size() > 64 || !std::regex_match(key, m, actionKey) || value.size() > kMaxShortText)
                return refuse(res, 400, "unexpected parameter " + key.substr(0, 64));
            int index = std::stoi(m[1]);
            if (index >= kMaxActions || !actions[index].emplace(m[2], value).second)
                return refuse(res, 400, "too many or repeated actions");
        }
        std::vector<StoredEvent> events;
        for (const auto& [index, fields] : actions) {
            if (index != static_cast<int>(events.size()) || !fields.count("actionType"))
                return refuse(res, 400, "actions must count from 0, each with an actionType");
            auto target = fields.find("targetAppName");
            events.push_back({appName, appVersion, index, fields.at("actionType"),
                              target == fields.end() ? "" : target->second});
        }
        if (events.empty()) return refuse(res, 400, "no actions");
        if (!store_.addEvents(events)) return refuse(res, 500, "cannot store the events");
        res.set_content("OK\n", "text/plain");
    });

    s.Post("/api/qz_app_api.php", [identify, this](const httplib::Request& request, httplib::Response& res,
                                                    const httplib::ContentReader& read) {
        // The form is read here, not by the library: its own cap on form
        // bodies (8 KiB, built into Debian's library) would refuse a long message.
        std::string body;
        const bool whole = read([&body](const char* data, std::size_t length) {
            if (body.size() + length > kMaxBodyBytes) return false;
            body.append(data, length);
            return true;
        });
        if (!whole) return refuse(res, 413, "the form is too large");
        httplib::Request req = request;
        httplib::detail::parse_query_text(body, req.params);
        StoredFeedback f;
        if (int refusal = identify(req, f.appName, f.appVersion))
            return refuse(res, refusal, refusal == 403 ? "unknown application or wrong token" : "malformed request");
        std::string type;
        if (!single(req, "actions[0][actionType]", type) || type != "feedback" || !single(req, "actions[0][name]", f.name) ||
            !single(req, "actions[0][email]", f.email) || !single(req, "actions[0][text]", f.text, kMaxMessage))
            return refuse(res, 400, "a feedback form has one name, email and text");
        if (!store_.addFeedback(f)) return refuse(res, 500, "cannot store the message");
        res.set_content("OK\n", "text/plain");
    });

    s.Get(R"(/apps/([A-Za-z0-9_-]{1,64}))", [this](const httplib::Request& req, httplib::Response& res) {
        const platform::Value* app = content_->app(req.matches[1]);
        if (!app) return refuse(res, 404, "no such application");
        std::string name = html(localized((*app)["displayName"], "en"));
        res.set_header("Content-Security-Policy", kPageSecurity);
        res.set_content("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + name +
                            "</title><link rel=\"stylesheet\" href=\"/publisher/style.css\"></head><body><h1>" + name +
                            "</h1><p>" + html(localized((*app)["about"], "en")) + "</p></body></html>\n",
                        "text/html; charset=utf-8");
    });

    s.Get("/publisher/style.css", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(
            "body{font-family:sans-serif;margin:2em;color:#223}table{border-collapse:collapse;margin-bottom:2em}"
            "td,th{border:1px solid #bbc;padding:.3em .6em;text-align:left;vertical-align:top}"
            "td.text{white-space:pre-wrap;max-width:40em}\n",
            "text/css");
    });

    s.Get("/publisher/", [this](const httplib::Request&, httplib::Response& res) {
        std::string page =
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Publisher: what came in</title>"
            "<link rel=\"stylesheet\" href=\"/publisher/style.css\"></head><body><h1>Events</h1><table>"
            "<tr><th>Application</th><th>Event</th><th>Count</th></tr>";
        for (const EventCount& c : store_.eventCounts())
            page += "<tr><td>" + html(c.appName) + "</td><td>" + html(c.actionType) + "</td><td>" +
                    std::to_string(c.count) + "</td></tr>";
        page += "</table><h1>Feedback</h1><table><tr><th>Received (UTC)</th><th>Application</th><th>Name</th>"
                "<th>E-mail</th><th>Message</th></tr>";
        for (const StoredFeedback& f : store_.feedback(kFeedbackShown))
            page += "<tr><td>" + html(f.received) + "</td><td>" + html(f.appName + " " + f.appVersion) + "</td><td>" +
                    html(f.name) + "</td><td>" + html(f.email) + "</td><td class=\"text\">" + html(f.text) + "</td></tr>";
        res.set_header("Content-Security-Policy", kPageSecurity);
        res.set_content(page + "</table></body></html>\n", "text/html; charset=utf-8");
    });
}

}  // namespace publisher
