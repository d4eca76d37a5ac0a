// The four activities in process, on the shipped scene files and content,
// stepped frame by frame on a phone (or a tablet): their music buttons,
// which voice each learn page and each count question plays (not only that
// some voice played), page ten's birds, whole count groups mirrored, the
// balls, and the draw book's page buttons.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>

#include "app/SettingsManager.h"
#include "scenes/draw/DrawScene.h"
#include "scenes/game/GameScene.h"
#include "scenes/learning/CountScene.h"
#include "scenes/learning/LearnScene.h"
#include "scenes/learning/PackedPositions.h"
#include "support/SceneTest.h"

using platform::Value;

namespace {

class Activities : public testsupport::SceneTest {
protected:
    // A phone's frames are the cheapest.
    Activities() : SceneTest(platform::DeviceProfile::phone(1), 9) {}

    // Runs the activity's scene and enters it, the drifting clouds out of the
    // way of every tap.
    template <class T>
    T* open(Ref<CCScene> (*make)()) {
        T* layer = run<T>(make());
        if (layer)
            for (int tag = 20; tag <= 24; ++tag)
                if (CCNode* cloud = layer->getChildByTag(tag)) {
                    cloud->stopAllActions();
                    cloud->setPosition({-2000, -2000});
                }
        return layer;
    }

    static void touch(platform::TouchPhase phase, CGPoint p) { testsupport::touchAt(phase, p); }
    static void tap(CGPoint p) { testsupport::tapAt(p); }
    static std::vector<std::string> started() { return testsupport::startedSounds(); }
    static CGPoint centre(const CCNode* node) {
        const CGRect box = node->boundingBox();
        return node->parent()->convertToWorldSpace(
            {box.origin.x + box.size.width / 2, box.origin.y + box.size.height / 2});
    }
    // The file a content voice name plays as: an mp3 as named, others as m4a.
    static std::string voiceFile(const Value& name) {
        const std::string s = name.asString();
        return s.size() >= 3 && s.compare(s.size() - 3, 3, "mp3") == 0 ? s : s + ".m4a";
    }
    static const Value& settings() { return SettingsManager::sharedManager()->settings(); }
    static std::string textureOf(const CCSprite* sprite) {
        return sprite && sprite->texture() ? sprite->texture()->fileName() : "";
    }
};

}  // namespace

TEST_F(Activities, EveryActivitysMusicButtonSwitchesTheMusicAndShowsItsState) {
    struct Activity {
        const char* name;
        std::function<CCSprite*()> open;
    };
    const std::vector<Activity> activities{
        {"learn", [this] { return open<LearnScene>(&LearnScene::scene)->buttonSound; }},
        {"count", [this] { return open<CountScene>(&CountScene::scene)->buttonSound; }},
        {"draw", [this] { return open<DrawScene>(&DrawScene::scene)->buttonSound; }},
        {"game", [this] { return open<GameScene>(&GameScene::scene)->buttonSound; }},
    };
    // The game's menu shows its music button on a tablet only.
    harness = &testsupport::EngineHarness::boot(platform::DeviceProfile::tablet(1), NM_TEST_RESOURCES_DIR,
                                                kWindow.width, kWindow.height);
    // Music off is silenced, not stopped.
    auto audible = [] {
        const SimpleAudioEngine& engine = SimpleAudioEngine::sharedEngine();
        return engine.isBackgroundMusicPlaying() && engine.backgroundMusicVolume() > 0;
    };
    for (const Activity& activity : activities) {
        SCOPED_TRACE(activity.name);
        // Each activity opens with the music as the one before left it.
        const bool on = SettingsManager::sharedManager()->musicEnabled();
        CCSprite* button = activity.open();
        ASSERT_NE(button, nullptr);
        harness->step(40);  // the draw book's first page has slid in
        EXPECT_NE(textureOf(button).find(on ? "button_sound_on" : "button_sound_off"), std::string::npos);
        EXPECT_EQ(audible(), on);
        for (bool now : {!on, on, !on}) {
            tap(centre(button));
            harness->step();
            EXPECT_EQ(SettingsManager::sharedManager()->musicEnabled(), now);
            EXPECT_EQ(audible(), now);
            EXPECT_NE(textureOf(button).find(now ? "button_sound_on" : "button_sound_off"), std::string::npos)
                << textureOf(button);
        }
    }
}

TEST_F(Activities, EveryLearnPageReadsItsNumberAndCallsItsOwnAnimalsAndPageTensBirdsFlyOff) {
    LearnScene* learn = open<LearnScene>(&LearnScene::scene);
    ASSERT_NE(learn, nullptr);
    harness->step(70);
    const CGPoint digit{280 + 161 / 2, 50 + 196 / 2}, animals{63 + 194 / 2, 69 + 162 / 2};
    for (int page = 1; page <= 10; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        if (page > 1) learn->turnPage(page);
        harness->step(70);
        started();
        tap(digit);
        harness->step(15);  // touches come back once the page has settled
        EXPECT_EQ(started(), std::vector<std::string>{voiceFile(settings()["VoiceNumbers"][page])});
        if (page == 10) break;
        tap(animals);
        harness->step(15);
        EXPECT_EQ(started(), std::vector<std::string>{voiceFile(settings()["VoiceAnimals"][page])});
    }

    // Page ten: each tap sends the first bird still there off to the upper
    // left, turned round and fading, in its flying picture.
    CCNode* page = nullptr;
    for (const auto& child : learn->children())
        if (child->tag() == learn->cur && child->position().x == 0 && !child->children().empty()) page = child.get();
    ASSERT_NE(page, nullptr);
    auto birds = [page] {
        std::vector<CCSprite*> out;
        for (const auto& child : page->children())
            if (child->tag() == 200) out.push_back(static_cast<CCSprite*>(child.get()));
        return out;
    };
    const std::size_t flock = birds().size();
    ASSERT_EQ(flock, 10u);
    for (std::size_t flown = 0; flown < flock; ++flown) {
        CCSprite* bird = birds().front();
        const CGPoint from = bird->position();
        tap(animals);
        EXPECT_EQ(started(), std::vector<std::string>{"bird.mp3"});
        EXPECT_NE(textureOf(bird).find("animal11"), std::string::npos);
        if (flown == 0) {
            harness->step(32);
            EXPECT_TRUE(bird->flipX());
            harness->step(30);  // the jump is done: 500 left, 150 up, and faded out
            EXPECT_NEAR(bird->position().x, from.x - 500, 0.5);
            EXPECT_NEAR(bird->position().y, from.y + 150, 0.5);
            EXPECT_EQ(bird->opacity(), 0);
            EXPECT_EQ(birds().size(), flock);
            harness->step(31);
        } else {
            harness->step(93);
        }
        EXPECT_EQ(birds().size(), flock - flown - 1);
    }
    // None left: the call still sounds, nothing moves.
    tap(animals);
    EXPECT_EQ(started(), std::vector<std::string>{"bird.mp3"});
    EXPECT_EQ(page->children().size(), 1u);  // the digit
}

TEST_F(Activities, EveryCountKindIsAskedAboutInItsOwnVoiceAndGroupsMirrorWhole) {
    CountScene* count = open<CountScene>(&CountScene::scene);
    ASSERT_NE(count, nullptr);
    const Value& voices = settings()["CountAnimal"]["Voices"];
    std::set<int> kinds;
    int mirrored = 0, plain = 0;
    for (int question = 0; question < 80 && (kinds.size() < 8 || !mirrored || !plain); ++question) {
        if (question > 0) count->resetGame();
        started();
        harness->step(32);  // the question is asked half a second in
        ASSERT_FALSE(count->animals.empty());
        int kind = 0;
        std::sscanf(textureOf(count->animals[0]).c_str(), "animal%d", &kind);
        SCOPED_TRACE("kind " + std::to_string(kind) + ", " + std::to_string(count->rightAnswer) + " animals");
        ASSERT_GE(kind, 1);
        kinds.insert(kind);
        EXPECT_EQ(started(), std::vector<std::string>{voices[kind - 1].asString()});
        EXPECT_EQ(count->mainLabel->string(), settings()["CountAnimal"]["Strings"][kind - 1].asString());

        // The group stands as laid out, or all of it mirrored across the screen.
        const Value& layout = settings()["CountAnimal"]["Positions"][kind == 1 ? 0 : 1][count->rightAnswer - 1];
        ASSERT_EQ(layout.size(), count->animals.size());
        int asLaidOut = 0, asMirrored = 0;
        for (std::size_t i = 0; i < count->animals.size(); ++i) {
            const PackedAnimal a = unpackCountAnimal(layout[i].asInt(), false);
            const CCSprite* animal = count->animals[i];
            asLaidOut += animal->position() == a.position && animal->flipX() == a.flipX;
            asMirrored += animal->position() == CGPoint{480 - a.position.x, a.position.y} && animal->flipX() != a.flipX;
        }
        const int n = static_cast<int>(count->animals.size());
        EXPECT_TRUE(asLaidOut == n || asMirrored == n) << asLaidOut << " as laid out, " << asMirrored << " mirrored";
        (asMirrored == n ? mirrored : plain)++;
    }
    EXPECT_EQ(kinds, (std::set<int>{1, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_GT(mirrored, 0);
    EXPECT_GT(plain, 0);
}

TEST_F(Activities, ACountBallFollowsTheFingerAndRollsTheWayItIsPushed) {
    CountScene* count = open<CountScene>(&CountScene::scene);
    ASSERT_NE(count, nullptr);
    harness->step(60);
    CCSprite* ball = dynamic_cast<CCSprite*>(count->mainLayer->getChildByTag(3));
    ASSERT_NE(ball, nullptr);
    CGPoint p = centre(ball);
    const float turned = ball->rotation();
    touch(platform::TouchPhase::Began, p);
    // Right by 10: it turns on by 10. Straight down by 10: back by 10.
    // Up by 10 and left by 4: the upward push wins, on by 10.
    const CGPoint moves[] = {{10, 0}, {0, -10}, {-4, 10}};
    const float turns[] = {10, -10, 10};
    float expected = turned;
    for (int i = 0; i < 3; ++i) {
        p = {p.x + moves[i].x, p.y + moves[i].y};
        touch(platform::TouchPhase::Moved, p);
        expected += turns[i];
        EXPECT_NEAR(ball->rotation(), expected, 0.01) << "move " << i;
        EXPECT_EQ(centre(ball), p);
    }
    touch(platform::TouchPhase::Ended, p);
    harness->step(10);
    EXPECT_EQ(centre(ball), p);  // left where it was let go
}

TEST_F(Activities, TheDrawBooksEndsHideTheirPageButtonAndBackIgnoresTheTouchsEnd) {
    DrawScene* draw = open<DrawScene>(&DrawScene::scene);
    ASSERT_NE(draw, nullptr);
    harness->step(80);
    EXPECT_FALSE(draw->buttonPrev->isVisible());
    EXPECT_TRUE(draw->buttonNext->isVisible());
    const CGPoint next = centre(draw->buttonNext), prev = centre(draw->buttonPrev);
    // Where the hidden previous button is, a tap turns nothing.
    tap(prev);
    harness->step(70);
    EXPECT_EQ(draw->curIndex, 1);
    tap(next);
    harness->step(70);
    EXPECT_EQ(draw->curIndex, 2);
    EXPECT_TRUE(draw->buttonPrev->isVisible());
    EXPECT_EQ(centre(draw->buttonNext), next);  // back home after its press

    draw->turnPage(10);
    harness->step(70);
    EXPECT_EQ(draw->curIndex, 10);
    EXPECT_FALSE(draw->buttonNext->isVisible());
    tap(next);
    harness->step(70);
    EXPECT_EQ(draw->curIndex, 10);
    tap(prev);
    harness->step(70);
    EXPECT_EQ(draw->curIndex, 9);

    // A touch that began on the back button and ends on a swatch picks no colour.
    CCSprite* swatch = nullptr;
    for (const auto& child : draw->toolsLayer->children())
        if (auto* s = dynamic_cast<CCSprite*>(child.get()); s && s->tag() == 1 && !(s->color() == draw->brush->color()))
            swatch = s;
    ASSERT_NE(swatch, nullptr);
    const ccColor3B ink = draw->brush->color();
    touch(platform::TouchPhase::Began, centre(draw->buttonBack));
    touch(platform::TouchPhase::Ended, swatch->parent()->convertToWorldSpace(swatch->position()));
    EXPECT_TRUE(draw->brush->color() == ink);
}
