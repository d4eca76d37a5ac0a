// Tracing through the real executable: a script made from the shipped
// strokes file follows every stroke of a number, as a child's finger would,
// and the book moves on with praise.
#include <cmath>
#include <cstdio>

#include "e2e/ScriptedGame.h"
#include "platform/PropertyList.h"

namespace {

struct Device {
    const char* name;
    std::vector<std::string> options;
    float drawButtonX, drawButtonY;  // the menu's second button
    float stripX0, stripStep, stripY;  // the strip's first number and spacing
    float originX, originY;            // the strokes' origin (letterLabel)
    const char* strokes;
    float step;  // finger travel a frame: under the collection radius, so no star is passed by
};

const Device kTablet{"tablet", {}, 330, 92, 170, 76, 58, 512, 384, "letters_data.plist", 16};
const Device kPhone{"phone", {"--device", "phone", "--scale", "2"}, 154, 38, 69, 38, 25, 240, 160,
                    "letters_data-ip.plist", 8};

std::string point(const char* verb, float x, float y) {
    char line[96];
    std::snprintf(line, sizeof line, "%s %.2f %.2f\n", verb, x, y);
    return line;
}

// Every stroke of `number`: down on its first way point, a move a frame
// (a star goes the frame after it is collected), up on its last, then the
// head's trip to the next stroke's start.
std::string traceScript(const Device& d, int number) {
    auto strokes = platform::readPropertyListFile(std::string(NM_TEST_RESOURCES_DIR) + "/" + d.strokes);
    if (!strokes) return "";
    std::string script;
    for (const Value& stroke : (*strokes)[number - 1].asArray()) {
        float px = stroke[0]["x"].asFloat() + d.originX, py = stroke[0]["y"].asFloat() + d.originY;
        script += point("down", px, py) + "wait 0.02\n";
        for (const Value& p : stroke.asArray()) {
            const float x = p["x"].asFloat() + d.originX, y = p["y"].asFloat() + d.originY;
            const int steps = std::max(1, static_cast<int>(std::ceil(std::hypot(x - px, y - py) / d.step)));
            for (int k = 1; k <= steps; ++k)
                script += point("move", px + (x - px) * k / steps, py + (y - py) * k / steps) + "wait 0.02\n";
            px = x;
            py = y;
        }
        script += point("up", px, py) + "wait 1.2\n";
    }
    return script;
}

class DrawTest : public ScriptedGameTest, public ::testing::WithParamInterface<Device> {};

}  // namespace

TEST_P(DrawTest, TracingOneAndTenTurnsThePageWithPraise) {
    const Device& d = GetParam();
    const std::string open = kSkipLogo + point("tap", d.drawButtonX, d.drawButtonY) + "wait 1.8\n";
    const std::string one = traceScript(d, 1);
    const std::string ten = traceScript(d, 10);
    ASSERT_FALSE(one.empty());
    GameRun run = play(open + one + "wait 3.5\n" + point("tap", d.stripX0 + 9 * d.stripStep, d.stripY) +
                           "wait 1.8\n" + ten + "wait 3.5\ndump\n",
                       d.options);
    ASSERT_EQ(run.dumps.size(), 1u);
    EXPECT_EQ(run.dumps[0]["children"][0]["class"].asString(), "DrawScene");
    // Each number ends with the reward and a praise; 1 turns to 2, 10 to 1.
    EXPECT_EQ(run.count("started soundrightanswer.mp3"), 2) << run.result.output;
    EXPECT_EQ(run.count("started good"), 2) << run.result.output;
    EXPECT_EQ(run.count("started trace2.m4a"), 1) << run.result.output;
    EXPECT_EQ(run.count("started trace1.m4a"), 2) << run.result.output;
    EXPECT_EQ(run.count("started trace10.m4a"), 1) << run.result.output;
    EXPECT_EQ(run.count("started bubble-flap-1.mp3"), 3) << run.result.output;  // a first star a stroke
}

INSTANTIATE_TEST_SUITE_P(Devices, DrawTest, ::testing::Values(kTablet, kPhone),
                         [](const auto& device) { return std::string(device.param.name); });
