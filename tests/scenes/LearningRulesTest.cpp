// The rules behind the learn and count screens that content and chance feed:
// packed places, the animal kind of a question, its five choices; and the
// learn pages keeping to themselves when a cloud takes a page's tag.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "engine/CCDirector.h"
#include "platform/Random.h"
#include "scenes/SceneClasses.h"
#include "scenes/learning/CountScene.h"
#include "scenes/learning/LearnScene.h"
#include "scenes/learning/PackedPositions.h"
#include "support/EngineHarness.h"

TEST(PackedPositions, MirroringDepthAndPhoneScaling) {
    PackedAnimal a = unpackLearnAnimal(1123456);
    EXPECT_TRUE(a.flipX);
    EXPECT_EQ(a.position, (CGPoint{123, 456}));
    a = unpackLearnAnimal(123456);
    EXPECT_FALSE(a.flipX);
    EXPECT_EQ(a.position, (CGPoint{123, 456}));
    // Truncating division: negative values mirror and give negative places.
    a = unpackLearnAnimal(-1123456);
    EXPECT_TRUE(a.flipX);
    EXPECT_EQ(a.position, (CGPoint{-123, -456}));

    a = unpackCountAnimal(15512384, true);
    EXPECT_TRUE(a.flipX);
    EXPECT_EQ(a.z, 5);
    EXPECT_EQ(a.position, (CGPoint{512, 384}));
    a = unpackCountAnimal(3512384, false);
    EXPECT_FALSE(a.flipX);
    EXPECT_EQ(a.z, 3);
    EXPECT_EQ(a.position, (CGPoint{240, 160}));
    a = unpackCountAnimal(999767, false);  // 999 x 480 / 1024 and 767 x 320 / 768, truncated
    EXPECT_EQ(a.position, (CGPoint{468, 319}));
    EXPECT_EQ(unpackPoint(512121), (CGPoint{512, 121}));
}

TEST(PackedPositions, ALearnLayoutClaimingMoreThanItPlacesGivesWhatItHas) {
    platform::Value layout;
    layout.set("PointCont", 3);
    layout.set("Points", platform::Value::Array{platform::Value(100200), platform::Value(1300400)});
    testing::internal::CaptureStderr();
    auto animals = unpackLearnLayout(layout, 3);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("learn: page 3 claims 3 animals and places 2"),
              std::string::npos);
    ASSERT_EQ(animals.size(), 2u);
    EXPECT_TRUE(animals[1].flipX);
    layout.set("PointCont", 1);
    EXPECT_EQ(unpackLearnLayout(layout, 3).size(), 1u);
    EXPECT_TRUE(unpackLearnLayout(platform::Value(), 3).empty());  // no layout at all
}

TEST(CountQuestions, TheKindNeverRepeatsAndTwoShowsAsOne) {
    platform::seedRandom(7);
    int previous = 100;
    std::set<int> shown;
    for (int i = 0; i < 2000; ++i) {
        const int before = previous;
        const int kind = CountScene::drawKind(previous);
        EXPECT_NE(previous, before);
        EXPECT_GE(previous, 1);
        EXPECT_LE(previous, 9);
        EXPECT_EQ(kind, previous == 2 ? 1 : previous);
        shown.insert(kind);
    }
    EXPECT_EQ(shown, (std::set<int>{1, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(CountQuestions, TheChoicesAreFiveNeighboursHoldingTheAnswer) {
    platform::seedRandom(11);
    for (int round = 0; round < 200; ++round) {
        for (int n = 1; n <= 9; ++n) {
            auto choices = CountScene::drawChoices(n);
            std::sort(choices.begin(), choices.end());
            const int low = n <= 5 ? n : n - 4;
            for (int i = 0; i < 5; ++i) EXPECT_EQ(choices[i], low + i) << "n = " << n;
        }
    }
}

// A drifting cloud rewrites its tag from where it is: near a phone's left
// edge it takes 1 to 3, the pages' own tags. Turning pages moves the pages,
// never a cloud.
TEST(LearnPages, ACloudWithAPagesTagIsNeverTurnedAsAPage) {
    auto& harness = testsupport::EngineHarness::boot(platform::DeviceProfile::phone(1), NM_TEST_RESOURCES_DIR);
    registerSceneClasses();
    Ref<CCScene> scene = LearnScene::scene();
    CCDirector::sharedDirector()->runWithScene(scene.get());
    harness.step(2);
    auto* learn = dynamic_cast<LearnScene*>(scene->children().front().get());
    ASSERT_TRUE(learn);
    std::vector<CCNode*> clouds;
    for (const auto& child : learn->children())
        if (auto* sprite = dynamic_cast<CCSprite*>(child.get());
            sprite && sprite->texture() && sprite->texture()->fileName().find("cloud") != std::string::npos)
            clouds.push_back(sprite);
    ASSERT_EQ(clouds.size(), 5u);
    // Clouds go first among the children, as they are found.
    for (std::size_t i = 0; i < clouds.size(); ++i) {
        learn->reorderChild(clouds[i], -10);
        clouds[i]->setTag(1 + static_cast<int>(i % 3));
    }
    harness.step();
    learn->turnPage(4);
    harness.step(45);
    EXPECT_EQ(learn->curIndex, 4);
    // The page now current shows at the left edge, the one before it left the screen.
    CCNode* current = nullptr;
    for (const auto& child : learn->children())
        if (child->tag() == learn->cur && std::find(clouds.begin(), clouds.end(), child.get()) == clouds.end())
            current = child.get();
    ASSERT_TRUE(current);
    EXPECT_EQ(current->position().x, 0);
    CCDirector::sharedDirector()->end();
}
