// The publisher's pages: a login with the password the service made at its
// first start, then what came in (events per day and per application as
// charts drawn here as SVG, the shelf's and banner's clicks, the feedback
// with paging, search, deletion and CSV export) and the retention setting.
// Every page but the login needs the session cookie; every change is a POST
// carrying the session's CSRF token.
#include <httplib.h>

#include <algorithm>
#include <map>

#include "server/Answers.h"
#include "server/PublisherService.h"

namespace publisher {

namespace {

constexpr long kFeedbackPerPage = 50;
constexpr int kChartDays = 30;
const char* const kSessionCookie = "nm_session";
const char* const kLoginCookie = "nm_login";

std::string cookie(const httplib::Request& req, const std::string& name) {
    const std::string header = req.get_header_value("Cookie");
    std::size_t at = 0;
    while (at < header.size()) {
        std::size_t end = header.find(';', at);
        if (end == std::string::npos) end = header.size();
        std::string pair = header.substr(at, end - at);
        pair.erase(0, pair.find_first_not_of(' '));
        if (pair.rfind(name + "=", 0) == 0) return pair.substr(name.size() + 1);
        at = end + 1;
    }
    return "";
}

std::string setCookie(const std::string& name, const std::string& value, long maxAge) {
    return name + "=" + value + "; Path=/publisher; HttpOnly; SameSite=Strict; Max-Age=" + std::to_string(maxAge);
}

void page(httplib::Response& res, const std::string& title, const std::string& body) {
    res.set_header("Content-Security-Policy", kPageSecurity);
    res.set_content("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + html(title) +
                        "</title><link rel=\"stylesheet\" href=\"/publisher/style.css\"></head><body>" + body +
                        "</body></html>\n",
                    "text/html; charset=utf-8");
}

void redirect(httplib::Response& res, const std::string& to) {
    res.status = 303;
    res.set_header("Location", to);
}

std::string hidden(const std::string& name, const std::string& value) {
    return "<input type=\"hidden\" name=\"" + name + "\" value=\"" + html(value) + "\">";
}

long integer(const std::string& text, long fallback) {
    try {
        std::size_t used = 0;
        long v = std::stol(text, &used);
        return used == text.size() ? v : fallback;
    } catch (...) {
        return fallback;
    }
}

std::string query(const std::string& search, long pageNumber) {
    return "?page=" + std::to_string(pageNumber) + "&amp;q=" + html(httplib::detail::encode_query_param(search));
}

// Bars over labels, heights to the largest count; `labels` every `every`th.
std::string barChart(const std::string& title, const std::vector<EventCount>& bars, std::size_t every) {
    const int width = 720, height = 260, left = 40, bottom = 60, top = 30;
    long most = 1;
    for (const EventCount& b : bars) most = std::max(most, b.count);
    const double slot = bars.empty() ? 0 : double(width - left - 10) / bars.size();
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) + "\" height=\"" +
                      std::to_string(height) + "\" viewBox=\"0 0 " + std::to_string(width) + " " + std::to_string(height) +
                      "\" font-family=\"sans-serif\" font-size=\"11\"><rect width=\"100%\" height=\"100%\" fill=\"#fffdf5\"/>"
                      "<text x=\"" + std::to_string(left) + "\" y=\"18\" font-size=\"14\" fill=\"#223\">" + html(title) +
                      "</text><text x=\"" + std::to_string(left - 4) + "\" y=\"" + std::to_string(top + 4) +
                      "\" text-anchor=\"end\" fill=\"#667\">" + std::to_string(most) + "</text>"
                      "<line x1=\"" + std::to_string(left) + "\" y1=\"" + std::to_string(height - bottom) + "\" x2=\"" +
                      std::to_string(width - 10) + "\" y2=\"" + std::to_string(height - bottom) + "\" stroke=\"#99a\"/>";
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const double h = double(height - bottom - top) * bars[i].count / most;
        const double bar = std::min(slot * 0.7, 48.0);
        const double x = left + i * slot + (slot - bar) / 2;
        char geometry[160];
        std::snprintf(geometry, sizeof geometry, "x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\"", x,
                      height - bottom - h, bar, h);
        svg += "<rect " + std::string(geometry) + " fill=\"#5aa832\"><title>" + html(bars[i].label) + ": " +
               std::to_string(bars[i].count) + "</title></rect>";
        if (i % every == 0) {
            std::snprintf(geometry, sizeof geometry, "%.1f", x + bar / 2);
            svg += "<text transform=\"translate(" + std::string(geometry) + " " + std::to_string(height - bottom + 8) +
                   ") rotate(40)\" fill=\"#334\">" + html(bars[i].label.substr(0, 24)) + "</text>";
        }
    }
    return svg + "</svg>\n";
}

// A CSV field: quoted, and a leading formula character defused for
// spreadsheets that would run it.
std::string csv(const std::string& text) {
    std::string out = "\"";
    if (!text.empty() && std::string("=+-@\t\r").find(text[0]) != std::string::npos) out += "'";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

}  // namespace

void PublisherService::routePublisherPages() {
    httplib::Server& s = *server_;
    // The session of a request, or nothing: then GETs go to the login and
    // changes are refused.
    auto session = [this](const httplib::Request& req) { return sessions_.find(cookie(req, kSessionCookie)); };
    using Handler = std::function<void(const httplib::Request&, httplib::Response&, const Sessions::Session&)>;
    auto shown = [session](Handler handler) {
        return [session, handler](const httplib::Request& req, httplib::Response& res) {
            if (auto open = session(req)) return handler(req, res, *open);
            redirect(res, "/publisher/login");
        };
    };
    auto change = [session](Handler handler) {
        return [session, handler](const httplib::Request& req, httplib::Response& res) {
            auto open = session(req);
            if (!open) return refuse(res, 403, "log in first");
            if (req.get_param_value_count("csrf") != 1 || req.get_param_value("csrf") != open->csrf)
                return refuse(res, 403, "this change does not carry its page's token");
            handler(req, res, *open);
        };
    };

    s.Get("/publisher/style.css", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(
            "body{font-family:sans-serif;margin:2em;color:#223}table{border-collapse:collapse;margin-bottom:2em}"
            "td,th{border:1px solid #bbc;padding:.3em .6em;text-align:left;vertical-align:top}"
            "td.text{white-space:pre-wrap;max-width:40em}form.inline{display:inline}header{display:flex;gap:1em;"
            "align-items:center;justify-content:space-between}img.chart{display:block;margin-bottom:1em;max-width:100%}\n",
            "text/css");
    });

    auto loginForm = [](httplib::Response& res, const std::string& problem) {
        const std::string token = randomToken(16);
        res.set_header("Set-Cookie", setCookie(kLoginCookie, token, 600));
        page(res, "Publisher: log in",
             "<h1>Log in</h1>" + (problem.empty() ? "" : "<p class=\"problem\">" + html(problem) + "</p>") +
                 "<form method=\"post\" action=\"/publisher/login\">" + hidden("csrf", token) +
                 "<label>Password <input type=\"password\" name=\"password\" autocomplete=\"current-password\" "
                 "autofocus></label> <button>Log in</button></form>");
    };
    s.Get("/publisher/login", [loginForm](const httplib::Request&, httplib::Response& res) { loginForm(res, ""); });
    s.Post("/publisher/login", [this, loginForm](const httplib::Request& req, httplib::Response& res) {
        if (limited(req, res)) return;
        const std::string expected = cookie(req, kLoginCookie);
        if (expected.empty() || req.get_param_value("csrf") != expected) {
            res.status = 403;
            return loginForm(res, "The login form had expired; please try again.");
        }
        if (!passwordMatches(req.get_param_value("password"), store_.setting("password"))) {
            options_.log("publisher: a wrong password from " + req.remote_addr);
            res.status = 401;
            return loginForm(res, "Wrong password.");
        }
        res.set_header("Set-Cookie", setCookie(kSessionCookie, sessions_.open(),
                                               std::chrono::duration_cast<std::chrono::seconds>(Sessions::kLifetime).count()));
        redirect(res, "/publisher/");
    });
    s.Post("/publisher/logout", change([this](const httplib::Request& req, httplib::Response& res, const Sessions::Session&) {
        sessions_.close(cookie(req, kSessionCookie));
        res.set_header("Set-Cookie", setCookie(kSessionCookie, "", 0));
        redirect(res, "/publisher/login");
    }));

    s.Get("/publisher/", shown([this](const httplib::Request& req, httplib::Response& res, const Sessions::Session& open) {
        const std::string search = req.get_param_value("q").substr(0, 200);
        const long pageNumber = std::max(1L, integer(req.get_param_value("page"), 1));
        long total = 0;
        const auto entries = store_.feedback(kFeedbackPerPage, (pageNumber - 1) * kFeedbackPerPage, search, &total);
        const long pages = std::max(1L, (total + kFeedbackPerPage - 1) / kFeedbackPerPage);

        std::string body = "<header><h1>What came in</h1><form method=\"post\" action=\"/publisher/logout\">" +
                           hidden("csrf", open.csrf) + "<button>Log out</button></form></header>"
                           "<img class=\"chart\" src=\"/publisher/charts/days.svg\" alt=\"Events per day\">"
                           "<img class=\"chart\" src=\"/publisher/charts/apps.svg\" alt=\"Events per application\">"
                           "<h2>Events</h2><table><tr><th>Application</th><th>Event</th><th>Count</th></tr>";
        for (const EventCount& c : store_.eventCounts())
            body += "<tr><td>" + html(c.label) + "</td><td>" + html(c.actionType) + "</td><td>" + std::to_string(c.count) +
                    "</td></tr>";
        body += "</table><h2>Clicks on the shelf and the banner</h2><table><tr><th>Opened</th><th>Event</th><th>Count</th></tr>";
        for (const EventCount& c : store_.clicks())
            body += "<tr><td>" + html(c.label.empty() ? "(the banner)" : c.label) + "</td><td>" + html(c.actionType) +
                    "</td><td>" + std::to_string(c.count) + "</td></tr>";
        body += "</table><h2>Feedback</h2><form method=\"get\" action=\"/publisher/\"><input type=\"search\" name=\"q\" value=\"" +
                html(search) + "\"> <button>Search</button></form><p>" + std::to_string(total) + " messages, page " +
                std::to_string(pageNumber) + " of " + std::to_string(pages) + ". <a href=\"/publisher/feedback.csv?q=" +
                html(httplib::detail::encode_query_param(search)) + "\">CSV</a></p>"
                "<table><tr><th>Received (UTC)</th><th>Application</th><th>Name</th><th>E-mail</th><th>Message</th><th></th></tr>";
        for (const StoredFeedback& f : entries)
            body += "<tr><td>" + html(f.received) + "</td><td>" + html(f.appName + " " + f.appVersion) + "</td><td>" +
                    html(f.name) + "</td><td>" + html(f.email) + "</td><td class=\"text\">" + html(f.text) +
                    "</td><td><form class=\"inline\" method=\"post\" action=\"/publisher/feedback/delete\">" +
                    hidden("csrf", open.csrf) + hidden("id", std::to_string(f.id)) + "<button>Delete</button></form></td></tr>";
        body += "</table><p>";
        if (pageNumber > 1) body += "<a href=\"/publisher/" + query(search, pageNumber - 1) + "\">Newer</a> ";
        if (pageNumber < pages) body += "<a href=\"/publisher/" + query(search, pageNumber + 1) + "\">Older</a>";
        const std::string days = store_.setting("retention_days");
        body += "</p><h2>Retention</h2><form method=\"post\" action=\"/publisher/retention\">" + hidden("csrf", open.csrf) +
                "<label>Remove events and feedback older than <input type=\"number\" name=\"days\" min=\"0\" max=\"36500\" "
                "value=\"" + html(days.empty() ? "0" : days) + "\"> days (0 keeps everything)</label> <button>Save</button></form>";
        page(res, "Publisher: what came in", body);
    }));

    s.Get("/publisher/feedback.csv", shown([this](const httplib::Request& req, httplib::Response& res, const Sessions::Session&) {
        std::string out = "received,application,version,name,email,text\r\n";
        for (const StoredFeedback& f : store_.feedback(1'000'000, 0, req.get_param_value("q").substr(0, 200)))
            out += csv(f.received) + "," + csv(f.appName) + "," + csv(f.appVersion) + "," + csv(f.name) + "," + csv(f.email) +
                   "," + csv(f.text) + "\r\n";
        res.set_header("Content-Disposition", "attachment; filename=\"feedback.csv\"");
        res.set_content(out, "text/csv; charset=utf-8");
    }));

    auto svg = [](httplib::Response& res, const std::string& chart) {
        res.set_header("Content-Security-Policy", "default-src 'none'");
        res.set_content(chart, "image/svg+xml");
    };
    s.Get("/publisher/charts/days.svg", shown([this, svg](const httplib::Request&, httplib::Response& res, const Sessions::Session&) {
        std::map<std::string, long> counted;
        for (const EventCount& day : store_.eventsPerDay(PublisherStore::timestamp(kChartDays - 1).substr(0, 10)))
            counted[day.label] = day.count;
        std::vector<EventCount> bars;
        for (int ago = kChartDays - 1; ago >= 0; --ago) {
            const std::string day = PublisherStore::timestamp(ago).substr(0, 10);
            bars.push_back({day, "", counted.count(day) ? counted[day] : 0});
        }
        svg(res, barChart("Events per day, the last " + std::to_string(kChartDays) + " days (UTC)", bars, 3));
    }));
    s.Get("/publisher/charts/apps.svg", shown([this, svg](const httplib::Request&, httplib::Response& res, const Sessions::Session&) {
        std::vector<EventCount> bars;
        for (const EventCount& c : store_.eventCounts()) {
            if (bars.empty() || bars.back().label != c.label) bars.push_back({c.label, "", 0});
            bars.back().count += c.count;
        }
        svg(res, barChart("Events per application", bars, 1));
    }));

    s.Post("/publisher/feedback/delete", change([this](const httplib::Request& req, httplib::Response& res, const Sessions::Session&) {
        const long id = integer(req.get_param_value("id"), -1);
        if (id < 0) return refuse(res, 400, "which message?");
        if (!store_.deleteFeedback(id)) return refuse(res, 500, "cannot delete it");
        redirect(res, "/publisher/");
    }));
    s.Post("/publisher/retention", change([this](const httplib::Request& req, httplib::Response& res, const Sessions::Session&) {
        const long days = integer(req.get_param_value("days"), -1);
        if (days < 0 || days > 36500) return refuse(res, 400, "days: 0 to 36500");
        if (!store_.setSetting("retention_days", std::to_string(days))) return refuse(res, 500, "cannot keep the setting");
        options_.log("publisher: retention set to " + std::to_string(days) + " days");
        applyRetention(true);
        redirect(res, "/publisher/");
    }));
}

}  // namespace publisher
