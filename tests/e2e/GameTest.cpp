// The arithmetic duel through the real executable: started from the menu with
// a fixed seed, a few sums answered right and one wrong, then back to the menu.
#include <functional>

#include "e2e/ScriptedGame.h"

namespace {

class GameTest : public ScriptedGameTest {};

struct CGPoint {
    float x = 0, y = 0;
};

const Value& sceneLayer(const Value& scene) { return scene["children"][0]; }

// Finds a node by a test on it, depth first, adding up the positions of the
// nodes above it (layers and menus are placed by their origin).
bool find(const Value& node, const std::function<bool(const Value&)>& want, CGPoint origin, CGPoint& at) {
    const CGPoint here{origin.x + node["position"][0].asFloat(), origin.y + node["position"][1].asFloat()};
    if (want(node)) {
        at = here;
        return true;
    }
    for (const Value& child : node["children"].asArray())
        if (find(child, want, here, at)) return true;
    return false;
}

std::string tapAt(CGPoint p) { return "tap " + std::to_string(p.x) + " " + std::to_string(p.y) + "\n"; }

// The answer label holding the right answer (tag 1) or a wrong one (tag 0).
CGPoint answer(const Value& scene, bool right) {
    for (const Value& child : sceneLayer(scene)["children"].asArray())
        if (child["class"].asString() == "CCLabelTTF" && child["z"].asInt() == 10 && child["tag"].asInt() == (right ? 1 : 0))
            return {child["position"][0].asFloat(), child["position"][1].asFloat()};
    return {};
}

// The text of the label standing at (x, y).
std::string textAt(const Value& scene, float x, float y) {
    for (const Value& child : sceneLayer(scene)["children"].asArray())
        if (child["class"].asString() == "CCLabelTTF" && child["position"][0].asFloat() == x &&
            child["position"][1].asFloat() == y)
            return child["text"].asString();
    return "";
}

}  // namespace

TEST_F(GameTest, AGameFromTheMenuAnsweredRightThenWrongAndBackToTheMenu) {
    // On a phone, whose frames are cheapest. The menu's fourth button opens
    // the game; its start item begins play.
    const std::vector<std::string> options{"--seed", "7", "--device", "phone"};
    std::string script = kSkipLogo + "tap 420 38\nwait 0.5\ndump\n";
    GameRun menu = play(script, options);
    ASSERT_EQ(menu.dumps.size(), 1u);
    ASSERT_EQ(sceneLayer(menu.dumps[0])["class"].asString(), "GameScene");
    CGPoint start{};
    ASSERT_TRUE(find(sceneLayer(menu.dumps[0]),
                     [](const Value& n) { return n["class"].asString() == "CCMenuItemImage" && n["tag"].asInt() == 1; },
                     {0, 0}, start));
    script += tapAt(start) + "wait 1.2\ndump\n";

    // Each run repeats the last one's frames and answers the sum it showed.
    const bool answers[] = {true, true, false};
    GameRun run;
    for (bool right : answers) {
        run = play(script, options);
        ASSERT_EQ(run.result.exitCode, 0);
        script += tapAt(answer(run.dumps.back(), right)) + (right ? "wait 5\n" : "wait 4\n") + "dump\n";
    }
    script += "tap 24 294\nwait 0.3\ndump\n";
    run = play(script, options);
    ASSERT_EQ(run.dumps.size(), 6u);
    EXPECT_EQ(run.count("Start"), 1) << run.result.output;
    EXPECT_EQ(run.count("started soundrightansweraaa.mp3"), 2) << run.result.output;
    EXPECT_EQ(run.count("started soundwronganswer.mp3"), 2) << run.result.output;  // the touch, then the score
    EXPECT_EQ(run.count("started boom.mp3"), 3) << run.result.output;
    const Value& afterAll = run.dumps[4];
    EXPECT_EQ(textAt(afterAll, 122, 107), "2");  // the child's score
    EXPECT_EQ(textAt(afterAll, 388, 143), "1");  // the opponent's
    EXPECT_EQ(sceneLayer(run.dumps[5])["class"].asString(), "IntroScene");
}
