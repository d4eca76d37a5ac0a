// The director: scene changes, time, coordinates, caches.
#include <gtest/gtest.h>

#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"
#include "engine/CCTextureCache.h"
#include "support/EngineHarness.h"
#include "support/TempDir.h"

using testsupport::EngineHarness;

namespace {

struct TrackedScene : CCScene {
    std::vector<std::string>* log;
    std::string name;
    TrackedScene(std::vector<std::string>* l, std::string n) : log(l), name(std::move(n)) { init(); }
    ~TrackedScene() override { log->push_back("destroy " + name); }
    void onEnter() override {
        CCScene::onEnter();
        log->push_back("enter " + name);
    }
    void onExit() override {
        CCScene::onExit();
        log->push_back("exit " + name);
    }
    void cleanup() override {
        CCScene::cleanup();
        log->push_back("cleanup " + name);
    }
};

Ref<CCScene> coloured(std::vector<std::string>* log, const std::string& name, ccColor4B color) {
    Ref<TrackedScene> s = makeRef<TrackedScene>(log, name);
    s->addChild(CCLayerColor::layerWithColor(color));
    return s;
}

// Scenes write to the fixture's log until they die: end them before it goes.
class DirectorScenes : public ::testing::Test {
protected:
    void TearDown() override { CCDirector::sharedDirector()->end(); }
    std::vector<std::string> log;
};

}  // namespace

TEST_F(DirectorScenes, ReplaceSceneShowsTheNewOneNextFrameAndReleasesTheOld) {
    EngineHarness& h = EngineHarness::boot();
    CCDirector* d = CCDirector::sharedDirector();
    d->pushScene(coloured(&log, "first", {255, 0, 0, 255}));
    EXPECT_TRUE(log.empty());  // nothing happens until a frame
    auto f = h.frame();
    EXPECT_EQ(log, (std::vector<std::string>{"enter first"}));
    EXPECT_EQ(f.at(10, 10).r, 255);

    d->replaceScene(coloured(&log, "second", {0, 255, 0, 255}));
    EXPECT_EQ(d->runningScene()->retainCount(), 1);  // only the director holds the old one
    f = h.frame();
    EXPECT_EQ(log, (std::vector<std::string>{"enter first", "exit first", "cleanup first", "destroy first",
                                             "enter second"}));
    EXPECT_EQ(f.at(10, 10).g, 255);
    EXPECT_EQ(f.at(10, 10).r, 0);
    EXPECT_EQ(d->sceneCount(), 1u);
}

TEST_F(DirectorScenes, PushKeepsTheSceneBelowAndPopReturnsToIt) {
    EngineHarness& h = EngineHarness::boot();
    CCDirector* d = CCDirector::sharedDirector();
    d->runWithScene(coloured(&log, "base", {255, 0, 0, 255}));
    h.step();
    d->pushScene(coloured(&log, "top", {0, 0, 255, 255}));
    h.step();
    EXPECT_EQ(log, (std::vector<std::string>{"enter base", "exit base", "enter top"}));
    d->popScene();
    auto f = h.frame();
    EXPECT_EQ(log, (std::vector<std::string>{"enter base", "exit base", "enter top", "exit top", "cleanup top",
                                             "destroy top", "enter base"}));
    EXPECT_EQ(f.at(5, 5).r, 255);
}

TEST_F(DirectorScenes, EndTearsDownTheScenesEvenFromInsideAFrame) {
    EngineHarness& h = EngineHarness::boot();
    CCDirector* d = CCDirector::sharedDirector();
    struct Ender : CCNode {
        void draw() override { CCDirector::sharedDirector()->end(); }
    };
    Ref<CCScene> scene = coloured(&log, "only", {0, 0, 0, 255});
    scene->addChild(makeRef<Ender>());
    d->runWithScene(scene);
    scene = nullptr;
    h.step();
    EXPECT_EQ(log, (std::vector<std::string>{"enter only", "exit only", "cleanup only", "destroy only"}));
    EXPECT_EQ(d->runningScene(), nullptr);
    EXPECT_EQ(d->view(), nullptr);
}

TEST(Director, DeltaTimeCanBeZeroedForOneFrame) {
    EngineHarness& h = EngineHarness::boot();
    CCDirector* d = CCDirector::sharedDirector();
    d->runWithScene(CCScene::node());
    h.step(2);
    EXPECT_FLOAT_EQ(d->deltaTime(), 1.0f / 60);
    d->setNextDeltaTimeZero(true);
    h.step();
    EXPECT_EQ(d->deltaTime(), 0);
    h.step();
    EXPECT_FLOAT_EQ(d->deltaTime(), 1.0f / 60);
    // Resuming after a pause does not hand the paused time to the next frame.
    d->pause();
    EXPECT_TRUE(d->isPaused());
    h.step();
    d->resume();
    h.step();
    EXPECT_EQ(d->deltaTime(), 0);
}

TEST(Director, CoordinatesAndScaleFollowTheDevice) {
    EngineHarness::boot(platform::DeviceProfile::phone(2));
    CCDirector* d = CCDirector::sharedDirector();
    EXPECT_EQ(d->winSize(), CGSizeMake(480, 320));
    EXPECT_EQ(d->winSizeInPixels(), CGSizeMake(960, 640));
    EXPECT_EQ(d->contentScaleFactor(), 2);
    EXPECT_EQ(d->convertToGL({10, 20}), ccp(10, 300));
    EXPECT_EQ(d->convertToUI({10, 300}), ccp(10, 20));

    EngineHarness::boot(platform::DeviceProfile::tablet(1));
    EXPECT_EQ(d->winSize(), CGSizeMake(1024, 768));
    EXPECT_FALSE(d->enableRetinaDisplay(true));
    EXPECT_EQ(d->contentScaleFactor(), 1);
}

TEST(Director, TheDelegateDecidesOrientations) {
    struct LandscapeLeftOnly : CCDirectorDelegate {
        std::vector<int> asked;
        bool shouldAutorotateToInterfaceOrientation(int o) override {
            asked.push_back(o);
            return o == UIInterfaceOrientationLandscapeLeft;
        }
    } delegate;
    CCDirector* d = CCDirector::sharedDirector();
    d->setDelegate(&delegate);
    EXPECT_FALSE(d->deviceOrientationChanged(UIInterfaceOrientationPortrait));
    EXPECT_EQ(d->interfaceOrientation(), UIInterfaceOrientationLandscapeRight);
    EXPECT_TRUE(d->deviceOrientationChanged(UIInterfaceOrientationLandscapeLeft));
    EXPECT_EQ(d->interfaceOrientation(), UIInterfaceOrientationLandscapeLeft);
    EXPECT_EQ(delegate.asked, (std::vector<int>{1, 4}));
    d->deviceOrientationChanged(UIInterfaceOrientationLandscapeRight);
    d->setDelegate(nullptr);
    d->deviceOrientationChanged(UIInterfaceOrientationLandscapeRight);
}

TEST(Director, PurgeDropsOnlyTexturesNoNodeUses) {
    testsupport::TempDir dir;
    testsupport::writePngFile(dir / "a.png", 4, 4, testsupport::solidImage(4, 4, {255, 0, 0, 255}));
    testsupport::writePngFile(dir / "b.png", 4, 4, testsupport::solidImage(4, 4, {0, 255, 0, 255}));
    EngineHarness::boot(platform::DeviceProfile::tablet(1), dir.path().string());
    CCTextureCache* cache = CCTextureCache::sharedTextureCache();
    Ref<CCSprite> used = CCSprite::spriteWithFile("a.png");
    ASSERT_TRUE(cache->addImage("b.png"));
    EXPECT_EQ(cache->count(), 2u);
    CCDirector::sharedDirector()->purgeCachedData();
    EXPECT_EQ(cache->count(), 1u);
    EXPECT_EQ(cache->textureForKey("a.png"), used->texture());
    EXPECT_EQ(cache->textureForKey("b.png"), nullptr);
}
