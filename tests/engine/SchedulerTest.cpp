// Per-frame updates: order by priority, delta time, pausing with the node's
// life cycle, and changes made from inside an update.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/CCActions.h"
#include "engine/CCDirector.h"
#include "engine/CCScene.h"
#include "support/EngineHarness.h"
#include "support/RunningScene.h"

using testsupport::EngineHarness;

namespace {

struct Ticker : CCNode {
    std::vector<std::string>* log;
    std::string name;
    std::vector<float> deltas;
    std::function<void()> onUpdate;
    bool* dead = nullptr;
    Ticker(std::vector<std::string>* l, std::string n) : log(l), name(std::move(n)) {}
    ~Ticker() override {
        if (dead) *dead = true;
    }
    void update(float dt) override {
        deltas.push_back(dt);
        if (log) log->push_back(name);
        if (onUpdate) onUpdate();
    }
};

class Updates : public testsupport::RunningScene {
protected:
    Ref<Ticker> ticker(const std::string& name, bool onStage = true) {
        Ref<Ticker> t = makeRef<Ticker>(&log_, name);
        if (onStage) scene_->addChild(t);
        return t;
    }
    void frames(int n) { harness_->step(n); }

    std::vector<std::string> log_;
};

}  // namespace

TEST_F(Updates, RunByPriorityThenInOrderOfSchedulingAndBeforeActions) {
    Ref<Ticker> particles = ticker("particles"), a = ticker("a"), early = ticker("early"), b = ticker("b");
    particles->scheduleUpdateWithPriority(1);
    a->scheduleUpdate();
    early->scheduleUpdateWithPriority(-5);
    b->scheduleUpdate();
    scene_->runAction(CCSequence::actions({CCCallBlock::actionWithBlock([this] { log_.push_back("action"); })}));
    frames(1);
    EXPECT_EQ(log_, (std::vector<std::string>{"early", "a", "b", "particles", "action"}));
    // Scheduling again moves a node to its new priority.
    log_.clear();
    a->scheduleUpdateWithPriority(2);
    frames(1);
    EXPECT_EQ(log_, (std::vector<std::string>{"early", "b", "particles", "a"}));
}

TEST_F(Updates, GetTheFrameTimeAndZeroAfterSetNextDeltaTimeZero) {
    Ref<Ticker> t = ticker("t");
    t->scheduleUpdate();
    frames(2);
    CCDirector::sharedDirector()->setNextDeltaTimeZero(true);
    frames(2);
    ASSERT_EQ(t->deltas.size(), 4u);
    EXPECT_FLOAT_EQ(t->deltas[0], 1.0f / 60);
    EXPECT_FLOAT_EQ(t->deltas[1], 1.0f / 60);
    EXPECT_EQ(t->deltas[2], 0);
    EXPECT_FLOAT_EQ(t->deltas[3], 1.0f / 60);
}

TEST_F(Updates, PauseOffStageAndStopOnCleanup) {
    Ref<Ticker> t = ticker("t", false);
    t->scheduleUpdate();  // scheduled before it runs: waits
    frames(2);
    EXPECT_TRUE(t->deltas.empty());
    scene_->addChild(t);
    frames(2);
    EXPECT_EQ(t->deltas.size(), 2u);
    t->removeFromParentAndCleanup(false);
    frames(2);
    EXPECT_EQ(t->deltas.size(), 2u);
    scene_->addChild(t);
    frames(1);
    EXPECT_EQ(t->deltas.size(), 3u);
    t->removeFromParentAndCleanup(true);
    scene_->addChild(t);
    frames(2);
    EXPECT_EQ(t->deltas.size(), 3u);  // cleanup unscheduled it for good
    t->scheduleUpdate();
    t->unscheduleUpdate();
    frames(1);
    EXPECT_EQ(t->deltas.size(), 3u);
}

TEST_F(Updates, ChangesFromInsideAnUpdateAreSafe) {
    Ref<Ticker> a = ticker("a"), b = ticker("b"), c = ticker("c", false);
    a->scheduleUpdate();
    b->scheduleUpdate();
    scene_->addChild(c);
    Ticker* bp = b.get();
    Ticker* cp = c.get();
    a->onUpdate = [bp, cp] {
        bp->unscheduleUpdate();  // takes effect at once
        cp->scheduleUpdate();    // from the next frame
    };
    frames(1);
    EXPECT_EQ(log_, (std::vector<std::string>{"a"}));
    a->onUpdate = nullptr;
    frames(1);
    EXPECT_EQ(log_, (std::vector<std::string>{"a", "a", "c"}));

    // A node that removes itself, as its last owner, inside its update.
    bool dead = false;
    Ref<Ticker> self = ticker("self");
    self->dead = &dead;
    self->scheduleUpdate();
    Ticker* sp = self.get();
    self->onUpdate = [sp] { sp->removeFromParentAndCleanup(true); };
    self = nullptr;
    frames(1);
    EXPECT_TRUE(dead);

    // A scheduled node that dies off stage leaves nothing behind.
    bool gone = false;
    {
        Ref<Ticker> lost = ticker("lost", false);
        lost->dead = &gone;
        lost->scheduleUpdate();
    }
    EXPECT_TRUE(gone);
    frames(1);
}

TEST_F(Updates, StopWhileTheDirectorIsPaused) {
    Ref<Ticker> t = ticker("t");
    t->scheduleUpdate();
    CCDirector::sharedDirector()->pause();
    frames(3);
    EXPECT_TRUE(t->deltas.empty());
    CCDirector::sharedDirector()->resume();
    frames(2);
    ASSERT_EQ(t->deltas.size(), 2u);
    EXPECT_EQ(t->deltas[0], 0);  // the paused time is not handed on
}
