// The advert banner on the real game's main menu, with the real publisher
// service beside it: it drops in after the logo, opens from its tab, and a
// tap on it reaches the service's store and page. Quitting never waits for
// a service that hangs.
#include <chrono>

#include "e2e/ScriptedGame.h"
#include "platform/Http.h"
#include "support/HttpStandIn.h"
#include "support/RealPublisher.h"

using namespace std::chrono;

namespace {

class BannerTest : public ScriptedGameTest {};

const Value& bannerLayer(const Value& scene) {
    for (const Value& child : scene["children"][0]["children"].asArray())
        if (child["class"].asString() == "KVTAdvertBannerLayer") return child;
    return Value::null();
}

}  // namespace

TEST_F(BannerTest, TheBannerDropsInAfterTheLogoAndATapOnItIsStoredAndListed) {
    testsupport::RealPublisher service;
    GameRun run = play(kSkipLogo + "wait 5\ndump\ntap 512 740\nwait 0.5\ndump\ntap 500 400\nwait 0.5\ndump\n",
                       {"--api-host", service.host(), "--analytics-host", service.host(), "--window", kFullWindow});
    ASSERT_EQ(run.dumps.size(), 3u);
    const Value& hanging = bannerLayer(run.dumps[0]);
    ASSERT_TRUE(hanging["visible"].asBool()) << run.result.output;
    EXPECT_EQ(hanging["position"][1].asDouble(), 768);  // above the screen...
    bool tabDown = false;
    for (const Value& child : hanging["children"].asArray())
        tabDown |= child["position"][0].asDouble() == 512 && child["position"][1].asDouble() == 0;
    EXPECT_TRUE(tabDown) << "...with its tab hanging from the top edge";
    EXPECT_EQ(bannerLayer(run.dumps[1])["position"][1].asDouble(), 0);  // the tab opened it
    EXPECT_EQ(bannerLayer(run.dumps[2])["position"][1].asDouble(), 768);  // the tap closed it...
    EXPECT_EQ(run.count("openURL: " + service.url("/apps/LetterGarden") + " (headless"), 1) << run.result.output;

    auto stored = service.store().events();  // ...and was reported
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].appName, "NumberMeadow");
    EXPECT_EQ(stored[0].actionType, "showBanner");
    EXPECT_EQ(stored[1].actionType, "clickBanner");
    platform::HttpRequest page;
    page.url = service.url("/publisher/");
    EXPECT_NE(platform::httpRequest(page).body.find("<td>NumberMeadow</td><td>clickBanner</td><td>1</td>"),
              std::string::npos);
}

TEST_F(BannerTest, QuittingWhileTheBannerRequestHangsExitsAtOnce) {
    std::atomic<long long> askedAt{0};
    testsupport::HttpStandIn hanging([&askedAt](testsupport::HttpExchange& ex) {
        askedAt = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        ex.delaySeconds = 30;
    });
    GameRun run = play("wait 0.5\n", {"--api-host", hanging.host()});
    auto exitedAt = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    ASSERT_EQ(hanging.requests().size(), 1u) << run.result.output;
    EXPECT_EQ(run.result.exitCode, 0);
    // Not the request's five seconds: the frames of the script and the teardown.
    EXPECT_LT(exitedAt - askedAt, 3000) << run.result.output;
    EXPECT_EQ(run.count("aborted: the program ends"), 1) << run.result.output;
}
