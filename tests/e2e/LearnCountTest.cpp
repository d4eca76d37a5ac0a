// The learn and count activities driven through the real executable, from
// the main menu and back.
#include "e2e/ScriptedGame.h"

namespace {

class LearnCountTest : public ScriptedGameTest {};

const Value& sceneLayer(const Value& scene) { return scene["children"][0]; }

const Value& childWith(const Value& layer, const std::string& key, const Value& value, int nth = 0) {
    for (const Value& child : layer["children"].asArray())
        if (child[key] == value && nth-- == 0) return child;
    return Value::null();
}

// The learn page layer standing at x (0: in view).
const Value& pageAt(const Value& scene, double x) {
    for (const Value& child : sceneLayer(scene)["children"].asArray())
        if (child["class"].asString() == "CCLayer" && child["position"][0].asDouble() == x) return child;
    return Value::null();
}

// A page shows its digit and as many animals as its number.
int animalsOn(const Value& page) { return static_cast<int>(page["children"].size()) - 1; }

const std::string kOpenLearn = kSkipLogo + "tap 128 92\n";
const std::string kOpenCount = kSkipLogo + "tap 694 92\n";

}  // namespace

TEST_F(LearnCountTest, LearnTurnsPagesBySwipesAndSnapsBackAtTheFirstPage) {
    GameRun run = play(kOpenLearn + "wait 1.2\ndump\n"
                                    // Swipe left by a quarter of the screen: page 2.
                                    "down 600 400\nmove 350 400\nup 350 400\nwait 1.2\ndump\n"
                                    // And back: page 1.
                                    "down 350 400\nmove 600 400\nup 600 400\nwait 1.2\ndump\n"
                                    // Pull page 1 right: it snaps back and is no tap.
                                    "down 300 400\nmove 700 400\nup 700 400\nwait 0.5\ndump\n");
    ASSERT_EQ(run.dumps.size(), 4u);
    EXPECT_EQ(sceneLayer(run.dumps[0])["class"].asString(), "LearnScene");
    EXPECT_EQ(animalsOn(pageAt(run.dumps[0], 0)), 1);
    EXPECT_EQ(animalsOn(pageAt(run.dumps[1], 0)), 2);
    EXPECT_EQ(animalsOn(pageAt(run.dumps[1], -1024)), 1);
    EXPECT_EQ(animalsOn(pageAt(run.dumps[2], 0)), 1);
    EXPECT_EQ(pageAt(run.dumps[2], -1024)["children"].size(), 0u);  // nothing before page 1
    EXPECT_EQ(animalsOn(pageAt(run.dumps[3], 0)), 1);
    EXPECT_EQ(childWith(sceneLayer(run.dumps[3]), "class", Value("CCLabelTTF"))["text"].asString(), "One frog");
    EXPECT_EQ(run.count("started soundpageturn.mp3"), 2) << run.result.output;
    EXPECT_EQ(run.count("started number2.m4a"), 1) << run.result.output;
    // The opening voice, and page 1's again after the swipe back; not the pull.
    EXPECT_EQ(run.count("started number1.m4a"), 2) << run.result.output;
}

TEST_F(LearnCountTest, LearnStripJumpsToANumberAndTheDigitSpeaksAtOnce) {
    // The digit tapped during the opening wait: its voice now, the wait's not at all.
    GameRun run = play(kOpenLearn + "wait 0.3\ntap 762 375\nwait 1.5\n"
                                    // Strip: 2, then 7.
                                    "tap 246 58\nwait 1.2\ntap 626 58\nwait 0.1\ndump\nwait 1.2\ndump\n");
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_EQ(run.count("started number1.m4a"), 1) << run.result.output;
    // Page 7 is put beside page 2 and slides in from the right.
    const Value* incoming = nullptr;
    for (const Value& child : sceneLayer(run.dumps[0])["children"].asArray())
        if (child["class"].asString() == "CCLayer" && child["position"][0].asDouble() > 0) incoming = &child;
    ASSERT_NE(incoming, nullptr);
    EXPECT_LT((*incoming)["position"][0].asDouble(), 1024);
    EXPECT_EQ(animalsOn(*incoming), 7);
    EXPECT_EQ(animalsOn(pageAt(run.dumps[1], 0)), 7);
    EXPECT_EQ(animalsOn(pageAt(run.dumps[1], -1024)), 6);
    EXPECT_EQ(animalsOn(pageAt(run.dumps[1], 1024)), 8);
    const Value& marker = childWith(sceneLayer(run.dumps[1]), "texture", Value("learn-marker~ipad.png"));
    EXPECT_NEAR(marker["position"][0].asDouble(), 170 + 6 * 76, 0.01);
    EXPECT_EQ(run.count("started number7.m4a"), 1) << run.result.output;
    EXPECT_EQ(childWith(sceneLayer(run.dumps[1]), "class", Value("CCLabelTTF"))["text"].asString(), "Seven mice");
}

TEST_F(LearnCountTest, CountTakesAWrongAndARightAnswerThenAsksAgainAndGoesBack) {
    // The same seed and frames in both runs: the first shows the question.
    const std::string question = kOpenCount + "wait 1.5\ndump\n";
    GameRun look = play(question);
    ASSERT_EQ(look.dumps.size(), 1u);
    const Value& layer = sceneLayer(look.dumps[0]);
    ASSERT_EQ(layer["class"].asString(), "CountScene");
    int animals = 0;
    for (const Value& child : layer["children"].asArray())
        for (const Value& a : child["children"].asArray())
            if (a["texture"].asString().rfind("animal", 0) == 0) ++animals;
    ASSERT_GE(animals, 1);
    Value right, wrong;
    for (const Value& child : layer["children"].asArray()) {
        if (child["class"].asString() != "CCLabelTTF" || child["z"].asInt() != 100) continue;
        if (child["tag"].asInt() == animals) right = child;
        else if (wrong.isNull()) wrong = child;
    }
    ASSERT_FALSE(right.isNull());
    ASSERT_FALSE(wrong.isNull());

    GameRun run = play(question + "tap " + at(wrong) + "\nwait 0.2\ndump\ntap " + at(right) +
                       "\nwait 0.5\ndump\nwait 1.9\ndump\nwait 0.5\ntap 56 712\nwait 0.3\ndump\n");
    ASSERT_EQ(run.dumps.size(), 5u);
    const Value& flying = childWith(sceneLayer(run.dumps[1]), "text", wrong["text"]);
    EXPECT_EQ(flying["tag"].asInt(), -1);
    EXPECT_GT(flying["actions"].asInt(), 0);
    EXPECT_EQ(run.count("started soundwronganswer.mp3"), 1) << run.result.output;
    EXPECT_EQ(run.count("started soundrightansweraaa.mp3"), 1) << run.result.output;
    // The right one hops in place; praise follows a second after.
    const Value& hopping = childWith(sceneLayer(run.dumps[2]), "text", right["text"]);
    EXPECT_EQ(hopping["tag"].asInt(), -1);
    EXPECT_NEAR(hopping["position"][0].asDouble(), right["position"][0].asDouble(), 0.01);
    EXPECT_EQ(run.count("started good"), 1) << run.result.output;
    // Two seconds after the answer a new question is asked, its labels fresh.
    EXPECT_EQ(run.count("started count-"), 2) << run.result.output;
    for (const Value& child : sceneLayer(run.dumps[3])["children"].asArray())
        if (child["class"].asString() == "CCLabelTTF" && child["z"].asInt() == 100) {
            EXPECT_GT(child["tag"].asInt(), 0);
        }
    EXPECT_EQ(sceneLayer(run.dumps[4])["class"].asString(), "IntroScene");
}
