// The publisher's pages as a publisher and as an intruder meet them: the
// login, the session cookie, the CSRF token on every change, paging, search,
// deletion, CSV and charts; retention and the store's cap; the rate limit on
// the endpoints that write; and the pictures' folder tried with raw requests
// that no client would normalise. Against both stores where the store is
// involved.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <regex>

#include "platform/Md5.h"
#include "platform/PropertyList.h"
#include "server/BothStores.h"
#include "server/Database.h"
#include "server/PublisherClient.h"
#include "support/Process.h"
#include "support/RealPublisher.h"

namespace {

const std::string kApp = "NumberMeadow";

// Who the game is to the service: the query its analytics and feedback carry.
std::string identity() {
    auto document = platform::readPropertyListFile(NM_TEST_RESOURCES_DIR "/data1.plist");
    const std::string token = platform::md5HexOfString(kApp + (document ? (*document)["analytics-auth-token"].asString() : ""));
    return "auth_token=" + token + "&appName=" + kApp + "&appVersion=1";
}

std::string feedbackPath() { return "/api/qz_app_api.php?" + identity(); }

std::string analyticsPath(const std::string& actions) { return "/?" + identity() + actions; }

int sendFeedback(httplib::Client& client, const std::string& name, const std::string& text) {
    auto r = client.Post(feedbackPath().c_str(), "actions[0][actionType]=feedback&actions[0][name]=" +
                                                     httplib::detail::encode_query_param(name) + "&actions[0][email]=e" +
                                                     "&actions[0][text]=" + httplib::detail::encode_query_param(text),
                         "application/x-www-form-urlencoded");
    return r ? r->status : -1;
}

// One request written byte for byte on a socket; the whole answer.
std::string raw(int port, const std::string& target) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return "";
    }
    const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    if (write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        close(fd);
        return "";
    }
    std::string answer;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) answer.append(buffer, static_cast<std::size_t>(n));
    close(fd);
    return answer;
}

class PublisherPages : public ::testing::TestWithParam<Store> {
protected:
    testsupport::RealPublisher service{databaseFor(GetParam())};
    httplib::Client game{"127.0.0.1", service.service().port()};
};

}  // namespace

INSTANTIATE_FOR_BOTH_STORES(PublisherPages);

TEST_P(PublisherPages, EveryPageNeedsTheLoginAndEveryChangeItsToken) {
    ASSERT_EQ(sendFeedback(game, "Ann", "hello"), 200);
    const long id = service.store().feedback(1)[0].id;
    PublisherClient intruder(service);
    for (const char* page : {"/publisher/", "/publisher/?page=2&q=a", "/publisher/feedback.csv", "/publisher/charts/days.svg",
                             "/publisher/charts/apps.svg"}) {
        auto r = intruder.get(page);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->status, 303) << page;
        EXPECT_EQ(r->get_header_value("Location"), "/publisher/login") << page;
        EXPECT_EQ(r->body.find("Ann"), std::string::npos);
    }
    for (const char* change : {"/publisher/feedback/delete", "/publisher/retention", "/publisher/logout"})
        EXPECT_EQ(intruder.post(change, {{"id", std::to_string(id)}, {"days", "1"}})->status, 403) << change;

    // A wrong password, or the right one without the login form's token, opens nothing.
    EXPECT_EQ(intruder.login(service.password() + "x")->status, 401);
    EXPECT_TRUE(intruder.cookie("nm_session").empty());
    EXPECT_EQ(intruder.post("/publisher/login", {{"password", service.password()}})->status, 403);
    EXPECT_TRUE(intruder.cookie("nm_session").empty());
    EXPECT_EQ(intruder.get("/publisher/")->status, 303);

    PublisherClient publisher(service);
    auto in = publisher.login(service.password());
    ASSERT_EQ(in->status, 303);
    const std::string cookie = publisher.setCookieHeader("nm_session");
    EXPECT_NE(cookie.find("; HttpOnly"), std::string::npos) << cookie;
    EXPECT_NE(cookie.find("; SameSite=Strict"), std::string::npos) << cookie;
    EXPECT_EQ(publisher.cookie("nm_session").size(), 64u);
    auto page = publisher.get("/publisher/");
    ASSERT_EQ(page->status, 200);
    EXPECT_NE(page->body.find("<td>Ann</td>"), std::string::npos);
    EXPECT_EQ(page->get_header_value("Content-Security-Policy").find("script"), std::string::npos);

    // A change without its token, or with another session's, is refused.
    EXPECT_EQ(publisher.post("/publisher/feedback/delete", {{"id", std::to_string(id)}})->status, 403);
    EXPECT_EQ(publisher.post("/publisher/feedback/delete", {{"id", std::to_string(id)}, {"csrf", std::string(64, 'a')}})->status,
              403);
    EXPECT_EQ(service.store().feedback(10).size(), 1u);
    EXPECT_EQ(publisher.change("/publisher/feedback/delete", {{"id", std::to_string(id)}})->status, 303);
    EXPECT_TRUE(service.store().feedback(10).empty()) << "a parent's message and e-mail can be removed";

    EXPECT_EQ(publisher.change("/publisher/logout", {})->status, 303);
    EXPECT_EQ(publisher.get("/publisher/")->status, 303) << "logged out";
}

TEST_P(PublisherPages, FeedbackPagesSearchesExportsAndCharts) {
    for (int i = 0; i < 55; ++i) ASSERT_EQ(sendFeedback(game, "Parent " + std::to_string(i), "message " + std::to_string(i)), 200);
    ASSERT_EQ(sendFeedback(game, "Жанна", "=HYPERLINK(\"http://x\") 100% _sure_"), 200);
    ASSERT_EQ(game.Get(analyticsPath("&actions[0][actionType]=clickApp&actions[0][targetAppName]=%3Cb%3ELetters"
                                     "&actions[1][actionType]=clickBanner")
                           .c_str())
                  ->status,
              200);
    PublisherClient publisher(service);
    ASSERT_EQ(publisher.login(service.password())->status, 303);

    auto first = publisher.get("/publisher/");
    EXPECT_NE(first->body.find("56 messages, page 1 of 2"), std::string::npos);
    EXPECT_NE(first->body.find("<td>Жанна</td>"), std::string::npos) << "newest first";
    auto second = publisher.get("/publisher/?page=2");
    EXPECT_NE(second->body.find("<td>Parent 0</td>"), std::string::npos);
    EXPECT_EQ(second->body.find("<td>Parent 10</td>"), std::string::npos);
    EXPECT_NE(first->body.find("&lt;b&gt;Letters</td><td>clickApp</td><td>1</td>"), std::string::npos) << "the shelf's clicks";

    // Any case, and wildcards only as themselves.
    EXPECT_NE(publisher.get("/publisher/?q=PARENT%205")->body.find("6 messages"), std::string::npos);  // 5 and 50 to 54
    EXPECT_NE(publisher.get("/publisher/?q=100%25%20_")->body.find("1 messages"), std::string::npos);
    EXPECT_NE(publisher.get("/publisher/?q=_")->body.find("1 messages"), std::string::npos);

    auto csv = publisher.get("/publisher/feedback.csv?q=%D0%96");
    ASSERT_EQ(csv->status, 200);
    EXPECT_EQ(csv->get_header_value("Content-Type"), "text/csv; charset=utf-8");
    EXPECT_NE(csv->body.find("\"Жанна\",\"e\",\"'=HYPERLINK(\"\"http://x\"\") 100% _sure_\"\r\n"), std::string::npos)
        << csv->body;
    EXPECT_EQ(std::count(csv->body.begin(), csv->body.end(), '\n'), 2);

    for (const char* chart : {"/publisher/charts/days.svg", "/publisher/charts/apps.svg"}) {
        auto svg = publisher.get(chart);
        ASSERT_EQ(svg->status, 200) << chart;
        EXPECT_EQ(svg->get_header_value("Content-Type"), "image/svg+xml");
        EXPECT_EQ(svg->body.find("<script"), std::string::npos);
        EXPECT_NE(svg->body.find("<title>"), std::string::npos);
    }
    EXPECT_NE(publisher.get("/publisher/charts/apps.svg")->body.find("<title>NumberMeadow: 2</title>"), std::string::npos);
    EXPECT_NE(publisher.get("/publisher/charts/days.svg")->body.find(": 2</title>"), std::string::npos) << "today's two";
}

TEST_P(PublisherPages, RetentionRemovesWhatIsOlderAndTheCapStopsTheStoreGrowing) {
    ASSERT_EQ(sendFeedback(game, "Old", "old"), 200);
    ASSERT_EQ(game.Get(analyticsPath("&actions[0][actionType]=showBanner").c_str())->status, 200);
    ASSERT_EQ(sendFeedback(game, "New", "new"), 200);
    {
        std::string error;
        auto db = publisher::Database::open(service.database(), error);
        ASSERT_TRUE(db) << error;
        ASSERT_TRUE(db->run("UPDATE feedback SET received = '2020-01-01 00:00:00' WHERE name = 'Old'")) << db->error();
        ASSERT_TRUE(db->run("UPDATE events SET received = '2020-01-01 00:00:00'")) << db->error();
    }
    PublisherClient publisher(service);
    ASSERT_EQ(publisher.login(service.password())->status, 303);
    publisher.get("/publisher/");
    EXPECT_EQ(publisher.change("/publisher/retention", {{"days", "-1"}})->status, 400);
    EXPECT_EQ(publisher.change("/publisher/retention", {{"days", "30"}})->status, 303);
    const auto left = service.store().feedback(10);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].name, "New");
    EXPECT_TRUE(service.store().events().empty());
    EXPECT_EQ(service.count("retention removed 2 events and messages older than 30 days"), 1);
    EXPECT_NE(publisher.get("/publisher/")->body.find("value=\"30\""), std::string::npos);

    testsupport::RealPublisher small(databaseFor(GetParam()), 0, 3);
    httplib::Client client("127.0.0.1", small.service().port());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(sendFeedback(client, "A", std::to_string(i)), 200);
    EXPECT_EQ(sendFeedback(client, "A", "over"), 507);
    EXPECT_EQ(client.Get(analyticsPath("&actions[0][actionType]=showBanner").c_str())->status, 507);
    EXPECT_EQ(small.store().feedback(10).size(), 3u);
    EXPECT_EQ(small.count("the store holds its cap of 3"), 1) << "logged once, not per refusal";
}

TEST(PublisherLimits, WritesArePacedPerClientAndReadsAreNot) {
    testsupport::RealPublisher service("", 6);
    httplib::Client game("127.0.0.1", service.service().port());
    for (int i = 0; i < 6; ++i) ASSERT_EQ(sendFeedback(game, "A", std::to_string(i)), 200) << i;
    auto refused = game.Post(feedbackPath().c_str(), "actions[0][actionType]=feedback", "application/x-www-form-urlencoded");
    ASSERT_EQ(refused->status, 429);
    const int wait = std::stoi(refused->get_header_value("Retry-After"));
    EXPECT_GE(wait, 1);
    EXPECT_LE(wait, 10);
    EXPECT_EQ(game.Get(analyticsPath("&actions[0][actionType]=showBanner").c_str())->status, 429);
    EXPECT_EQ(game.Get("/api/?appName=A&lang=en&isRetina=1&interfaceIdiom=iPad&scaleFactor=1")->status, 200);
    PublisherClient guesser(service);
    EXPECT_EQ(guesser.login("guess")->status, 429) << "password guesses are writes too";
    EXPECT_EQ(service.store().feedback(100).size(), 6u);
}

TEST(PublisherLimits, ThePicturesFolderGivesNothingOutsideItToRawRequests) {
    testsupport::RealPublisher service;
    const int port = service.service().port();
    ASSERT_NE(raw(port, "/files/").find("HTTP/1.1 "), std::string::npos);
    for (const char* target : {"/files/../publisher.json", "/files/%2e%2e/publisher.json", "/files/%2E%2E%2Fpublisher.json",
                               "/files/..%2fpublisher.json", "/files/..%5cpublisher.json", "/files/%2e%2e%5c%2e%2e%5cetc%5cpasswd",
                               "/files//etc/passwd", "/files/%2fetc%2fpasswd", "/files/../../../../etc/passwd",
                               "/files/%252e%252e/publisher.json", "/files/.%2e/.%2e/.%2e/.%2e/etc/passwd",
                               "//etc/passwd", "/etc/passwd", "/files/%00../publisher.json", "http://127.0.0.1/files/../publisher.json",
                               "/files/./../publisher.json"}) {
        const std::string answer = raw(port, target);
        SCOPED_TRACE(target);
        EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), std::string::npos) << answer.substr(0, 200);
        EXPECT_EQ(answer.find("\"apps\""), std::string::npos);
        EXPECT_EQ(answer.find("root:"), std::string::npos);
    }
    EXPECT_EQ(raw(port, "/files/%73hadow.png").rfind("HTTP/1.1 ", 0), 0u);
}

TEST(PublisherCommandLine, HelpAndVersion) {
    const std::string program = NM_TEST_BUILD_DIR "/bin/number-meadow-publisher";
    auto help = testsupport::runProcess({program, "--help"}, 10);
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--port", "--database", "--rate-limit", "--max-rows", "--version"})
        EXPECT_NE(help.output.find(option), std::string::npos) << option;
    auto version = testsupport::runProcess({program, "--version"}, 10);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(std::regex_search(version.output, std::regex(R"(^number-meadow-publisher [0-9]+\.[0-9]+\.[0-9]+\n$)")))
        << version.output;
    auto bad = testsupport::runProcess({program, "--database", "mysql://x"}, 10);
    EXPECT_EQ(bad.exitCode, 2);
}
