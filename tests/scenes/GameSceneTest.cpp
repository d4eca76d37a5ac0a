// The arithmetic duel in process, on the shipped scene file and content,
// stepped frame by frame as the game runs: whole games won and lost, the
// timer, the one answer a touch may give, the menu's choices and how they
// are stored, and the explosion.
#include <gtest/gtest.h>

#include <cmath>

#include "app/SettingsManager.h"
#include "engine/CCMenu.h"
#include "platform/UserDefaults.h"
#include "scenes/game/GameScene.h"
#include "scenes/learning/PackedPositions.h"
#include "support/SceneTest.h"

namespace {

// A phone at scale 1: the cheapest frames, and the bands that overlap.
class GameSceneTest : public testsupport::SceneTest {
protected:
    GameSceneTest() : SceneTest(platform::DeviceProfile::phone(1), 5) {}

    GameScene* load() { return run<GameScene>(GameScene::scene()); }

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

    static void tap(CGPoint p) { testsupport::tapAt(p); }

    void playWholeGame(bool win);
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

TEST_F(GameSceneTest, EachMenuSquareChoosesItsOptionClickingOnlyOnAChangeAndIsStored) {
    GameScene* game = load();
    ASSERT_NE(game, nullptr);
    // The squares' corners on the panel, from the content document (a phone's).
    const platform::Value& squares = SettingsManager::sharedManager()->settings()["GameMenu-iphone"]["Rectangels"];
    ASSERT_EQ(squares.size(), 14u);
    auto corner = [&squares](int c) { return unpackPoint(squares[static_cast<std::size_t>(c)].asInt()); };
    // The panel and its three markers, for type, difficulty and team.
    auto panelOf = [](GameScene* g) { return g->menuLayer->getChildByTag(10); };
    auto markers = [&panelOf](GameScene* g) {
        std::vector<CCSprite*> found;
        for (const auto& child : panelOf(g)->children())
            if (auto* s = dynamic_cast<CCSprite*>(child.get());
                s && s->texture() && s->texture()->fileName().rfind("selected", 0) == 0)
                found.push_back(s);
        return found;
    };
    const CCNode* panel = panelOf(game);
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(markers(game).size(), 3u);
    const CGPoint origin{panel->position().x - panel->contentSize().width / 2,
                         panel->position().y - panel->contentSize().height / 2};
    const float half = std::trunc(markers(game)[2]->textureRect().size.width) / 2;
    auto clicks = testsupport::startedSounds;
    clicks();
    // Squares 0-4 are the types, 5-7 the difficulties, 8-13 the teams; each
    // group starts on its first option.
    for (int c = 0; c < 14; ++c) {
        SCOPED_TRACE("square " + std::to_string(c));
        const int group = c < 5 ? 0 : c < 8 ? 1 : 2;
        const int first = group == 0 ? 0 : group == 1 ? 5 : 8;
        for (int again = 0; again < 2; ++again) {
            tap({origin.x + corner(c).x + half, origin.y + corner(c).y + half});
            const bool change = c != first && again == 0;
            EXPECT_EQ(clicks(), change ? std::vector<std::string>{"click" + std::to_string(group + 1) + ".mp3"}
                                       : std::vector<std::string>{});
            EXPECT_EQ(markers(game)[static_cast<std::size_t>(group)]->position(), corner(c));
        }
        SettingsManager* store = SettingsManager::sharedManager();
        EXPECT_EQ(group == 0 ? store->type() : group == 1 ? store->difficult() : store->team(), c - first);
    }
    EXPECT_EQ(game->type, 4);
    EXPECT_EQ(game->difficult, 2);
    EXPECT_EQ(game->team, 5);

    // The next game's menu opens on the stored choices.
    game = load();
    ASSERT_NE(game, nullptr);
    ASSERT_EQ(markers(game).size(), 3u);
    EXPECT_EQ(markers(game)[0]->position(), corner(4));
    EXPECT_EQ(markers(game)[1]->position(), corner(7));
    EXPECT_EQ(markers(game)[2]->position(), corner(13));
}

TEST_F(GameSceneTest, TheExplosionGrowsAndShrinksThroughItsFramesThenGoes) {
    GameScene* game = load();
    ASSERT_NE(game, nullptr);
    const std::size_t before = game->children().size();
    game->boom({200, 100});
    ASSERT_EQ(game->children().size(), before + 1);
    auto* blast = dynamic_cast<CCSprite*>(game->children().back().get());
    ASSERT_NE(blast, nullptr);
    EXPECT_EQ(blast->zOrder(), 200);
    EXPECT_EQ(blast->position(), (CGPoint{200, 100}));  // raised by 60 on a tablet only
    EXPECT_FLOAT_EQ(blast->scale(), 0.2f);
    // Frame by frame in the middle of each step: 0.05 s each, the third 0.1 s.
    const struct {
        int frame;
        const char* image;
        float scale;
    } steps[] = {{1, "b4", 0.5f},  {4, "b5", 0.8f},  {8, "b6", 1.0f},  {13, "b4", 0.5f},
                 {16, "b3", 0.2f}, {19, "b2", 0.2f}, {22, "b1", 0.2f}};
    Ref<CCSprite> held(blast);
    int frame = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.image);
        harness->step(step.frame - frame);
        frame = step.frame;
        ASSERT_NE(blast->texture(), nullptr);
        EXPECT_EQ(blast->texture()->fileName().rfind(step.image, 0), 0u) << blast->texture()->fileName();
        EXPECT_FLOAT_EQ(blast->scale(), step.scale);
    }
    harness->step(27 - frame);
    EXPECT_EQ(blast->parent(), nullptr);
    EXPECT_EQ(game->children().size(), before);
}
