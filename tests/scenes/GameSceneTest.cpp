// The arithmetic duel in process, on the shipped scene file and content,
// stepped frame by frame as the game runs: whole games won and lost, the
// timer, the one answer a touch may give, and the stored choices.
#include <gtest/gtest.h>

#include "app/SettingsManager.h"
#include "engine/CCDirector.h"
#include "engine/CCMenu.h"
#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/UserDefaults.h"
#include "scenes/SceneClasses.h"
#include "scenes/game/GameScene.h"
#include "support/EngineHarness.h"
#include "support/TempDir.h"

namespace {

class GameSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setDataDirectory((dir.path() / "data").string());
        platform::UserDefaults::standard().reset();
        platform::seedRandom(5);
        // A phone at scale 1: the cheapest frames, and the bands that overlap.
        harness = &testsupport::EngineHarness::boot(platform::DeviceProfile::phone(1), NM_TEST_RESOURCES_DIR);
        registerSceneClasses();
    }
    void TearDown() override {
        CCDirector::sharedDirector()->end();
        platform::UserDefaults::standard().reset();
        platform::setDataDirectory("");
    }

    GameScene* load() {
        Ref<CCScene> scene = GameScene::scene();
        CCDirector::sharedDirector()->runWithScene(scene);
        harness->step();
        return scene->children().empty() ? nullptr : dynamic_cast<GameScene*>(scene->children()[0].get());
    }

    // The menu's start button, pressed.
    static void start(GameScene* game) {
        for (const auto& child : game->menuLayer->children())
            if (auto* menu = dynamic_cast<CCMenu*>(child.get())) game->menuItemClick(menu->getChildByTag(1));
    }

    // Steps until every answer label has dropped into place.
    void settle(GameScene* game) {
        for (int i = 0; i < 120; ++i) {
            bool moving = false;
            for (CCLabelTTF* answer : game->Numbers) moving |= answer->numberOfRunningActions() != 0;
            if (!moving && game->enableToTouch) return;
            harness->step();
        }
        ADD_FAILURE() << "the answers never settled";
    }

    static CCLabelTTF* answer(GameScene* game, bool right) {
        for (CCLabelTTF* a : game->Numbers)
            if ((a->tag() == 1) == right) return a;
        return nullptr;
    }

    // A tap at p in engine points.
    void tap(CGPoint p) {
        auto& app = platform::Application::shared();
        const platform::Point view{p.x, static_cast<float>(app.device().heightPoints) - p.y};
        app.injectTouch(1, platform::TouchPhase::Began, view);
        app.injectTouch(1, platform::TouchPhase::Ended, view);
    }

    void playWholeGame(bool win);

    testsupport::TempDir dir;
    testsupport::EngineHarness* harness = nullptr;
};

}  // namespace

TEST_F(GameSceneTest, DamagedStoredChoicesReadAsTheirDefaults) {
    auto& defaults = platform::UserDefaults::standard();
    defaults.setInteger("type", 9);
    defaults.setInteger("difficult", -1);
    defaults.setInteger("team", 6);
    testing::internal::CaptureStderr();
    GameScene* game = load();
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->type, 0);
    EXPECT_EQ(game->difficult, 0);
    EXPECT_EQ(game->team, 0);
    EXPECT_NE(log.find("game: stored type 9 is out of range; using 0"), std::string::npos) << log;
    EXPECT_NE(log.find("game: stored team 6 is out of range; using 0"), std::string::npos) << log;
    start(game);  // and a game starts on them
    EXPECT_FLOAT_EQ(game->scaleStep, 0.0015f);
    defaults.setInteger("team", 4);
    EXPECT_EQ(GameScene::storedTeam(), 4);
}

TEST_F(GameSceneTest, TheOpponentNeverFliesTheChildsFlag) {
    for (int team = 0; team < 6; ++team)
        for (int i = 0; i < 200; ++i) {
            const int other = GameScene::opponentFor(team);
            ASSERT_NE(other, team);
            ASSERT_GE(other, 0);
            ASSERT_LT(other, 6);
        }
}

TEST_F(GameSceneTest, ATimeoutScoresTheOpponentAndKeepsTheRightPlate) {
    platform::UserDefaults::standard().setInteger("difficult", 2);
    GameScene* game = load();
    ASSERT_NE(game, nullptr);
    start(game);
    settle(game);
    // 334 frames of 0.003 empty the bar; the continuation waits 3 s more.
    harness->step(340);
    EXPECT_EQ(game->player2Score, 1);
    EXPECT_EQ(game->player1Score, 0);
    EXPECT_FALSE(game->enableToTouch);
    harness->step(40);  // the other plates have faded
    const CCLabelTTF* right = answer(game, true);
    ASSERT_NE(right, nullptr);
    int kept = 0;
    for (CCSprite* plate : game->basr) {
        if (plate->tag() != 1) {
            EXPECT_EQ(plate->opacity(), 0);
            continue;
        }
        ++kept;
        EXPECT_EQ(plate->opacity(), 255);
        EXPECT_TRUE(CGRectContainsPoint(plate->boundingBox(), {right->position().x, plate->position().y}));
    }
    EXPECT_EQ(kept, 1);
}

TEST_F(GameSceneTest, OneTouchWhereTwoBandsOverlapGivesOneAnswer) {
    GameScene* game = load();
    ASSERT_NE(game, nullptr);
    start(game);
    settle(game);
    CCLabelTTF* right = answer(game, true);
    ASSERT_NE(right, nullptr);
    // On a phone the labels stand 80 points apart and their bands are 100
    // wide: 35 points beside the right one is inside a wrong one's band too.
    const float side = right->position().x < 240 ? 35.0f : -35.0f;
    tap({right->position().x + side, 30});
    EXPECT_FALSE(game->enableToTouch);
    // A right answer scores only once it has moved into the sum.
    harness->step(55);
    EXPECT_EQ(game->player1Score, 0);
    harness->step(10);
    EXPECT_EQ(game->player1Score, 1);
    EXPECT_EQ(game->player2Score, 0);
}

// Twenty levels, each answered when its labels have dropped in, until the
// end panel shows; the new-game button then leads back to the menu.
void GameSceneTest::playWholeGame(bool win) {
    GameScene* game = load();
    ASSERT_NE(game, nullptr);
    start(game);
    int levels = 0;
    while (!game->buttonNewGame->isVisible() && levels < 25) {
        settle(game);
        CCLabelTTF* chosen = answer(game, win);
        ASSERT_NE(chosen, nullptr);
        tap(chosen->position());
        ++levels;
        harness->step(win ? 245 : 185);
    }
    EXPECT_EQ(levels, 20);
    EXPECT_EQ(game->player1Score, win ? 20 : 0);
    EXPECT_EQ(game->player2Score, win ? 0 : 20);
    EXPECT_EQ(game->youWin->isVisible(), win);
    EXPECT_EQ(game->youLose->isVisible(), !win);
    EXPECT_EQ(game->effectsLayer->isVisible(), win);
    EXPECT_TRUE(game->blackScreen->isVisible());
    EXPECT_FALSE(game->buttonBack->isVisible());
    tap(game->buttonNewGame->position());
    harness->step(10);
    EXPECT_EQ(game->menuLayer->tag(), 1);
    EXPECT_TRUE(game->menuLayer->isVisible());
}

TEST_F(GameSceneTest, AWholeGameWon) { playWholeGame(true); }

TEST_F(GameSceneTest, AWholeGameLost) { playWholeGame(false); }
