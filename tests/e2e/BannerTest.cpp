// The advert banner on the real game's main menu, with the real publisher
// service beside it: it drops in after the logo, opens from its tab, and a
// tap on it reaches the service's store and page. Quitting never waits for
// a service that hangs.
#include <algorithm>
#include <chrono>
#include <map>

#include "e2e/ScriptedGame.h"
#include "platform/Http.h"
#include "platform/PropertyList.h"
#include "server/PublisherClient.h"
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

const Value* find(const Value& node, const std::string& type) {
    if (node["class"].asString() == type) return &node;
    for (const Value& child : node["children"].asArray())
        if (const Value* found = find(child, type)) return found;
    return nullptr;
}

// Script lines tapping what the parental gate in a dumped scene asks for:
// the numbers its words name, on its keys.
std::string gateAnswer(const Value& scene) {
    const Value* gate = find(scene, "KVTParentalGate");
    if (!gate) return "";
    const Value* card = nullptr;
    for (const Value& child : (*gate)["children"].asArray())
        if (child["children"].size() > 0) card = &child;
    if (!card) return "";
    const float left = static_cast<float>((*card)["position"][0].asDouble() - (*card)["size"][0].asDouble() / 2);
    const float bottom = static_cast<float>((*card)["position"][1].asDouble() - (*card)["size"][1].asDouble() / 2);
    std::vector<std::string> texts;
    std::map<std::string, const Value*> keys;
    for (const Value& child : (*card)["children"].asArray()) {
        if (child["class"].asString() == "CCLabelTTF") texts.push_back(child["text"].asString());
        else if (child["children"].size() == 1) keys[child["children"][0]["text"].asString()] = &child;
    }
    auto document = platform::readPropertyListFile(NM_TEST_RESOURCES_DIR "/data1.plist");
    if (!document || texts.size() < 3) return "";
    std::string lines, words = texts[2] + ", ";
    for (std::size_t comma; (comma = words.find(", ")) != std::string::npos; words.erase(0, comma + 2)) {
        const std::string word = words.substr(0, comma);
        for (int digit = 0; digit < 10; ++digit)
            if ((*document)["ParentalGate"]["Numbers"][digit].asString() == word && keys.count(std::to_string(digit)))
                lines += "tap " + at(*keys[std::to_string(digit)], left, bottom) + "\n";
    }
    return lines;
}

}  // namespace

TEST_F(BannerTest, TheBannerDropsInAfterTheLogoAndATapOnItIsStoredAndListed) {
    testsupport::RealPublisher service;
    const std::string toTheGate = kSkipLogo + "wait 5\ndump\ntap 512 740\nwait 0.5\ndump\ntap 500 400\nwait 0.5\ndump\n";
    // The tap on the banner asks a grown-up first: nothing opens yet. The
    // run is the same frame for frame with its seed, so a second run can
    // answer what the first was asked.
    GameRun asked = play(toTheGate, {"--api-host", service.host(), "--analytics-host", service.host(), "--window",
                                     kFullWindow});
    ASSERT_EQ(asked.dumps.size(), 3u);
    const std::string answer = gateAnswer(asked.dumps[2]);
    if (answer.empty() && asked.count("openURL") == 1) GTEST_SKIP() << "built without the parental gate";
    EXPECT_EQ(asked.count("openURL"), 0) << asked.result.output;
    ASSERT_EQ(std::count(answer.begin(), answer.end(), '\n'), 4) << answer;
    testsupport::TempDir again;
    GameRun run = play(toTheGate + answer + "wait 0.5\ndump\n",
                       {"--api-host", service.host(), "--analytics-host", service.host(), "--data-dir", again / "data",
                        "--window", kFullWindow});
    ASSERT_EQ(run.dumps.size(), 4u);
    const Value& hanging = bannerLayer(run.dumps[0]);
    ASSERT_TRUE(hanging["visible"].asBool()) << run.result.output;
    EXPECT_EQ(hanging["position"][1].asDouble(), 768);  // above the screen...
    bool tabDown = false;
    for (const Value& child : hanging["children"].asArray())
        tabDown |= child["position"][0].asDouble() == 512 && child["position"][1].asDouble() == 0;
    EXPECT_TRUE(tabDown) << "...with its tab hanging from the top edge";
    EXPECT_EQ(bannerLayer(run.dumps[1])["position"][1].asDouble(), 0);  // the tab opened it
    EXPECT_EQ(bannerLayer(run.dumps[2])["position"][1].asDouble(), 0);  // the gate holds it open...
    EXPECT_EQ(bannerLayer(run.dumps[3])["position"][1].asDouble(), 768);  // the right numbers closed it...
    EXPECT_EQ(run.count("openURL: " + service.url("/apps/LetterGarden") + " (headless"), 1) << run.result.output;

    auto stored = service.store().events();  // ...and was reported
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].appName, "NumberMeadow");
    EXPECT_EQ(stored[0].actionType, "showBanner");
    EXPECT_EQ(stored[1].actionType, "clickBanner");
    PublisherClient publisher(service);
    ASSERT_EQ(publisher.login(service.password())->status, 303);
    EXPECT_NE(publisher.get("/publisher/")->body.find("<td>NumberMeadow</td><td>clickBanner</td><td>1</td>"),
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
