// The publisher's service as the kit meets it: its answers for every device
// and scale, the pictures they name, the access token, what it stores and
// shows, and how it refuses requests that are not what the kit sends.
#include <gtest/gtest.h>
#include <httplib.h>

#include "json/SBJsonParser.h"
#include "platform/Http.h"
#include "platform/Image.h"
#include "platform/Md5.h"
#include "platform/PropertyList.h"
#include "server/BothStores.h"
#include "server/PublisherClient.h"
#include "support/RealPublisher.h"

using platform::Value;

namespace {

const std::string kApp = "NumberMeadow";
// md5 of the name and the game's content document's "analytics-auth-token".
std::string token() {
    auto document = platform::readPropertyListFile(NM_TEST_RESOURCES_DIR "/data1.plist");
    return platform::md5HexOfString(kApp + (document ? (*document)["analytics-auth-token"].asString() : ""));
}

class PublisherService : public ::testing::TestWithParam<Store> {
protected:
    platform::HttpResponse get(const std::string& path) { return send("GET", path, ""); }
    platform::HttpResponse send(const std::string& method, const std::string& path, const std::string& body) {
        platform::HttpRequest r;
        r.url = path.rfind("http", 0) == 0 ? path : service.url(path);
        r.method = method;
        r.body = body;
        r.timeoutSeconds = 5;
        return platform::httpRequest(r);
    }
    static Value json(const platform::HttpResponse& response) {
        SBJsonParser parser;
        return parser.objectWithString(response.body).value_or(Value());
    }
    std::string analytics(const std::string& actions, const std::string& auth = token()) {
        return "/?auth_token=" + auth + "&appName=" + kApp + "&appVersion=0.1.0" + actions;
    }

    testsupport::RealPublisher service{databaseFor(GetParam())};
};

}  // namespace

INSTANTIATE_FOR_BOTH_STORES(PublisherService);

TEST_P(PublisherService, TheBannerAndItsPicturesForEveryDeviceAndScale) {
    for (auto [idiom, width, height] : {std::tuple{"iPad", 1024, 768}, {"iPhone", 480, 320}}) {
        for (int scale : {1, 2}) {
            SCOPED_TRACE(std::string(idiom) + " x" + std::to_string(scale));
            auto answer = get("/api/banner.php?interfaceIdiom=" + std::string(idiom) + "&scaleFactor=" +
                              std::to_string(scale) + "&orientation=landscape&appName=" + kApp + "&lang=it");
            ASSERT_EQ(answer.status, 200);
            Value banner = json(answer);
            EXPECT_EQ(banner["URL"].asString(), service.url("/apps/LetterGarden"));
            auto picture = get(banner["bannerURL"].asString());
            ASSERT_EQ(picture.status, 200);
            EXPECT_EQ(platform::md5Hex(picture.body.data(), picture.body.size()), banner["md5"].asString());
            auto image = platform::decodeImage(reinterpret_cast<const std::uint8_t*>(picture.body.data()), picture.body.size());
            ASSERT_TRUE(image);
            EXPECT_EQ(image->width, width * scale);  // the whole screen
            EXPECT_EQ(image->height, height * scale);
            for (const char* other : {"shortcutURL", "iconURL"}) {
                auto bytes = get(banner[other].asString()).body;
                EXPECT_TRUE(platform::decodeImage(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
            }
            EXPECT_EQ(get(banner["URL"].asString()).status, 200);
        }
    }
}

TEST_P(PublisherService, TheCatalogueListsTheOtherApplicationsInTheAskersLanguage) {
    for (auto [idiom, scale, pixels] : {std::tuple{"iPhone", "2", 120}, {"iPad", "1", 100}}) {
        SCOPED_TRACE(idiom);
        Value list = json(get("/api/?appName=" + kApp + "&lang=it&isRetina=1&interfaceIdiom=" + idiom +
                              "&scaleFactor=" + scale));
        EXPECT_EQ(list["campaignName"].asString(), "Altri giochi dal prato");
        ASSERT_EQ(list["apps"].size(), 7u);  // two shelves of four on a tablet, three of three on a phone
        for (const Value& app : list["apps"].asArray()) {
            EXPECT_NE(app["appName"].asString(), kApp);
            EXPECT_FALSE(app["displayName"].asString().empty());
            EXPECT_EQ(get(app["link"].asString()).status, 200);
            auto icon = get(app["image"].asString()).body;
            auto image = platform::decodeImage(reinterpret_cast<const std::uint8_t*>(icon.data()), icon.size());
            ASSERT_TRUE(image);
            EXPECT_EQ(image->width, pixels);  // the icon the shelf is laid out for, at the asker's scale
            EXPECT_EQ(image->height, pixels);
        }
    }
    auto heading = [&](const std::string& lang) {
        return json(get("/api/?appName=Other&lang=" + lang + "&isRetina=1&interfaceIdiom=iPad&scaleFactor=1"))
            ["campaignName"].asString();
    };
    EXPECT_EQ(heading("xx"), "More games from the meadow");
    EXPECT_EQ(heading("it-IT"), "Altri giochi dal prato");
}

TEST_P(PublisherService, EventsAreStoredOnlyWithTheRightTokenAndAsSent) {
    EXPECT_EQ(get(analytics("&actions[0][actionType]=clickBanner", token().substr(1) + "0")).status, 403);
    EXPECT_EQ(get("/?auth_token=" + token() + "&appName=Stranger&appVersion=1&actions[0][actionType]=x").status, 403);
    EXPECT_TRUE(service.store().events().empty());

    auto ok = get(analytics("&actions[1][actionType]=showBanner&actions[0][actionType]=clickApp"
                            "&actions[0][targetAppName]=A%20b%26c%3D%3Cd%3E&actions[2][actionType]="));
    EXPECT_EQ(ok.status, 200);
    auto events = service.store().events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].actionType, "clickApp");
    EXPECT_EQ(events[0].targetAppName, "A b&c=<d>");
    EXPECT_EQ(events[0].appVersion, "0.1.0");
    EXPECT_EQ(events[1].position, 1);
    EXPECT_EQ(events[1].targetAppName, "");
    EXPECT_EQ(events[2].actionType, "");  // an unknown type is sent empty and kept so
}

TEST_P(PublisherService, MalformedRequestsAreRefusedAndStoreNothing) {
    const std::string feedback = "/api/qz_app_api.php?auth_token=" + token() + "&appName=" + kApp + "&appVersion=1";
    for (const std::string& path : std::vector<std::string>{
             analytics(""),                                                    // no actions
             analytics("&actions[1][actionType]=showBanner"),                  // not from 0
             analytics("&actions[0][targetAppName]=Ab"),                       // no type
             analytics("&actions[0][actionType]=a&actions[0][actionType]=b"),  // twice
             analytics("&actions[0][actionType]=a&actions[0][drop]=1"),        // unknown field
             analytics("&actions[0][actionType]=a&extra=1"),                   // unknown parameter
             analytics("&actions[0][actionType]=" + std::string(300, 'x')),    // too long
             "/?appName=" + kApp + "&appVersion=1&actions[0][actionType]=a",   // no token
             "/api/banner.php?interfaceIdiom=iPod&scaleFactor=1&orientation=landscape&appName=A&lang=en",
             "/api/banner.php?interfaceIdiom=iPad&scaleFactor=3&orientation=landscape&appName=A&lang=en",
             "/api/?appName=A&lang=en&isRetina=1&interfaceIdiom=iPad",
         }) {
        int status = get(path).status;
        EXPECT_TRUE(status >= 400 && status < 500) << path << " answered " << status;
    }
    EXPECT_EQ(send("POST", feedback, "actions[0][actionType]=feedback&actions[0][name]=Ann").status, 400);
    EXPECT_EQ(send("POST", feedback, "actions[0][actionType]=feedback&actions[0][name]=" + std::string(100000, 'x')).status,
              413);
    EXPECT_EQ(get(analytics("&actions[0][actionType]=" + std::string(9000, 'x'))).status, 414);
    EXPECT_EQ(get("/files/../publisher.json").status, 404);
    EXPECT_TRUE(service.store().events().empty());
    EXPECT_TRUE(service.store().feedback(10).empty());
}

TEST_P(PublisherService, FeedbackIsKeptAsReceivedAndShownAsTextOnThePublisherPage) {
    const std::string feedback = "/api/qz_app_api.php?auth_token=" + token() + "&appName=" + kApp + "&appVersion=0.1.0";
    auto sent = send("POST", feedback,
                     "actions[0][actionType]=feedback&actions[0][name]=Ann%20%3Cb%3E&actions[0][email]=a@b.c"
                     "&actions[0][text]=%3Cscript%3Ealert(1)%3C/script%3E%20%26%20more");
    ASSERT_EQ(sent.status, 200);
    ASSERT_EQ(get(analytics("&actions[0][actionType]=clickBanner")).status, 200);
    auto stored = service.store().feedback(10);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].text, "<script>alert(1)</script> & more");

    PublisherClient publisher(service);
    ASSERT_EQ(publisher.login(service.password())->status, 303);
    auto page = publisher.get("/publisher/");
    ASSERT_EQ(page->status, 200);
    EXPECT_EQ(page->body.find("<script"), std::string::npos);
    EXPECT_NE(page->body.find("&lt;script&gt;alert(1)&lt;/script&gt; &amp; more"), std::string::npos);
    EXPECT_NE(page->body.find("Ann &lt;b&gt;"), std::string::npos);
    EXPECT_NE(page->body.find("<td>NumberMeadow</td><td>clickBanner</td><td>1</td>"), std::string::npos);
    EXPECT_EQ(service.count("publisher: POST /api/qz_app_api.php?auth_token=", 1), 1);

    // The longest message the form takes, 5000 characters of two bytes each,
    // is kept whole; one past the service's own limit is refused.
    std::string longest, encoded;
    for (int i = 0; i < 5000; ++i) {
        longest += "\u00e9";
        encoded += "%C3%A9";
    }
    const std::string fields = "actions[0][actionType]=feedback&actions[0][name]=Ann&actions[0][email]=a@b.c&actions[0][text]=";
    ASSERT_EQ(send("POST", feedback, fields + encoded).status, 200);
    stored = service.store().feedback(10);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].text, longest);
    EXPECT_EQ(send("POST", feedback, fields + std::string(16 * 1024 + 1, 'x')).status, 400);
    EXPECT_EQ(service.store().feedback(10).size(), 2u);
}

TEST_P(PublisherService, ThePageForbidsScriptsAndWhatCameInOutlivesARestart) {
    ASSERT_EQ(get(analytics("&actions[0][actionType]=showBanner")).status, 200);
    const std::string password = service.password();
    service.service().stop();
    publisher::Options again;
    again.port = 0;
    again.dataDir = service.dataDir();
    again.database = service.database().rfind("postgres", 0) == 0 ? service.database() : "";
    std::vector<std::string> logged;
    again.log = [&](const std::string& line) { logged.push_back(line); };
    publisher::PublisherService restarted(again);
    ASSERT_TRUE(restarted.start()) << restarted.error();
    for (const std::string& line : logged) EXPECT_EQ(line.find("password"), std::string::npos) << "printed once only";
    httplib::Client client("127.0.0.1", restarted.port());
    auto form = client.Get("/publisher/login");
    ASSERT_TRUE(form);
    const std::string loginCookie = form->get_header_value("Set-Cookie").substr(0, form->get_header_value("Set-Cookie").find(';'));
    auto in = client.Post("/publisher/login", {{"Cookie", loginCookie}},
                          httplib::Params{{"csrf", PublisherClient::token(form->body)}, {"password", password}});
    ASSERT_TRUE(in);
    ASSERT_EQ(in->status, 303) << "the first start's password still opens it";
    const std::string session = in->get_header_value("Set-Cookie").substr(0, in->get_header_value("Set-Cookie").find(';'));
    auto page = client.Get("/publisher/", {{"Cookie", session}});
    ASSERT_TRUE(page);
    EXPECT_EQ(page->get_header_value("Content-Security-Policy").rfind("default-src 'none';", 0), 0u);
    EXPECT_EQ(page->get_header_value("X-Content-Type-Options"), "nosniff");
    EXPECT_NE(page->body.find("<td>NumberMeadow</td><td>showBanner</td><td>1</td>"), std::string::npos);
}
