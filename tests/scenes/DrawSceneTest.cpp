// Tracing on the shipped draw scene, in process and frame by frame: the
// radii and the tolerance, the star schedule, what cancels a stroke, and the
// ink it leaves in the canvases, read back as pixels.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/CCDirector.h"
#include "platform/Files.h"
#include "platform/UserDefaults.h"
#include "scenes/SceneClasses.h"
#include "scenes/draw/DrawScene.h"
#include "support/EngineHarness.h"
#include "support/TempDir.h"

using testsupport::EngineHarness;

namespace {

class DrawSceneTest : public ::testing::TestWithParam<platform::DeviceProfile> {
protected:
    void SetUp() override {
        platform::setDataDirectory((dir.path() / "data").string());
        platform::UserDefaults::standard().reset();
        harness = &EngineHarness::boot(GetParam(), NM_TEST_RESOURCES_DIR);
        registerSceneClasses();
        Ref<CCScene> scene = DrawScene::scene();
        CCDirector::sharedDirector()->runWithScene(scene);
        draw = scene->children().empty() ? nullptr : dynamic_cast<DrawScene*>(scene->children()[0].get());
        ASSERT_NE(draw, nullptr);
        harness->step(80);  // page 1 slides in and its head reaches the start
    }
    void TearDown() override {
        CCDirector::sharedDirector()->end();
        platform::UserDefaults::standard().reset();
        platform::setDataDirectory("");
    }

    // Replaces the page's strokes with these (scene points) and starts the first.
    void strokes(std::vector<std::vector<CGPoint>> list) {
        draw->pathList = std::move(list);
        draw->currentPath = 0;
        ASSERT_TRUE(draw->setupWaypointsForCurrentPath());
        harness->step(70);
    }

    void touch(platform::TouchPhase phase, CGPoint p) {
        auto& app = platform::Application::shared();
        app.injectTouch(1, phase, {p.x, static_cast<float>(app.device().heightPoints) - p.y});
    }
    void down(CGPoint p) { touch(platform::TouchPhase::Began, p); }
    void move(CGPoint p) { touch(platform::TouchPhase::Moved, p); }
    void up(CGPoint p) { touch(platform::TouchPhase::Ended, p); }
    // Drags along the points in steps of about `step` points, frame by frame.
    void drag(const std::vector<CGPoint>& points, float step = 6) {
        for (std::size_t i = 0; i + 1 < points.size(); ++i) {
            const CGPoint a = points[i], b = points[i + 1];
            const int n = std::max(1, static_cast<int>(std::hypot(b.x - a.x, b.y - a.y) / step));
            for (int k = 1; k <= n; ++k) {
                move({a.x + (b.x - a.x) * k / n, a.y + (b.y - a.y) * k / n});
                harness->step();
            }
        }
    }
    int stars() const { return static_cast<int>(draw->wayPointsLayer->children().size()); }
    bool scaleIsTablet() const { return GetParam().idiom == platform::Idiom::Pad; }
    // Two heights on the page clear of the strip, the buttons and the clouds.
    float upper() const { return scaleIsTablet() ? 300 : 200; }
    float lower() const { return scaleIsTablet() ? 240 : 150; }
    float pointsToPixels(float v) const { return v * static_cast<float>(GetParam().scale); }

    testsupport::TempDir dir;
    EngineHarness* harness = nullptr;
    DrawScene* draw = nullptr;
};

// A straight stroke across the middle of the screen, a way point every 40 points.
std::vector<CGPoint> line(CGPoint from, int points, float gap) {
    std::vector<CGPoint> out;
    for (int i = 0; i < points; ++i) out.push_back({from.x + gap * static_cast<float>(i), from.y});
    return out;
}

}  // namespace

TEST_P(DrawSceneTest, RadiiAndToleranceFollowTheDevice) {
    const bool tablet = scaleIsTablet();
    EXPECT_EQ(draw->maxDrawingDeviation, tablet ? 40u : 20u);
    EXPECT_EQ(draw->captureRadius(), tablet ? 24 : 12);
    EXPECT_EQ(draw->collectionRadius(), tablet ? 20 : 10);
    const float d = static_cast<float>(draw->maxDrawingDeviation);
    const CGPoint start{100, upper()};
    strokes({line(start, 4, 2 * d)});

    // Just beyond the capture radius the head stays; just inside it is taken.
    down({start.x, start.y + draw->captureRadius() + 1});
    EXPECT_FALSE(draw->drawHeadCaptured);
    up({start.x, start.y + draw->captureRadius() + 1});
    down({start.x, start.y + draw->captureRadius() - 1});
    EXPECT_TRUE(draw->drawHeadCaptured);
    EXPECT_EQ(draw->wayPointChecked[0], 0);  // beyond the collection radius
    move(start);
    EXPECT_EQ(draw->wayPointChecked[0], 1);
    // Within the tolerance of the segment the stroke goes on, at D it ends.
    move({start.x + d, start.y + d - 1});
    EXPECT_TRUE(draw->drawHeadCaptured);
    move({start.x + d, start.y + d});
    EXPECT_FALSE(draw->drawHeadCaptured);
    EXPECT_EQ(draw->wayPointChecked[0], 0);  // cancelled: every star back
    up({start.x + d, start.y + d});
}

TEST_P(DrawSceneTest, StarsComeAFewAtATimeAndLiftingOrSkippingCancels) {
    const float d = static_cast<float>(draw->maxDrawingDeviation);
    const CGPoint start{60, upper()};
    const std::vector<CGPoint> stroke = line(start, 5, d);
    const CGPoint single{300, lower()};
    strokes({stroke, {single}});
    EXPECT_EQ(stars(), 3);
    down(start);
    harness->step();
    EXPECT_EQ(stars(), 3);  // star 1 goes in the next frame, star 4 has come
    EXPECT_NE(draw->wayPointsLayer->getChildByTag(4), nullptr);
    drag({start, stroke[1]});
    EXPECT_NE(draw->wayPointsLayer->getChildByTag(5), nullptr);
    // Lifting before the last way point starts the stroke again.
    up(stroke[1]);
    harness->step();
    EXPECT_EQ(stars(), 3);
    EXPECT_EQ(draw->wayPointChecked[0], 0);

    // Way point 2 marked without 1: the order check cancels at the next event.
    harness->step(70);
    down(start);
    harness->step();  // star 1 collected and gone
    draw->wayPointChecked = {0, 1, 0, 0, 0};
    move({start.x + 2, start.y});
    EXPECT_EQ(draw->wayPointChecked[1], 0);
    up({start.x + 2, start.y});

    // The whole stroke, then a stroke of one point: done when it is collected.
    harness->step(70);
    down(start);
    drag(stroke);
    up(stroke.back());
    harness->step(3);
    EXPECT_EQ(draw->currentPath, 1u);
    harness->step(70);
    down(single);
    up(single);
    harness->step(3);
    EXPECT_EQ(draw->currentPath, 2u);  // the number is complete
    EXPECT_FALSE(draw->drawHead->isVisible());
}

TEST_P(DrawSceneTest, AChosenColourInksTheStrokeAndSurvivesTheNextCancel) {
    const float d = static_cast<float>(draw->maxDrawingDeviation);
    const CGPoint start{60, upper()};
    const std::vector<CGPoint> first = line(start, 4, d);
    const std::vector<CGPoint> second = line({60, lower()}, 4, d);
    strokes({first, second});
    // A tap on another swatch: the brush takes its colour, the ring moves there.
    CCSprite* swatch = nullptr;
    for (const auto& child : draw->toolsLayer->children()) {
        auto* s = dynamic_cast<CCSprite*>(child.get());
        const ccColor3B now = draw->brush->color();
        if (s && s->tag() == 1 && (s->color().r != now.r || s->color().g != now.g || s->color().b != now.b)) {
            swatch = s;
            break;
        }
    }
    ASSERT_NE(swatch, nullptr);
    down(swatch->position());
    up(swatch->position());
    const ccColor3B ink = draw->brush->color();
    EXPECT_TRUE(ink.r == swatch->color().r && ink.g == swatch->color().g && ink.b == swatch->color().b);
    EXPECT_EQ(draw->mask->position(), swatch->position());
    down(start);
    drag(first);
    up(first.back());
    harness->step(75);
    ASSERT_EQ(draw->currentPath, 1u);
    auto ready = harness->frame();
    // Half the second stroke, then a slip far off it.
    down(second[0]);
    drag({second[0], second[1], second[2]});
    harness->step(90);  // the stars' bubbles are gone; the finger rests
    auto during = harness->frame();
    move({second[2].x, second[2].y + 3 * d});
    harness->step(2);
    up({second[2].x, second[2].y + 3 * d});
    harness->step(70);
    auto after = harness->frame();

    auto px = [&](const testsupport::Frame& f, CGPoint p) {
        return f.at(static_cast<int>(pointsToPixels(p.x)), static_cast<int>(pointsToPixels(p.y)));
    };
    const CGPoint onFirst{start.x + 1.5f * d, start.y};
    const CGPoint onSecond{60 + 0.5f * d, lower()};
    {
        SCOPED_TRACE("first stroke, after the slip");
        testsupport::expectNear(px(after, onFirst), {ink.r, ink.g, ink.b}, 40);
    }
    {
        SCOPED_TRACE("second stroke, while drawn");
        testsupport::expectNear(px(during, onSecond), {ink.r, ink.g, ink.b}, 40);
    }
    // The slip wiped the second stroke's ink: the spot is as it was before.
    const auto wiped = px(after, onSecond);
    const auto was = px(ready, onSecond);
    testsupport::expectNear(wiped, was, 3);
    EXPECT_NE(px(during, onSecond), was);

    // The next page starts on clean canvases.
    draw->turnPage(2);
    harness->step(90);
    for (CCRenderTexture* canvas : {draw->canvas.get(), draw->tempCanvas.get()}) {
        ASSERT_NE(canvas, nullptr);
        EXPECT_EQ(canvas->parent(), draw);
        int w = 0, h = 0;
        const std::vector<std::uint8_t> pixels = canvas->readPixels(w, h);
        std::size_t inked = 0;
        for (std::size_t i = 3; i < pixels.size(); i += 4) inked += pixels[i] != 0;
        EXPECT_EQ(inked, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Devices, DrawSceneTest,
                         ::testing::Values(platform::DeviceProfile::tablet(1), platform::DeviceProfile::phone(2)),
                         [](const auto& device) { return device.param.idiom == platform::Idiom::Pad ? "Tablet" : "Phone"; });
