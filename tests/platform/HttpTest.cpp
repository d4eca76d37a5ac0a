#include <gtest/gtest.h>

#include <chrono>

#include "platform/Http.h"
#include "support/HttpStandIn.h"

using platform::HttpRequest;

namespace {

HttpRequest get(std::string url) {
    HttpRequest r;
    r.url = std::move(url);
    return r;
}

}  // namespace

TEST(Http, GetAndPostCarryStatusAndBody) {
    testsupport::HttpStandIn server([](testsupport::HttpExchange& ex) {
        ex.status = ex.path == "/missing" ? 404 : 200;
        ex.responseBody = ex.method + ":" + ex.body;
    });
    auto ok = platform::httpRequest(get(server.url("/list?x=1")));
    EXPECT_TRUE(ok.gotResponse);
    EXPECT_EQ(ok.status, 200);
    EXPECT_EQ(ok.body, "GET:");

    HttpRequest post = get(server.url("/feedback"));
    post.method = "POST";
    post.body = "name=Ann&text=hi";
    auto posted = platform::httpRequest(post);
    EXPECT_EQ(posted.body, "POST:name=Ann&text=hi");

    auto missing = platform::httpRequest(get(server.url("/missing")));
    EXPECT_TRUE(missing.gotResponse);  // an answer, even if an unhappy one
    EXPECT_EQ(missing.status, 404);
}

TEST(Http, SilentServerTimesOut) {
    testsupport::HttpStandIn server([](testsupport::HttpExchange& ex) { ex.delaySeconds = 3; });
    HttpRequest r = get(server.url("/slow"));
    r.timeoutSeconds = 0.3;
    auto start = std::chrono::steady_clock::now();
    auto response = platform::httpRequest(r);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(response.gotResponse);
    EXPECT_FALSE(response.error.empty());
    EXPECT_LT(took, std::chrono::seconds(3));
}

TEST(Http, RefusedConnectionAndForeignSchemesFail) {
    auto refused = platform::httpRequest(get("http://127.0.0.1:" + std::to_string(testsupport::closedPort()) + "/"));
    EXPECT_FALSE(refused.gotResponse);
    EXPECT_FALSE(platform::httpRequest(get("file:///etc/passwd")).gotResponse);
    EXPECT_FALSE(platform::openURL("file:///etc/passwd"));
    EXPECT_FALSE(platform::openURL("javascript:alert(1)"));
}

TEST(Http, BodyOverTheCapIsRefusedWhole) {
    testsupport::HttpStandIn server([](testsupport::HttpExchange& ex) { ex.responseBody = std::string(10000, 'x'); });
    HttpRequest r = get(server.url("/big"));
    r.maxBodyBytes = 1000;
    auto response = platform::httpRequest(r);
    EXPECT_FALSE(response.gotResponse);
    EXPECT_TRUE(response.body.empty());
    r.maxBodyBytes = 10000;
    EXPECT_EQ(platform::httpRequest(r).body.size(), 10000u);
}

TEST(Http, PercentEncodingLeavesOnlyUnreservedBytes) {
    EXPECT_EQ(platform::percentEncode("A b&c=d/e+f?"), "A%20b%26c%3Dd%2Fe%2Bf%3F");
    EXPECT_EQ(platform::percentEncode("Az09-._~"), "Az09-._~");
    EXPECT_EQ(platform::percentEncode("caff\xc3\xa8"), "caff%C3%A8");
    EXPECT_EQ(platform::percentEncode(std::string("a\0b", 3)), "a%00b");
}
