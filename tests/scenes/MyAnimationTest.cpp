#include <gtest/gtest.h>

#include "engine/CCDirector.h"
#include "engine/CCScene.h"
#include "engine/CCTextureCache.h"
#include "platform/Random.h"
#include "scenes/learning/MyAnimation.h"
#include "support/EngineHarness.h"

namespace {

// A running scene on the shipped bundle, with sprites to animate in it.
class MyAnimationTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness = &testsupport::EngineHarness::boot(platform::DeviceProfile::tablet(1), NM_TEST_RESOURCES_DIR);
        scene = CCScene::node();
        CCDirector::sharedDirector()->runWithScene(scene.get());
        harness->step();
    }
    void TearDown() override { testsupport::EngineHarness::shutdown(); }

    CCSprite* add(const std::string& file, CGPoint at, CCNode* parent = nullptr) {
        Ref<CCSprite> sprite = CCSprite::spriteWithFile(file);
        sprite->setPosition(at);
        (parent ? parent : scene.get())->addChild(sprite.get());
        return sprite.get();
    }
    // Steps until the predicate holds; the seconds it took, or -1.
    double secondsUntil(const std::function<bool()>& done, double limit) {
        for (int frame = 0; frame <= limit * 60; ++frame) {
            if (done()) return frame / 60.0;
            harness->step();
        }
        return -1;
    }

    testsupport::EngineHarness* harness = nullptr;
    Ref<CCScene> scene;
};

}  // namespace

TEST_F(MyAnimationTest, ButterflyAndSheepReportTheirEndThroughTags) {
    CCSprite* butterfly = add("butterfly~ipad.png", {300, 300});
    butterfly->setTag(0);
    MyAnimation::butterAnimation(butterfly, 1, true, 1.0f);
    EXPECT_TRUE(butterfly->flipX());
    double flight = secondsUntil([&] { return butterfly->tag() == 1; }, 5);
    // 2 x time + 0.15, give or take the frame the actions start on.
    EXPECT_NEAR(flight, 2.15, 2.0 / 60);
    EXPECT_NEAR(butterfly->position().x, 300 + 110, 0.01);
    EXPECT_NEAR(butterfly->position().y, 300, 0.01);

    CCSprite* sheep = add("sheep~ipad.png", {500, 300});
    sheep->setTag(0);
    CCSprite* head = add("sheep~ipad.png", {10, 10}, sheep);
    MyAnimation::sheepAnimation(head);
    double shake = secondsUntil([&] { return sheep->tag() == 1; }, 3);
    EXPECT_NEAR(shake, 0.6, 2.0 / 60);
    EXPECT_NEAR(head->rotation(), 0, 0.001);  // back where it started
}

TEST_F(MyAnimationTest, FlyingFlipsTowardsTheLeftOnly) {
    CCSprite* bird = add("bird1~ipad.png", {100, 100});
    MyAnimation::flyTo(bird, {100, 300}, 0.3f, true);  // straight up: no flip, turn changes nothing
    EXPECT_FALSE(bird->flipX());
    MyAnimation::flyTo(bird, {50, 100}, 0.3f, false);
    EXPECT_TRUE(bird->flipX());
    MyAnimation::flyTo(bird, {400, 100}, 0.3f, false);
    EXPECT_FALSE(bird->flipX());

    CCSprite* walker = add("bird2~ipad.png", {100, 100});
    walker->setFlipX(true);
    MyAnimation::moveSprite(walker, {400, 100}, 0.3f);
    EXPECT_TRUE(walker->flipX());  // a move to the right keeps the flip
}

TEST_F(MyAnimationTest, TheFrogLandsOnItsTargetShowingItsLandedPicture) {
    CCSprite* frog = add("frog3~ipad.png", {893, 543});
    CCTexture2D* landed = frog->texture();
    MyAnimation::frogAnimation(frog, {815, 592}, 1.0f);
    harness->step(30);
    EXPECT_EQ(frog->texture(), CCTextureCache::sharedTextureCache()->addImage("frog2~ipad.png"));
    EXPECT_EQ(frog->contentSize().width, 100);  // the rectangle stays as it was
    double hop = secondsUntil([&] { return frog->numberOfRunningActions() == 0; }, 3);
    EXPECT_NEAR(hop + 0.5, 1.4, 3.0 / 60);  // the jump and the rest after landing
    EXPECT_EQ(frog->texture(), landed);
    EXPECT_NEAR(frog->position().x, 815, 0.01);
    EXPECT_NEAR(frog->position().y, 592, 0.01);
}

TEST_F(MyAnimationTest, CloudsDriftLeftAndReEnterFromTheRightEveryPass) {
    platform::seedRandom(11);
    CCSprite* cloud = add("cloud1~ipad.png", {320, 700});
    float w = cloud->texture()->contentSize().width;
    MyAnimation::moveLeftForever(cloud, 1.0f);
    harness->step(2);
    // The tag is rewritten from the x position at the start of each pass.
    EXPECT_LE(cloud->tag(), 320 / 4 - 9);
    EXPECT_GE(cloud->tag(), 320 / 4 - 21);
    double firstPass = secondsUntil([&] { return cloud->position().x > 1000; }, 80);
    // 320 / 16 + 10 + 10 x (r mod 5): 30 to 70 seconds.
    EXPECT_GE(firstPass, 30 - 0.1);
    EXPECT_LE(firstPass, 70 + 0.1);
    EXPECT_FLOAT_EQ(cloud->position().x, 1024 + w / 2);
    EXPECT_FLOAT_EQ(cloud->position().y, 700);
    harness->step(30);
    EXPECT_LT(cloud->position().x, 1024 + w / 2);  // drifting again
}

TEST_F(MyAnimationTest, IntToSpriteLaysTheDigitsOutLeftToRight) {
    Ref<CCSprite> zero = MyAnimation::intToSprite(0);
    ASSERT_EQ(zero->children().size(), 1u);
    EXPECT_EQ(zero->getChildByTag(1)->position(), (CGPoint{0, 0}));
    EXPECT_EQ(zero->contentSize().width, 0);

    Ref<CCSprite> number = MyAnimation::intToSprite(105);
    ASSERT_EQ(number->children().size(), 3u);
    auto* hundreds = static_cast<CCSprite*>(number->getChildByTag(3));
    float w = std::trunc(hundreds->texture()->contentSize().width);
    EXPECT_GT(w, 0);
    EXPECT_EQ(hundreds->position(), (CGPoint{0, 0}));
    EXPECT_EQ(number->getChildByTag(2)->position(), (CGPoint{w, 0}));
    EXPECT_EQ(number->getChildByTag(1)->position(), (CGPoint{2 * w, 0}));
    EXPECT_EQ(static_cast<CCSprite*>(number->getChildByTag(1))->texture(),
              CCTextureCache::sharedTextureCache()->addImage("num5.png"));
    EXPECT_EQ(number->getChildByTag(3)->anchorPoint(), (CGPoint{0, 0}));
}

TEST_F(MyAnimationTest, ThePassingBirdSwoopsThereAndBackTurningAtEachEnd) {
    CCSprite* bird = add("bird3~ipad.png", {200, 600});
    MyAnimation::birdAnimation(bird, 1.0f);
    harness->step(30);
    // Half way over: 225 to the right, 80 below its line, turned towards -50.
    EXPECT_NEAR(bird->position().x, 425, 8);
    EXPECT_NEAR(bird->position().y, 520, 1);
    EXPECT_NEAR(bird->rotation(), -25, 1);
    EXPECT_FALSE(bird->flipX());
    // Across after a second: it turns round, level again.
    EXPECT_NEAR(0.5 + secondsUntil([bird] { return bird->flipX(); }, 2), 1.0, 2.0 / 60);
    EXPECT_NEAR(bird->position().x, 650, 8);
    EXPECT_NEAR(bird->rotation(), 0, 1);
    harness->step(30);
    EXPECT_NEAR(bird->position().y, 520, 1);
    EXPECT_NEAR(bird->rotation(), 25, 1);
    // Back at the start after two, facing the way it first flew; and so on for ever.
    EXPECT_NEAR(1.5 + secondsUntil([bird] { return !bird->flipX(); }, 2), 2.0, 3.0 / 60);
    EXPECT_NEAR(bird->position().x, 200, 8);
    EXPECT_EQ(bird->numberOfRunningActions(), 1u);
}

TEST_F(MyAnimationTest, ABoatRocksInPlaceOnAFourSecondCycle) {
    CCSprite* boat = add("cloud1~ipad.png", {300, 200});
    MyAnimation::swim(boat, 0);
    double top = 200, bottom = 200;
    float most = 0, least = 0;
    for (int frame = 1; frame <= 480; ++frame) {
        harness->step();
        EXPECT_EQ(boat->position().x, 300);  // never sideways
        top = std::max<double>(top, boat->position().y);
        bottom = std::min<double>(bottom, boat->position().y);
        most = std::max(most, boat->rotation());
        least = std::min(least, boat->rotation());
        if (frame == 120) EXPECT_NEAR(boat->rotation(), -5, 0.1);  // the rise, turning to -5
        if (frame == 240) EXPECT_NEAR(boat->rotation(), 5, 0.1);   // the dip, turning to +5
    }
    EXPECT_NEAR(top, 202, 0.1);
    EXPECT_NEAR(bottom, 198, 0.1);
    EXPECT_NEAR(least, -5, 0.01);
    EXPECT_NEAR(most, 5, 0.01);
    EXPECT_NEAR(boat->position().y, 200, 0.1);
}
