// Touch dispatch: priorities, claiming, swallowing, standard delegates,
// changes during a dispatch, layers' registration and the way in from the
// platform.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCScene.h"
#include "engine/CCTouchDispatcher.h"
#include "support/EngineHarness.h"
#include "support/RunningScene.h"

using testsupport::EngineHarness;
using Log = std::vector<std::string>;

namespace {

struct Probe : CCTargetedTouchDelegate {
    std::string name;
    Log* log;
    bool claims;
    std::function<void()> onBegan;
    Probe(std::string n, Log* l, bool c = true) : name(std::move(n)), log(l), claims(c) {}
    bool ccTouchBegan(UITouch* t, void*) override {
        log->push_back(name + " began " + std::to_string(t->id()));
        if (onBegan) onBegan();
        return claims;
    }
    void ccTouchMoved(UITouch* t, void*) override { log->push_back(name + " moved " + std::to_string(t->id())); }
    void ccTouchEnded(UITouch* t, void*) override { log->push_back(name + " ended " + std::to_string(t->id())); }
    void ccTouchCancelled(UITouch* t, void*) override {
        log->push_back(name + " cancelled " + std::to_string(t->id()));
    }
};

struct StandardProbe : CCStandardTouchDelegate {
    std::string name;
    Log* log;
    StandardProbe(std::string n, Log* l) : name(std::move(n)), log(l) {}
    void note(const char* what, const CCTouchSet& touches) {
        std::string s = name + " " + what;
        for (UITouch* t : touches) s += " " + std::to_string(t->id());
        log->push_back(s);
    }
    void ccTouchesBegan(const CCTouchSet& t, void*) override { note("began", t); }
    void ccTouchesMoved(const CCTouchSet& t, void*) override { note("moved", t); }
    void ccTouchesEnded(const CCTouchSet& t, void*) override { note("ended", t); }
    void ccTouchesCancelled(const CCTouchSet& t, void*) override { note("cancelled", t); }
};

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override { d_->removeAllDelegates(); }
    void TearDown() override { d_->removeAllDelegates(); }

    // A whole touch: began, one move, ended.
    void tap(platform::Touch& t) {
        d_->touchesBegan({&t});
        t.moveTo({t.locationInView().x + 1, t.locationInView().y}, platform::TouchPhase::Moved);
        d_->touchesMoved({&t});
        t.moveTo(t.locationInView(), platform::TouchPhase::Ended);
        d_->touchesEnded({&t});
    }

    CCTouchDispatcher* d_ = CCDirector::sharedDirector()->touchDispatcher();
    Log log_;
};

}  // namespace

TEST_F(Dispatch, NewTouchesGoByAscendingPriorityNewestFirstAmongEquals) {
    Probe scene("scene", &log_, false), menu("menu", &log_, false), catalog("catalog", &log_, false),
        later("later", &log_, false);
    d_->addTargetedDelegate(&scene, 10, true);
    d_->addTargetedDelegate(&menu, kCCMenuTouchPriority, true);
    d_->addTargetedDelegate(&catalog, -129, false);
    d_->addTargetedDelegate(&later, 10, true);
    d_->addTargetedDelegate(&scene, -5000, true);  // already there: left as it is
    platform::Touch t(1, {0, 0});
    d_->touchesBegan({&t});
    EXPECT_EQ(log_, (Log{"catalog began 1", "menu began 1", "later began 1", "scene began 1"}));
}

TEST_F(Dispatch, OnlyClaimersGetTheRestOfATouch) {
    Probe a("a", &log_), b("b", &log_, false), c("c", &log_);
    d_->addTargetedDelegate(&a, 0, false);
    d_->addTargetedDelegate(&b, 1, false);
    d_->addTargetedDelegate(&c, 2, false);
    platform::Touch t(4, {0, 0});
    tap(t);
    EXPECT_EQ(log_, (Log{"a began 4", "b began 4", "c began 4", "a moved 4", "c moved 4", "a ended 4", "c ended 4"}));
    // An ended touch is forgotten; a cancelled one goes to its claimers too.
    log_.clear();
    d_->touchesMoved({&t});
    EXPECT_TRUE(log_.empty());
    platform::Touch u(5, {0, 0});
    d_->touchesBegan({&u});
    d_->touchesCancelled({&u});
    EXPECT_EQ(log_, (Log{"a began 5", "b began 5", "c began 5", "a cancelled 5", "c cancelled 5"}));
}

TEST_F(Dispatch, ASwallowingClaimerHidesTheTouchFromEveryoneAfterIt) {
    Probe form("form", &log_), catalog("catalog", &log_), scene("scene", &log_);
    StandardProbe standard("standard", &log_);
    d_->addTargetedDelegate(&catalog, -129, false);
    d_->addTargetedDelegate(&scene, 10, true);
    d_->addStandardDelegate(&standard, 0);
    platform::Touch t(1, {0, 0});
    tap(t);
    // The catalogue claims without swallowing: the scene still gets it.
    EXPECT_EQ(log_, (Log{"catalog began 1", "scene began 1", "catalog moved 1", "scene moved 1", "catalog ended 1",
                         "scene ended 1"}));

    log_.clear();
    d_->addTargetedDelegate(&form, -1000, true);
    platform::Touch u(2, {0, 0});
    tap(u);
    EXPECT_EQ(log_, (Log{"form began 2", "form moved 2", "form ended 2"}));

    // Standard delegates get, as one set, what no claimer swallowed.
    log_.clear();
    d_->removeDelegate(&form);
    d_->removeDelegate(&scene);
    scene.claims = false;
    d_->addTargetedDelegate(&scene, 10, true);
    Probe picky("picky", &log_);
    d_->addTargetedDelegate(&picky, 5, true);
    picky.onBegan = [&picky] { picky.claims = !picky.claims; };  // claims every other touch
    platform::Touch v(3, {0, 0}), w(4, {0, 0});
    d_->touchesBegan({&v, &w});
    EXPECT_EQ(log_, (Log{"catalog began 3", "picky began 3", "scene began 3", "catalog began 4", "picky began 4",
                         "standard began 3"}));
}

TEST_F(Dispatch, ChangesDuringADispatchWaitForItsEnd) {
    Probe a("a", &log_, false), b("b", &log_, false), late("late", &log_, false), flicker("flicker", &log_, false);
    d_->addTargetedDelegate(&a, 0, false);
    d_->addTargetedDelegate(&b, 1, false);
    a.onBegan = [&] {
        d_->addTargetedDelegate(&late, -10, false);
        d_->removeDelegate(&b);
        d_->addTargetedDelegate(&flicker, -20, false);
        d_->removeDelegate(&flicker);
        d_->removeDelegate(&a);
        d_->addTargetedDelegate(&a, 0, false);
    };
    platform::Touch t(1, {0, 0});
    d_->touchesBegan({&t});
    EXPECT_EQ(log_, (Log{"a began 1", "b began 1"}));
    EXPECT_TRUE(d_->isTargetedDelegate(&late));
    EXPECT_FALSE(d_->isTargetedDelegate(&b));
    EXPECT_FALSE(d_->isTargetedDelegate(&flicker));
    EXPECT_TRUE(d_->isTargetedDelegate(&a));

    log_.clear();
    a.onBegan = nullptr;
    platform::Touch u(2, {0, 0});
    d_->touchesBegan({&u});
    EXPECT_EQ(log_, (Log{"late began 2", "a began 2"}));
}

TEST_F(Dispatch, ADelegateThatDiesLeavesAtOnce) {
    auto doomed = std::make_unique<Probe>("doomed", &log_);
    Probe killer("killer", &log_, false);
    d_->addTargetedDelegate(&killer, 0, false);
    d_->addTargetedDelegate(doomed.get(), 1, false);
    killer.onBegan = [&doomed] { doomed.reset(); };
    platform::Touch t(1, {0, 0});
    d_->touchesBegan({&t});
    EXPECT_EQ(log_, (Log{"killer began 1"}));
    EXPECT_EQ(doomed, nullptr);

    // One destroyed between dispatches, with its claim still open.
    auto claimer = std::make_unique<Probe>("claimer", &log_);
    d_->addTargetedDelegate(claimer.get(), 2, false);
    killer.onBegan = nullptr;
    platform::Touch u(2, {0, 0});
    d_->touchesBegan({&u});
    claimer.reset();
    d_->touchesEnded({&u});
    EXPECT_EQ(log_, (Log{"killer began 1", "killer began 2", "claimer began 2"}));
}

TEST_F(Dispatch, NothingIsDeliveredWhileDispatchIsOff) {
    Probe a("a", &log_);
    d_->addTargetedDelegate(&a, 0, true);
    d_->setDispatchEvents(false);
    platform::Touch t(1, {0, 0});
    d_->touchesBegan({&t});
    d_->setDispatchEvents(true);
    EXPECT_TRUE(log_.empty());
}

// --- layers --------------------------------------------------------------------------------

namespace {

struct TouchLayer : CCLayer {
    int priority = 10;
    bool targeted = true;
    std::vector<CGPoint> began;
    Log* log = nullptr;
    void registerWithTouchDispatcher() override {
        if (targeted)
            CCDirector::sharedDirector()->touchDispatcher()->addTargetedDelegate(this, priority, true);
        else
            CCLayer::registerWithTouchDispatcher();
    }
    bool ccTouchBegan(UITouch* touch, void*) override {
        began.push_back(CCDirector::sharedDirector()->convertTouchToGL(touch));
        if (log) log->push_back("began");
        return true;
    }
    void ccTouchMoved(UITouch*, void*) override {
        if (log) log->push_back("moved");
    }
    void ccTouchEnded(UITouch*, void*) override {
        if (log) log->push_back("ended");
    }
};

class LayerTouches : public testsupport::RunningScene {
protected:
    CCTouchDispatcher* d_ = CCDirector::sharedDirector()->touchDispatcher();
};

}  // namespace

TEST_F(LayerTouches, ALayerIsRegisteredExactlyWhileItRunsWithTouchesOn) {
    Ref<CCLayer> plain = CCLayer::node();
    plain->setIsTouchEnabled(true);
    EXPECT_FALSE(d_->isStandardDelegate(plain));  // not running yet
    scene_->addChild(plain);
    EXPECT_TRUE(d_->isStandardDelegate(plain));  // the default registration
    plain->setIsTouchEnabled(false);
    EXPECT_FALSE(d_->isStandardDelegate(plain));
    plain->setIsTouchEnabled(true);
    EXPECT_TRUE(d_->isStandardDelegate(plain));
    plain->removeFromParentAndCleanup(true);
    EXPECT_FALSE(d_->isStandardDelegate(plain));

    Ref<TouchLayer> scene = makeRef<TouchLayer>();
    scene->init();
    scene_->addChild(scene);
    EXPECT_FALSE(d_->isTargetedDelegate(scene));  // touches off
    scene->setIsTouchEnabled(true);
    EXPECT_TRUE(d_->isTargetedDelegate(scene));
    EXPECT_FALSE(d_->isStandardDelegate(scene));
    // Leaving with the running scene unregisters too.
    CCDirector::sharedDirector()->replaceScene(CCScene::node());
    harness_->step();
    EXPECT_FALSE(d_->isTargetedDelegate(scene));
}

TEST_F(LayerTouches, PlatformTouchesReachLayersInEngineCoordinates) {
    Log log;
    Ref<TouchLayer> layer = makeRef<TouchLayer>();
    layer->init();
    layer->log = &log;
    layer->setIsTouchEnabled(true);
    scene_->addChild(layer);
    auto& app = platform::Application::shared();
    app.injectTouch(0, platform::TouchPhase::Began, {100, 700});
    app.injectTouch(0, platform::TouchPhase::Moved, {120, 700});
    app.injectTouch(0, platform::TouchPhase::Ended, {120, 700});
    EXPECT_EQ(log, (Log{"began", "moved", "ended"}));
    ASSERT_EQ(layer->began.size(), 1u);
    EXPECT_EQ(layer->began[0], (CGPoint{100, 68}));  // 768 points high
}
