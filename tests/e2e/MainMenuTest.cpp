// The main menu driven through the real executable: scripted touches in,
// log lines and node-tree dumps out.
#include "e2e/ScriptedGame.h"

namespace {

class MainMenuTest : public ScriptedGameTest {};

const Value& menuLayer(const Value& scene) { return scene["children"][0]; }

// The menu's child drawn with this picture (the first one, in drawing order).
const Value& byTexture(const Value& scene, const std::string& texture, int nth = 0) {
    for (const Value& child : menuLayer(scene)["children"].asArray())
        if (child["texture"].asString() == texture && nth-- == 0) return child;
    return Value::null();
}

}  // namespace

TEST_F(MainMenuTest, TheLogoPlaysFirstAndTheMenuShowsASecondAfterItStarts) {
    GameRun run = play("wait 0.5\ndump\nwait 0.7\ndump\nwait 1\n");
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_EQ(menuLayer(run.dumps[0])["class"].asString(), "IntroScene");
    EXPECT_FALSE(menuLayer(run.dumps[0])["visible"].asBool());
    EXPECT_TRUE(menuLayer(run.dumps[1])["visible"].asBool());
    // The music waits for the logo to end.
    EXPECT_EQ(run.count("music started"), 0) << run.result.output;
}

TEST_F(MainMenuTest, ATapSkipsTheLogoAndTheMusicStarts) {
    GameRun run = play("wait 0.3\ntap 500 500\nwait 0.2\n");
    EXPECT_EQ(run.count("audio: music started bg-music.mp3 looping"), 1) << run.result.output;
    // The skipping tap belongs to the logo, not to the meadow under it.
    EXPECT_EQ(run.count("x = "), 0) << run.result.output;
}

TEST_F(MainMenuTest, TheFrogHopsToItsNextPlaceAndIgnoresTapsMidJump) {
    GameRun first = play(kSkipLogo + "dump\n");
    const Value& frog = byTexture(first.dumps[0], "frog3~ipad.png");
    ASSERT_FALSE(frog.isNull());
    ASSERT_EQ(frog["tag"].asInt(), 0);

    GameRun run = play(kSkipLogo + "tap " + at(frog) + "\nwait 0.3\ntap " + at(frog) + "\ndump\nwait 1.5\ndump\n");
    EXPECT_EQ(run.count("tag = 1     x = 815.000000    y = 592.000000"), 1) << run.result.output;
    EXPECT_EQ(run.count("tag = "), 1) << run.result.output;  // the tap mid-jump did nothing
    EXPECT_EQ(run.count("started frog3.mp3"), 1) << run.result.output;
    const Value& landed = byTexture(run.dumps[1], "frog3~ipad.png");
    EXPECT_NEAR(landed["position"][0].asDouble(), 815, 0.5);
    EXPECT_NEAR(landed["position"][1].asDouble(), 592, 0.5);
}

TEST_F(MainMenuTest, TheFrogsTenthHopReachesTheLastPlaceAndTheEleventhWrapsToTheFirst) {
    GameRun first = play(kSkipLogo + "dump\n");
    const Value& frog = byTexture(first.dumps[0], "frog3~ipad.png");
    ASSERT_EQ(frog["tag"].asInt(), 0);
    // Where each hop lands; the frog is tapped where it sits.
    const std::vector<std::pair<int, int>> places{{815, 592}, {688, 590}, {362, 570}, {120, 587}, {236, 426},
                                                  {321, 305}, {538, 376}, {781, 328}, {956, 425}, {893, 543}};
    std::string script = kSkipLogo + "tap " + at(frog) + "\nwait 1.6\n";
    for (std::size_t i = 0; i + 1 < places.size(); ++i)
        script += "tap " + std::to_string(places[i].first) + " " + std::to_string(places[i].second) + "\nwait 1.6\n";
    GameRun run = play(script + "dump\n");
    EXPECT_EQ(run.count("tag = "), 10) << run.result.output;
    EXPECT_EQ(run.count("tag = 9     x = 956.000000    y = 425.000000"), 1) << run.result.output;
    EXPECT_EQ(run.count("tag = 0     x = 893.000000    y = 543.000000"), 1) << run.result.output;
    const Value& home = byTexture(run.dumps[0], "frog3~ipad.png");
    EXPECT_EQ(home["tag"].asInt(), 0);
    EXPECT_NEAR(home["position"][0].asDouble(), 893, 0.5);
}

TEST_F(MainMenuTest, OnAPhoneTheFrogsPlacesAreScaledToTheScreen) {
    GameRun first = play(kSkipLogo + "dump\n", {"--device", "phone"});
    const Value& frog = byTexture(first.dumps[0], "frog3~iphone.png");
    ASSERT_FALSE(frog.isNull());
    GameRun run = play(kSkipLogo + "tap " + at(frog) + "\nwait 0.1\n", {"--device", "phone"});
    // 815 x 480 / 1024 and 592 x 320 / 768, whole points.
    EXPECT_EQ(run.count("tag = 1     x = 382.000000    y = 246.000000"), 1) << run.result.output;
}

TEST_F(MainMenuTest, TheFountainStopsAndRestarts) {
    GameRun first = play(kSkipLogo + "dump\n");
    const Value& fountain = byTexture(first.dumps[0], "fountain~ipad.png");
    ASSERT_EQ(fountain["tag"].asInt(), 1);
    GameRun run = play(kSkipLogo + "tap " + at(fountain) + "\nwait 0.1\ndump\ntap " + at(fountain) + "\nwait 0.1\ndump\n");
    EXPECT_EQ(byTexture(run.dumps[0], "fountain~ipad.png")["tag"].asInt(), -1);
    EXPECT_EQ(byTexture(run.dumps[1], "fountain~ipad.png")["tag"].asInt(), 1);
}

TEST_F(MainMenuTest, ACloudDragsSidewaysOnlyAndDriftsAgainOnRelease) {
    GameRun first = play(kSkipLogo + "dump\n");
    const Value& cloud = byTexture(first.dumps[0], "cloud3~ipad.png");
    ASSERT_GT(cloud["actions"].asInt(), 0);
    // Same frame count as the first run, so the cloud is where the dump saw it.
    GameRun run = play(kSkipLogo + "down " + at(cloud) + "\nmove " + at(cloud, -100, 60) + "\nwait 0.1\ndump\nup " +
                   at(cloud, -100, 60) + "\nwait 0.1\ndump\n");
    const Value& held = byTexture(run.dumps[0], "cloud3~ipad.png");
    EXPECT_NEAR(held["position"][0].asDouble(), cloud["position"][0].asDouble() - 100, 0.5);
    EXPECT_NEAR(held["position"][1].asDouble(), cloud["position"][1].asDouble(), 0.01);
    EXPECT_EQ(held["actions"].asInt(), 0);
    EXPECT_GT(byTexture(run.dumps[1], "cloud3~ipad.png")["actions"].asInt(), 0);
}

TEST_F(MainMenuTest, BusySheepAndButterflyIgnoreTaps) {
    GameRun first = play(kSkipLogo + "dump\n");
    const Value& sheep = byTexture(first.dumps[0], "sheep~ipad.png");
    const Value& butterfly = byTexture(first.dumps[0], "butterfly~ipad.png");
    ASSERT_FALSE(sheep.isNull());
    ASSERT_FALSE(butterfly.isNull());
    GameRun run = play(kSkipLogo + "tap " + at(sheep) + "\nwait 0.2\ntap " + at(sheep) + "\ntap " + at(butterfly) +
                   "\nwait 0.5\ntap " + at(butterfly) + "\nwait 0.1\ndump\nwait 1\ntap " + at(sheep) + "\n");
    // Shaking takes 0.6 s: the second tap comes too soon, the third after it.
    EXPECT_EQ(run.count("started sheep.mp3"), 2) << run.result.output;
    EXPECT_EQ(byTexture(run.dumps[0], "butterfly~ipad.png")["tag"].asInt(), 0);  // still in its first flight
}

TEST_F(MainMenuTest, ATapOnTheFlyingButterflyNeitherRestartsNorTurnsIt) {
    GameRun first = play(kSkipLogo + "dump\n");
    const Value& butterfly = byTexture(first.dumps[0], "butterfly~ipad.png");
    ASSERT_FALSE(butterfly.isNull());
    // Both runs take the same frames; the second taps the butterfly where it
    // is in mid-flight, the first taps an empty corner instead.
    const std::string start = kSkipLogo + "tap " + at(butterfly) + "\nwait 0.5\ndump\n";
    const std::string after = "\nwait 0.2\ndump\nwait 3.5\ndump\n";
    GameRun alone = play(start + "tap 2 2" + after);
    ASSERT_EQ(alone.dumps.size(), 3u);
    const Value& flying = byTexture(alone.dumps[0], "butterfly~ipad.png");
    ASSERT_EQ(flying["tag"].asInt(), 0);
    GameRun tapped = play(start + "tap " + at(flying, 0, 5) + after);
    ASSERT_EQ(tapped.dumps.size(), 3u);
    for (int i : {1, 2}) {
        const Value& want = byTexture(alone.dumps[i], "butterfly~ipad.png");
        const Value& got = byTexture(tapped.dumps[i], "butterfly~ipad.png");
        EXPECT_EQ(got["flipX"].asBool(), want["flipX"].asBool()) << i;
        EXPECT_EQ(got["actions"].asInt(), want["actions"].asInt()) << i;
        EXPECT_NEAR(got["position"][0].asDouble(), want["position"][0].asDouble(), 0.01) << i;
        EXPECT_NEAR(got["position"][1].asDouble(), want["position"][1].asDouble(), 0.01) << i;
    }
}

TEST_F(MainMenuTest, EveryButtonPlaysTheButtonSoundAndOpensItsActivity) {
    GameRun first = play(kSkipLogo + "dump\n");
    const Value& menu = [&]() -> const Value& {
        for (const Value& child : menuLayer(first.dumps[0])["children"].asArray())
            if (child["class"].asString() == "CCMenu") return child;
        return Value::null();
    }();
    ASSERT_EQ(menu["children"].size(), 5u);
    auto button = [&](int tag) {
        for (const Value& b : menu["children"].asArray())
            if (b["tag"].asInt() == tag) return "tap " + at(b) + "\nwait 0.1\n";
        return std::string();
    };
    // Each activity button leaves the menu.
    const std::pair<int, const char*> activities[] = {
        {1, "LearnScene"}, {2, "DrawScene"}, {3, "CountScene"}, {4, "GameScene"}};
    for (auto [tag, scene] : activities) {
        GameRun run = play(kSkipLogo + button(tag) + "dump\n");
        EXPECT_EQ(run.count("started soundbutton.mp3"), 1) << run.result.output;
        EXPECT_EQ(menuLayer(run.dumps[0])["class"].asString(), scene);
        EXPECT_EQ(run.count("music started bg-game.mp3"), 1) << run.result.output;
    }
    // The feedback button stays on the menu and opens the form, which holds
    // the menu's buttons while it is open.
    GameRun form = play(kSkipLogo + button(5) + "wait 0.5\n" + button(1) + "dump\n");
    EXPECT_EQ(form.count("started soundbutton.mp3"), 1) << form.result.output;
    EXPECT_EQ(menuLayer(form.dumps[0])["class"].asString(), "IntroScene");
}
