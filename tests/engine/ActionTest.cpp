// Actions: their formulas, their timing in frames, the composites' rules and
// the action manager's ownership. Frames are the harness's fixed 1/60 s.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "engine/CCActions.h"
#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCNodeDump.h"
#include "engine/CCScene.h"
#include "support/EngineHarness.h"
#include "support/RunningScene.h"

using testsupport::EngineHarness;

namespace {

// A running scene; actions run on nodes added to it.
class Stage : public testsupport::RunningScene {
protected:
    template <class T = CCNode>
    Ref<T> onStage(Ref<T> node) {
        scene_->addChild(node);
        return node;
    }
    Ref<CCNode> onStage() { return onStage(CCNode::node()); }
    void frames(int n) { harness_->step(n); }
};

// A node that reports its death.
struct Mortal : CCNode {
    bool* dead;
    explicit Mortal(bool* d) : dead(d) { *dead = false; }
    ~Mortal() override { *dead = true; }
};

// A node with an opacity, for fades.
Ref<CCLayerColor> tinted(std::uint8_t opacity) { return CCLayerColor::layerWithColor({255, 255, 255, opacity}, 10, 10); }

// Applies an action to a lone node at progress t, as its first frame would.
template <class A>
void applyAt(A* action, CCNode* node, float t) {
    action->startWithTarget(node);
    action->update(t);
}

}  // namespace

// --- formulas --------------------------------------------------------------------------

TEST(ActionFormulas, JumpsHopAboveTheStraightLine) {
    Ref<CCNode> n = CCNode::node();
    n->setPosition({100, 50});
    Ref<CCJumpBy> by = CCJumpBy::actionWithDuration(1, {40, -20}, 30, 2);
    // t = 0.25 with two jumps is the top of the first hop (f = 0.5).
    applyAt(by.get(), n, 0.25f);
    EXPECT_FLOAT_EQ(n->position().x, 110);
    EXPECT_FLOAT_EQ(n->position().y, 50 - 5 + 30);
    // t = 0.5 lands between the hops.
    by->update(0.5f);
    EXPECT_FLOAT_EQ(n->position().y, 40);
    by->update(1);
    EXPECT_EQ(n->position(), (CGPoint{140, 30}));

    // A negative height dips below the line (the birds' swoop).
    Ref<CCJumpTo> to = CCJumpTo::actionWithDuration(1, {300, 50}, -80, 1);
    applyAt(to.get(), n, 0.5f);
    EXPECT_FLOAT_EQ(n->position().x, 220);
    EXPECT_FLOAT_EQ(n->position().y, 30 + 10 - 80);
    to->update(1);
    EXPECT_EQ(n->position(), (CGPoint{300, 50}));
}

TEST(ActionFormulas, RotateToTurnsTheShorterWay) {
    struct Case {
        float start, target, halfway, end;
    };
    for (Case c : {Case{350, 10, 360, 370}, Case{0, -50, -25, -50}, Case{-370, 170, 80, 170},
                   Case{810, -90, 0, -90}, Case{0, 400, 20, 40}, Case{-5, 5, 0, 5}}) {
        Ref<CCNode> n = CCNode::node();
        n->setRotation(c.start);
        Ref<CCRotateTo> r = CCRotateTo::actionWithDuration(1, c.target);
        applyAt(r.get(), n, 0.5f);
        EXPECT_FLOAT_EQ(n->rotation(), c.halfway) << c.start << " -> " << c.target;
        r->update(1);
        EXPECT_FLOAT_EQ(n->rotation(), c.end) << c.start << " -> " << c.target;
    }
    Ref<CCNode> n = CCNode::node();
    n->setRotation(350);
    applyAt(CCRotateBy::actionWithDuration(1, 360).get(), n, 0.5f);
    EXPECT_FLOAT_EQ(n->rotation(), 530);  // by does not reduce
}

TEST(ActionFormulas, ScalesAndFadesRunFromTheNodesCurrentValues) {
    Ref<CCNode> n = CCNode::node();
    n->setScaleX(2);
    n->setScaleY(0.5f);
    applyAt(CCScaleTo::actionWithDuration(1, 1).get(), n, 0.5f);
    EXPECT_FLOAT_EQ(n->scaleX(), 1.5f);
    EXPECT_FLOAT_EQ(n->scaleY(), 0.75f);

    Ref<CCLayerColor> c = tinted(100);
    Ref<CCFadeTo> to = CCFadeTo::actionWithDuration(1, 200);
    applyAt(to.get(), c, 0.5f);
    EXPECT_EQ(c->opacity(), 150);
    c->setOpacity(40);
    Ref<CCFadeIn> in = CCFadeIn::actionWithDuration(1);
    applyAt(in.get(), c, 0.5f);
    EXPECT_EQ(c->opacity(), 148);
    in->update(1);
    EXPECT_EQ(c->opacity(), 255);
    Ref<CCFadeOut> out = CCFadeOut::actionWithDuration(1);
    applyAt(out.get(), c, 1);
    EXPECT_EQ(c->opacity(), 0);
    // Overshooting eases clamp to the byte range.
    to->startWithTarget(c);
    to->update(1.5f);
    EXPECT_EQ(c->opacity(), 255);
    // A node without opacity is left alone.
    applyAt(CCFadeOut::actionWithDuration(1).get(), CCNode::node(), 1);
}

TEST(EaseCurves, BendTheInnerTimeByTheirFormulas) {
    auto eased = [](Ref<CCActionInterval> (*make)(CCActionInterval*), float t) {
        Ref<CCNode> n = CCNode::node();
        Ref<CCActionInterval> e = make(CCMoveBy::actionWithDuration(1, {1000, 0}));
        applyAt(e.get(), n, t);
        return n->position().x / 1000;
    };
    auto easeOut = [](CCActionInterval* a) -> Ref<CCActionInterval> { return CCEaseOut::actionWithAction(a, 1.4f); };
    auto easeIn = [](CCActionInterval* a) -> Ref<CCActionInterval> { return CCEaseIn::actionWithAction(a, 2); };
    auto rate = [](CCActionInterval* a) -> Ref<CCActionInterval> { return CCEaseRateAction::actionWithAction(a); };
    auto rated = [](CCActionInterval* a) -> Ref<CCActionInterval> {
        return CCEaseRateAction::actionWithAction(a, 3);
    };
    auto elastic = [](CCActionInterval* a) -> Ref<CCActionInterval> { return CCEaseElasticOut::actionWithAction(a); };
    auto back = [](CCActionInterval* a) -> Ref<CCActionInterval> { return CCEaseBackOut::actionWithAction(a); };
    auto bounce = [](CCActionInterval* a) -> Ref<CCActionInterval> { return CCEaseBounceOut::actionWithAction(a); };

    EXPECT_NEAR(eased(easeOut, 0.5f), std::pow(0.5, 1 / 1.4), 1e-4);
    EXPECT_NEAR(eased(easeIn, 0.5f), 0.25, 1e-4);
    // The rate class itself applies no easing, with or without a rate.
    for (float t : {0.1f, 0.5f, 0.9f}) {
        EXPECT_NEAR(eased(rate, t), t, 1e-4);
        EXPECT_NEAR(eased(rated, t), t, 1e-4);
    }

    auto elasticAt = [](double t) {
        return std::pow(2, -10 * t) * std::sin((t - 0.075) * 2 * std::numbers::pi / 0.3) + 1;
    };
    EXPECT_EQ(eased(elastic, 0), 0);
    EXPECT_EQ(eased(elastic, 1), 1);
    for (float t : {0.05f, 0.15f, 0.3f, 0.7f}) EXPECT_NEAR(eased(elastic, t), elasticAt(t), 1e-4) << t;
    EXPECT_GT(eased(elastic, 0.15f), 1.2);  // it overshoots

    auto backAt = [](double t) { return (t - 1) * (t - 1) * (2.70158 * (t - 1) + 1.70158) + 1; };
    EXPECT_NEAR(eased(back, 0), 0, 1e-4);
    EXPECT_NEAR(eased(back, 1), 1, 1e-4);
    EXPECT_NEAR(eased(back, 0.6f), backAt(0.6), 1e-4);
    EXPECT_GT(eased(back, 0.6f), 1);

    // Bounce: one point inside each arc, and the arcs meet at the breaks.
    EXPECT_NEAR(eased(bounce, 0.2f), 7.5625 * 0.04, 1e-4);
    EXPECT_NEAR(eased(bounce, 0.6f), 7.5625 * std::pow(0.6 - 1.5 / 2.75, 2) + 0.75, 1e-4);
    EXPECT_NEAR(eased(bounce, 0.85f), 7.5625 * std::pow(0.85 - 2.25 / 2.75, 2) + 0.9375, 1e-4);
    EXPECT_NEAR(eased(bounce, 0.95f), 7.5625 * std::pow(0.95 - 2.625 / 2.75, 2) + 0.984375, 1e-4);
    for (double b : {1 / 2.75, 2 / 2.75, 2.5 / 2.75})
        EXPECT_NEAR(eased(bounce, float(b - 1e-5)), eased(bounce, float(b + 1e-5)), 1e-3) << b;
    EXPECT_NEAR(eased(bounce, 1), 1, 1e-5);
}

// --- timing ------------------------------------------------------------------------------

TEST_F(Stage, AnActionStartsAtOnceAndRunsItsDurationFromTheNextFrame) {
    Ref<CCNode> n = onStage();
    n->setPosition({0, 0});
    n->runAction(CCMoveTo::actionWithDuration(1, {60, 0}));
    EXPECT_EQ(n->numberOfRunningActions(), 1);
    frames(1);  // first step: t = 0
    EXPECT_EQ(n->position().x, 0);
    frames(30);
    EXPECT_NEAR(n->position().x, 30, 1e-3);
    frames(29);
    EXPECT_EQ(n->numberOfRunningActions(), 1);
    frames(1);
    EXPECT_EQ(n->position().x, 60);
    EXPECT_EQ(n->numberOfRunningActions(), 0);  // gone in the frame it ended
}

TEST_F(Stage, DurationsLandOnTheirFrameDespiteRounding) {
    // The butterfly's flight: its flag is back after exactly 2 × 3 + 0.15 s.
    Ref<CCNode> n = onStage();
    n->setTag(0);
    auto up = CCEaseRateAction::actionWithAction(CCJumpBy::actionWithDuration(3, {55, 40}, 50, 1));
    auto down = CCEaseRateAction::actionWithAction(CCJumpBy::actionWithDuration(3, {55, -40}, 50, 1));
    CCNode* raw = n.get();
    n->runAction(CCSequence::actions({up, CCDelayTime::actionWithDuration(0.15f), down,
                                      CCCallBlock::actionWithBlock([raw] { raw->setTag(1); })}));
    frames(1 + 368);
    EXPECT_EQ(n->tag(), 0);
    frames(1);
    EXPECT_EQ(n->tag(), 1);
    EXPECT_EQ(n->position(), (CGPoint{110, 0}));
}

TEST_F(Stage, ZeroDurationsFinishInTheirFirstStep) {
    Ref<CCNode> n = onStage();
    n->runAction(CCMoveTo::actionWithDuration(0, {5, 7}));
    n->runAction(CCScaleTo::actionWithDuration(0, 3));
    frames(1);
    EXPECT_EQ(n->position(), (CGPoint{5, 7}));
    EXPECT_EQ(n->scale(), 3);
    EXPECT_EQ(n->numberOfRunningActions(), 0);
}

// --- composites -------------------------------------------------------------------------

TEST_F(Stage, InstantsAtTheHeadOfASequenceRunTogetherInTheNextFrame) {
    Ref<CCNode> n = onStage();
    std::vector<std::string> log;
    auto note = [&log](std::string s) { return CCCallBlock::actionWithBlock([&log, s] { log.push_back(s); }); };
    n->runAction(CCSequence::actions({note("a"), note("b"), CCPlace::actionWithPosition({9, 9}),
                                      CCDelayTime::actionWithDuration(0.5f), note("c"), note("d"), nullptr}));
    EXPECT_TRUE(log.empty());
    frames(1);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(n->position(), (CGPoint{9, 9}));
    frames(29);
    EXPECT_EQ(log.size(), 2u);
    frames(1);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(n->numberOfRunningActions(), 0);
}

TEST_F(Stage, ActionsRunFromAnActionStartInTheNextFrameWhateverTheNode) {
    Ref<CCNode> a = onStage(), b = onStage();
    std::vector<std::string> log;
    CCNode* bp = b.get();
    CCNode* ap = a.get();
    auto note = [&log](std::string s) { return CCCallBlock::actionWithBlock([&log, s] { log.push_back(s); }); };
    a->runAction(CCCallBlock::actionWithBlock([&, ap, bp] {
        log.push_back("a");
        bp->runAction(note("on b"));
        ap->runAction(note("on a"));
    }));
    b->runAction(CCDelayTime::actionWithDuration(10));  // b's actions are stepped after a's
    frames(1);
    EXPECT_EQ(log, (std::vector<std::string>{"a"}));
    frames(1);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "on a", "on b"}));
}

TEST_F(Stage, TheSameActionTwiceRunsEachTimeFromTheNodesStateThen) {
    // Twice in a row in a sequence.
    Ref<CCNode> a = onStage();
    Ref<CCMoveBy> step = CCMoveBy::actionWithDuration(0.5f, {10, 0});
    Ref<CCRotateBy> turn = CCRotateBy::actionWithDuration(0.25f, 90);
    a->runAction(CCSequence::actions({step, step, turn, turn}));
    frames(1 + 30);
    EXPECT_EQ(a->position().x, 10);
    frames(30 + 30);
    EXPECT_EQ(a->position().x, 20);
    EXPECT_EQ(a->rotation(), 180);
    EXPECT_EQ(a->numberOfRunningActions(), 0);

    // Inside a spawn and again after it: the bird that flies away, fading,
    // then waits as long again under the same fade.
    Ref<CCLayerColor> bird = onStage(tinted(255));
    bird->setPosition({0, 0});
    CCLayerColor* b = bird.get();
    bool removed = false;
    Ref<CCFadeTo> fade = CCFadeTo::actionWithDuration(0.5f, 0);
    bird->runAction(CCSequence::actions({CCSpawn::actions({CCJumpBy::actionWithDuration(0.5f, {-500, 150}, 150, 1), fade}),
                                         CCCallBlock::actionWithBlock([b] { b->setOpacity(200); }), fade,
                                         CCCallBlock::actionWithBlock([&] { removed = true; })}));
    frames(1 + 30);
    EXPECT_EQ(bird->position(), (CGPoint{-500, 150}));
    EXPECT_EQ(bird->opacity(), 200);  // the second run starts from the block's opacity
    frames(15);
    EXPECT_NEAR(bird->opacity(), 100, 1);
    EXPECT_FALSE(removed);
    frames(15);
    EXPECT_TRUE(removed);
    EXPECT_EQ(bird->opacity(), 0);
}

TEST_F(Stage, ABlockMayStopItsOwnNodeAndTheCompositeSimplyEnds) {
    Ref<CCNode> n = onStage();
    CCNode* raw = n.get();
    int after = 0;
    auto stopAll = CCCallBlock::actionWithBlock([raw] { raw->stopAllActions(); });
    auto later = CCCallBlock::actionWithBlock([&after] { ++after; });
    n->runAction(CCSequence::actions({stopAll, later}));
    n->runAction(CCMoveBy::actionWithDuration(1, {100, 0}));
    frames(5);
    EXPECT_EQ(after, 0);
    EXPECT_EQ(n->numberOfRunningActions(), 0);
    EXPECT_EQ(n->position().x, 0);

    // Nested in a repeat inside a spawn, mid-way through a sequence; the
    // block then starts something new on its node, which runs.
    Ref<CCNode> m = onStage();
    CCNode* mr = m.get();
    int passes = 0;
    auto restart = CCCallBlock::actionWithBlock([mr, &passes] {
        if (++passes < 3) return;
        mr->stopAllActions();
        mr->runAction(CCMoveTo::actionWithDuration(0, {42, 42}));
    });
    m->runAction(CCRepeatForever::actionWithAction(
        CCSpawn::actions({CCSequence::actions({CCDelayTime::actionWithDuration(0.1f), restart,
                                               CCCallBlock::actionWithBlock([&after] { ++after; })}),
                          CCRotateBy::actionWithDuration(0.2f, 10)})));
    frames(1 + 6 * 3 + 30);
    EXPECT_EQ(passes, 3);
    EXPECT_EQ(after, 2);
    EXPECT_EQ(m->position(), (CGPoint{42, 42}));
    EXPECT_EQ(m->numberOfRunningActions(), 0);
}

TEST_F(Stage, SpawnsRunTogetherForTheLongestDuration) {
    Ref<CCLayerColor> n = onStage(tinted(255));
    n->setPosition({0, 0});
    int instants = 0;
    Ref<CCSpawn> s = CCSpawn::actions({CCMoveBy::actionWithDuration(1, {60, 0}), CCFadeOut::actionWithDuration(0.5f),
                                       CCCallBlock::actionWithBlock([&instants] { ++instants; })});
    EXPECT_FLOAT_EQ(s->duration(), 1);
    n->runAction(s);
    frames(1 + 15);
    EXPECT_EQ(instants, 1);
    EXPECT_NEAR(n->position().x, 15, 1e-3);
    EXPECT_NEAR(n->opacity(), 128, 1);
    frames(15);
    EXPECT_EQ(n->opacity(), 0);
    n->setOpacity(77);  // the finished fade lets go of the node
    frames(30);
    EXPECT_EQ(n->position().x, 60);
    EXPECT_EQ(n->opacity(), 77);
    EXPECT_EQ(n->numberOfRunningActions(), 0);
}

TEST_F(Stage, RepeatsStartEachPassAfresh) {
    // The sheep's head: three shakes, then its parent's flag after 0.6 s.
    Ref<CCNode> sheep = onStage();
    sheep->setTag(0);
    Ref<CCNode> head = CCNode::node();
    sheep->addChild(head);
    CCNode* s = sheep.get();
    head->runAction(CCSequence::actions(
        {CCRepeat::actionWithAction(CCSequence::actions({CCRotateBy::actionWithDuration(0.1f, -15),
                                                         CCRotateBy::actionWithDuration(0.1f, 15)}),
                                    3),
         CCCallBlock::actionWithBlock([s] { s->setTag(1); })}));
    frames(1 + 3);
    EXPECT_NEAR(head->rotation(), -7.5f, 1e-3);
    frames(32);
    EXPECT_EQ(sheep->tag(), 0);
    frames(1);
    EXPECT_EQ(sheep->tag(), 1);
    EXPECT_NEAR(head->rotation(), 0, 1e-4);

    // Moves by an offset accumulate pass after pass.
    Ref<CCNode> n = onStage();
    n->runAction(CCRepeat::actionWithAction(CCMoveBy::actionWithDuration(0.25f, {10, 0}), 4));
    frames(1 + 15);
    EXPECT_NEAR(n->position().x, 10, 1e-3);
    frames(45);
    EXPECT_NEAR(n->position().x, 40, 1e-3);
    EXPECT_EQ(n->numberOfRunningActions(), 0);

    // Instants repeated run once a pass.
    int calls = 0;
    n->runAction(CCRepeat::actionWithAction(CCCallBlock::actionWithBlock([&calls] { ++calls; }), 3));
    frames(2);
    EXPECT_EQ(calls, 3);
}

TEST_F(Stage, RepeatForeverRestartsOnTimeUntilStopped) {
    // A cloud's drift: block A, the move, block B, over and over, each pass
    // as long as the first.
    Ref<CCNode> cloud = onStage();
    cloud->setPosition({320, 500});
    CCNode* c = cloud.get();
    std::vector<float> passStarts;
    int frame = 0;
    auto a = CCCallBlock::actionWithBlock([&] { passStarts.push_back(float(frame)); });
    auto b = CCCallBlock::actionWithBlock([c] { c->setPosition({1100, c->position().y}); });
    cloud->runAction(CCRepeatForever::actionWithAction(
        CCSequence::actions({a, CCMoveTo::actionWithDuration(0.5f, {-50, 500}), b})));
    for (frame = 1; frame <= 1 + 30 * 3; ++frame) frames(1);
    EXPECT_EQ(passStarts, (std::vector<float>{1, 31, 61, 91}));
    EXPECT_NEAR(cloud->position().x, 1100, 1e-2);  // each pass starts from B's place
    frames(15);
    EXPECT_NEAR(cloud->position().x, 525, 1e-2);
    EXPECT_EQ(cloud->numberOfRunningActions(), 1);
    cloud->stopAllActions();
    EXPECT_EQ(cloud->numberOfRunningActions(), 0);

    // A move repeated for ever rests at its end.
    Ref<CCNode> n = onStage();
    n->runAction(CCRepeatForever::actionWithAction(CCMoveTo::actionWithDuration(2, {140, 130})));
    frames(1 + 150);
    EXPECT_EQ(n->position(), (CGPoint{140, 130}));
    EXPECT_EQ(n->numberOfRunningActions(), 1);

    // A repeated action of no duration runs once a frame.
    int calls = 0;
    n->runAction(CCRepeatForever::actionWithAction(
        CCSequence::actions({CCCallBlock::actionWithBlock([&calls] { ++calls; })})));
    frames(4);
    EXPECT_EQ(calls, 4);
}

TEST_F(Stage, EasesAroundCompositesKeepTheirOvershoot) {
    // A star pops in: scale 0, then after a delay an eased scale to 1 that
    // overshoots on the way.
    Ref<CCNode> star = onStage();
    star->setScale(0);
    star->runAction(CCSequence::actions({CCDelayTime::actionWithDuration(0.15f),
                                         CCEaseBackOut::actionWithAction(CCScaleTo::actionWithDuration(0.1f, 1))}));
    frames(1 + 9 + 4);
    EXPECT_GT(star->scale(), 1.0f);
    frames(2);
    EXPECT_EQ(star->scale(), 1.0f);
    EXPECT_EQ(star->numberOfRunningActions(), 0);

    // The elastic spring of the drawing head around a whole sequence.
    Ref<CCNode> head = onStage();
    head->setPosition({0, 0});
    head->runAction(CCEaseElasticOut::actionWithAction(
        CCSequence::actions({CCMoveTo::actionWithDuration(0.5f, {50, 0}), CCMoveTo::actionWithDuration(0.5f, {100, 0})})));
    float most = 0;
    for (int i = 0; i < 61; ++i) {
        frames(1);
        most = std::max(most, head->position().x);
    }
    EXPECT_GT(most, 110);
    EXPECT_EQ(head->position().x, 100);
}

// --- the action manager -----------------------------------------------------------------

TEST_F(Stage, ActionsWaitOffStageAndRunOnceTheNodeEnters) {
    Ref<CCNode> n = CCNode::node();
    n->runAction(CCMoveBy::actionWithDuration(0.5f, {30, 0}));
    frames(10);
    EXPECT_EQ(n->position().x, 0);
    EXPECT_EQ(n->numberOfRunningActions(), 1);
    scene_->addChild(n);
    frames(1 + 15);
    EXPECT_NEAR(n->position().x, 15, 1e-3);
    // Taken off without cleanup, it pauses; back on, it goes on.
    scene_->removeChild(n, false);
    frames(10);
    EXPECT_NEAR(n->position().x, 15, 1e-3);
    scene_->addChild(n);
    frames(15);
    EXPECT_EQ(n->position().x, 30);
}

TEST_F(Stage, TheManagerKeepsNodesAliveUntilTheirActionsAreGone) {
    // Taken off the stage without cleanup, a node is kept (paused) by its action.
    bool dead = false;
    Ref<Mortal> kept = makeRef<Mortal>(&dead);
    scene_->addChild(kept);
    kept->runAction(CCDelayTime::actionWithDuration(0.1f));
    kept->removeFromParentAndCleanup(false);
    CCNode* raw = kept.get();
    kept = nullptr;
    frames(10);
    EXPECT_FALSE(dead);
    raw->stopAllActions();
    EXPECT_TRUE(dead);

    // Cleanup stops the actions and releases the node at once.
    bool gone = false;
    Ref<Mortal> n = makeRef<Mortal>(&gone);
    scene_->addChild(n);
    n->runAction(CCRepeatForever::actionWithAction(CCRotateBy::actionWithDuration(1, 360)));
    raw = n.get();
    n = nullptr;
    raw->removeFromParentAndCleanup(true);
    EXPECT_TRUE(gone);

    // A block that removes its own node with cleanup, as the last owner: the
    // node lives to the end of the frame's step.
    bool flown = false;
    Ref<Mortal> bird = makeRef<Mortal>(&flown);
    scene_->addChild(bird);
    raw = bird.get();
    bird->runAction(CCSequence::actions({CCDelayTime::actionWithDuration(0.05f),
                                         CCCallBlock::actionWithBlock([raw] { raw->removeFromParentAndCleanup(true); }),
                                         CCCallBlock::actionWithBlock([] { ADD_FAILURE() << "ran after the stop"; })}));
    bird = nullptr;
    frames(1 + 2);
    EXPECT_FALSE(flown);
    frames(1);
    EXPECT_TRUE(flown);
    EXPECT_EQ(scene_->children().size(), 0u);
}

TEST_F(Stage, AnActionRunsOnOneNodeAtATime) {
    Ref<CCNode> a = onStage(), b = onStage();
    Ref<CCMoveBy> move = CCMoveBy::actionWithDuration(0.25f, {20, 0});
    EXPECT_EQ(a->runAction(move), move.get());
    b->runAction(move);
    EXPECT_EQ(b->numberOfRunningActions(), 0);
    frames(1 + 15);
    EXPECT_EQ(a->position().x, 20);
    EXPECT_EQ(b->position().x, 0);
    // Once it has ended it may run again, on any node.
    b->runAction(move);
    frames(1 + 15);
    EXPECT_EQ(b->position().x, 20);
    EXPECT_EQ(a->position().x, 20);
}

TEST_F(Stage, ActionsAreStoppedOneByOneOrByTag) {
    Ref<CCNode> n = onStage();
    Ref<CCMoveBy> move = CCMoveBy::actionWithDuration(1, {60, 0});
    Ref<CCRotateBy> turn = CCRotateBy::actionWithDuration(1, 60);
    turn->setTag(7);
    n->runAction(move);
    n->runAction(turn);
    frames(1 + 30);
    EXPECT_EQ(n->getActionByTag(7), turn.get());
    n->stopActionByTag(7);
    EXPECT_EQ(n->getActionByTag(7), nullptr);
    EXPECT_EQ(n->numberOfRunningActions(), 1);
    Ref<CCNode> other = onStage();
    other->stopAction(move);  // not its action
    EXPECT_EQ(n->numberOfRunningActions(), 1);
    n->stopAction(move);
    frames(10);
    EXPECT_NEAR(n->position().x, 30, 1e-3);
    EXPECT_NEAR(n->rotation(), 30, 1e-3);
    EXPECT_EQ(move->target(), nullptr);
}

TEST_F(Stage, PausingTheDirectorHoldsTimeAndResumingSkipsThePause) {
    Ref<CCNode> n = onStage();
    n->runAction(CCMoveBy::actionWithDuration(1, {60, 0}));
    frames(1 + 30);
    CCDirector::sharedDirector()->pause();
    frames(20);
    EXPECT_NEAR(n->position().x, 30, 1e-3);
    CCDirector::sharedDirector()->resume();
    frames(1);
    EXPECT_NEAR(n->position().x, 30, 1e-3);
    frames(30);
    EXPECT_EQ(n->position().x, 60);
}

TEST_F(Stage, TheDumpCountsRunningActions) {
    Ref<CCNode> n = onStage();
    n->runAction(CCDelayTime::actionWithDuration(1));
    n->runAction(CCDelayTime::actionWithDuration(2));
    EXPECT_NE(nodeTreeToJson(n).find("\"actions\":2"), std::string::npos);
    frames(1 + 60);
    EXPECT_NE(nodeTreeToJson(n).find("\"actions\":1"), std::string::npos);
}

TEST_F(Stage, ReplacingTheSceneStopsItsActions) {
    bool dead = false;
    Ref<Mortal> n = makeRef<Mortal>(&dead);
    scene_->addChild(n);
    n->runAction(CCRepeatForever::actionWithAction(CCRotateBy::actionWithDuration(1, 360)));
    n = nullptr;
    scene_ = nullptr;
    CCDirector::sharedDirector()->replaceScene(CCScene::node());
    frames(1);
    EXPECT_TRUE(dead);
}
