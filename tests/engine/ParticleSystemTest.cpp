// Particle systems: emission and retirement, motion, what a moving emitter
// does to live particles, reproducibility, and drawing on real GL.
//
// Simulation tests step the emitter by hand with the frame's delta time and
// keep it out of any running scene, so no scheduler steps it as well.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/CCActionInterval.h"
#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCParticleSystemQuad.h"
#include "engine/CCScene.h"
#include "platform/Random.h"
#include "support/EngineHarness.h"

using testsupport::EngineHarness;

namespace {

constexpr float kFrame = 1.0f / 60;

// A still emitter: particles born at its origin, without speed or gravity,
// white and opaque, living `life` seconds.
Ref<CCParticleSystemQuad> stillEmitter(unsigned capacity, float rate, float life) {
    Ref<CCParticleSystemQuad> p = CCParticleSystemQuad::particleWithTotalParticles(capacity);
    p->setEmissionRate(rate);
    p->setLife(life);
    p->setStartSize(10);
    p->setEndSize(10);
    return p;
}

void run(CCParticleSystem* p, int frames) {
    for (int i = 0; i < frames; ++i) p->update(kFrame);
}

// The centre of a particle's quad in world points.
CGPoint drawnCentreInWorld(CCParticleSystemQuad* p, unsigned i) {
    const ccV2F_C4B_T2F_Quad& q = p->quads()[i];
    CGPoint centre{(q.bl.vertices.x + q.tr.vertices.x) / 2, (q.bl.vertices.y + q.tr.vertices.y) / 2};
    return p->convertToWorldSpace(centre);
}

float quadSide(CCParticleSystemQuad* p, unsigned i) {
    const ccV2F_C4B_T2F_Quad& q = p->quads()[i];
    return ccpDistance(q.bl.vertices, q.br.vertices);
}

std::vector<float> livesSorted(const CCParticleSystem* p) {
    std::vector<float> v;
    for (unsigned i = 0; i < p->particleCount(); ++i) v.push_back(p->particles()[i].timeToLive);
    std::sort(v.begin(), v.end());
    return v;
}

}  // namespace

TEST(ParticleEmission, ShortBurstEmitsAboutTenThenRemovesItselfOnceTheLastDies) {
    Ref<CCNode> parent = CCNode::node();
    Ref<CCParticleSystemQuad> p = stillEmitter(100, 100, 0.5f);
    p->setDuration(0.1f);
    p->setAutoRemoveOnFinish(true);
    parent->addChild(p);

    unsigned most = 0;
    int frames = 0;
    while (p->isActive() && frames < 60) {
        p->update(kFrame);
        most = std::max(most, p->particleCount());
        ++frames;
    }
    EXPECT_FALSE(p->isActive());
    EXPECT_GE(most, 9u);
    EXPECT_LE(most, 11u);
    // Stopped but not empty: still there, and no further emission.
    EXPECT_EQ(p->parent(), parent.get());
    run(p, 6);
    EXPECT_EQ(p->particleCount(), most);

    while (p->parent() && frames < 200) {
        p->update(kFrame);
        ++frames;
    }
    EXPECT_EQ(p->particleCount(), 0u);
    EXPECT_EQ(p->parent(), nullptr);
    EXPECT_TRUE(parent->children().empty());
    // The removal happened when the last particle died, not frames later.
    EXPECT_LE(frames * kFrame, 0.1f + 0.5f + 2 * kFrame);
}

TEST(ParticleEmission, TheLastDeathFinishesAnEmitterStoppedOrNotAndARateOfZeroHoldsTheDuration) {
    // One particle a second living a tenth of it: it is gone when its only
    // particle dies, while still emitting.
    Ref<CCNode> parent = CCNode::node();
    Ref<CCParticleSystemQuad> p = stillEmitter(10, 1, 0.1f);
    p->setAutoRemoveOnFinish(true);
    parent->addChild(p);
    int frames = 0;
    while (p->parent() && frames < 120) {
        p->update(kFrame);
        ++frames;
    }
    EXPECT_EQ(p->parent(), nullptr);
    EXPECT_TRUE(p->isActive());
    EXPECT_NEAR(frames * kFrame, 1.1f, 2 * kFrame);

    // Stopped before its first particle: no particle dies, so it stays.
    Ref<CCParticleSystemQuad> unborn = stillEmitter(10, 100, 0.1f);
    unborn->setAutoRemoveOnFinish(true);
    parent->addChild(unborn);
    unborn->stopSystem();
    run(unborn, 30);
    EXPECT_EQ(unborn->parent(), parent.get());

    // An emitter set to emit nothing never runs out its duration.
    Ref<CCParticleSystemQuad> silent = stillEmitter(10, 0, 1);
    silent->setDuration(0.5f);
    run(silent, 60);
    EXPECT_TRUE(silent->isActive());
    EXPECT_EQ(silent->elapsed(), 0);
    silent->setEmissionRate(60);
    run(silent, 31);
    EXPECT_FALSE(silent->isActive());
}

TEST(ParticleEmission, ResetClearsAtTheNextFrameAndEmitsAgain) {
    Ref<CCParticleSystemQuad> p = stillEmitter(500, 50, 2);
    run(p, 60);
    EXPECT_GE(p->particleCount(), 45u);

    p->resetSystem();
    EXPECT_TRUE(p->isActive());
    p->update(kFrame);
    // Only particles born in this frame are left: each has aged one frame.
    ASSERT_LE(p->particleCount(), 2u);
    for (float t : livesSorted(p)) EXPECT_FLOAT_EQ(t, 2 - kFrame);
    run(p, 60);
    EXPECT_GE(p->particleCount(), 45u);

    // A stopped emitter starts again too.
    p->stopSystem();
    EXPECT_FALSE(p->isActive());
    p->resetSystem();
    run(p, 30);
    EXPECT_TRUE(p->isActive());
    EXPECT_NEAR(p->elapsed(), 0.5f, 1e-4);
}

TEST(ParticleEmission, TotalParticlesCapsLiveParticlesAndNeverExceedsTheRoom) {
    Ref<CCParticleSystemQuad> p = stillEmitter(10, 1000, 5);
    p->setTotalParticles(50);
    EXPECT_EQ(p->totalParticles(), 10u);
    run(p, 10);
    EXPECT_EQ(p->particleCount(), 10u);

    p->setTotalParticles(4);
    p->resetSystem();
    run(p, 3);
    EXPECT_EQ(p->particleCount(), 4u);
}

TEST(ParticleEmission, RetiringKeepsEveryOtherParticleAgeingOncePerFrame) {
    // Mixed lives in one burst, so that particles retire from all over the
    // array: each survivor must age exactly one frame per update, also the
    // ones moved into a retired particle's slot.
    platform::seedRandom(7);
    Ref<CCParticleSystemQuad> p = stillEmitter(100, 1000, 0.06f);
    p->setLifeVar(0.05f);
    p->update(kFrame);
    p->stopSystem();
    ASSERT_GE(p->particleCount(), 10u);
    for (int frame = 0; frame < 6; ++frame) {
        std::vector<float> expected;
        for (float t : livesSorted(p))
            if (t - kFrame > 0) expected.push_back(t - kFrame);
        p->update(kFrame);
        std::vector<float> got = livesSorted(p);
        ASSERT_EQ(got.size(), expected.size()) << "frame " << frame;
        for (std::size_t i = 0; i < got.size(); ++i) EXPECT_FLOAT_EQ(got[i], expected[i]);
    }
}

TEST(ParticleEmission, AHiddenEmitterHoldsItsParticlesStillButKeepsEmitting) {
    Ref<CCParticleSystemQuad> p = stillEmitter(2048, 100, 0.2f);
    p->setSpeed(100);
    p->setVisible(false);
    run(p, 120);
    // Two seconds of emission, none of it aged or moved.
    EXPECT_GE(p->particleCount(), 195u);
    for (unsigned i = 0; i < p->particleCount(); ++i) {
        EXPECT_FLOAT_EQ(p->particles()[i].timeToLive, 0.2f);
        EXPECT_EQ(p->particles()[i].pos, CGPointZero);
    }

    // Shown again, they run out their lives from where they stood.
    p->setVisible(true);
    p->stopSystem();
    p->update(kFrame);
    for (unsigned i = 0; i < p->particleCount(); ++i) EXPECT_FLOAT_EQ(p->particles()[i].timeToLive, 0.2f - kFrame);
    run(p, 12);
    EXPECT_EQ(p->particleCount(), 0u);
}

TEST(ParticleEmission, SeededRunsRepeat) {
    auto burst = [] {
        platform::seedRandom(1234);
        Ref<CCParticleSystemQuad> p = stillEmitter(50, 600, 1);
        p->setLifeVar(0.5f);
        p->setPosVar({20, 10});
        p->setSpeed(50);
        p->setSpeedVar(20);
        p->setAngleVar(180);
        p->setStartSizeVar(5);
        p->setStartColorVar({0.5f, 0.5f, 0.5f, 0});
        run(p, 5);
        std::vector<float> v;
        for (unsigned i = 0; i < p->particleCount(); ++i) {
            const tCCParticle& q = p->particles()[i];
            v.insert(v.end(), {q.pos.x, q.pos.y, q.size, q.timeToLive, q.color.r, q.color.g});
        }
        return v;
    };
    std::vector<float> first = burst();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(burst(), first);
    // And the variances do vary.
    EXPECT_NE(first[0], first[6]);
}

TEST(ParticleMotion, GravityModeFollowsAngleSpeedAndGravity) {
    Ref<CCParticleSystemQuad> p = stillEmitter(1, 1000, 10);
    p->setAngle(90);  // straight up: degrees counter-clockwise from +x
    p->setSpeed(100);
    p->setGravity({0, -100});
    p->setSourcePosition({5, 0});
    run(p, 60);
    ASSERT_EQ(p->particleCount(), 1u);
    const tCCParticle& q = p->particles()[0];
    // One second of v t - g t^2 / 2 = 50, stepped per frame.
    EXPECT_NEAR(q.pos.x, 5, 1e-3);
    EXPECT_NEAR(q.pos.y, 50, 1.5);
    EXPECT_NEAR(q.dir.y, 0, 1e-3);

    // Radial acceleration pushes away from the emitter, tangential turns
    // counter-clockwise around it.
    Ref<CCParticleSystemQuad> r = stillEmitter(1, 1000, 10);
    r->setSourcePosition({10, 0});
    r->setRadialAccel(100);
    run(r, 30);
    EXPECT_GT(r->particles()[0].pos.x, 20);
    EXPECT_NEAR(r->particles()[0].pos.y, 0, 1e-3);
    Ref<CCParticleSystemQuad> t = stillEmitter(1, 1000, 10);
    t->setSourcePosition({10, 0});
    t->setTangentialAccel(100);
    run(t, 10);
    EXPECT_GT(t->particles()[0].pos.y, 1);
}

TEST(ParticleMotion, RadiusModeCirclesTheEmitter) {
    Ref<CCParticleSystemQuad> p = stillEmitter(1, 1000, 10);
    p->setEmitterMode(kCCParticleModeRadius);
    p->setStartRadius(50);
    p->setEndRadius(kCCParticleStartRadiusEqualToEndRadius);
    p->setRotatePerSecond(90);
    run(p, 60);
    const tCCParticle& q = p->particles()[0];
    EXPECT_NEAR(ccpLength(q.pos), 50, 1e-2);
    // Born opposite angle 0, at (-50, 0); a quarter turn in one second.
    EXPECT_NEAR(q.pos.x, 0, 0.5);
    EXPECT_NEAR(q.pos.y, -50, 0.5);

    // With an end radius the radius moves there over the particle's life.
    Ref<CCParticleSystemQuad> s = stillEmitter(1, 1000, 2);
    s->setEmitterMode(kCCParticleModeRadius);
    s->setStartRadius(100);
    s->setEndRadius(0);
    run(s, 60);
    EXPECT_NEAR(ccpLength(s->particles()[0].pos), 50, 0.1);

    p->setEmitterMode(7);  // refused
    EXPECT_EQ(p->emitterMode(), kCCParticleModeRadius);
}

TEST(ParticleMotion, ColourSizeAndSpinMoveToTheirEndValuesOverLife) {
    Ref<CCParticleSystemQuad> p = stillEmitter(1, 1000, 1);
    p->setStartColor({1, 0, 0, 1});
    p->setEndColor({0, 0, 1, 0});
    p->setStartSize(40);
    p->setEndSize(0);
    p->setStartSpin(0);
    p->setEndSpin(90);
    run(p, 30);
    const tCCParticle& q = p->particles()[0];
    EXPECT_NEAR(q.color.r, 0.5f, 0.02f);
    EXPECT_NEAR(q.color.b, 0.5f, 0.02f);
    EXPECT_NEAR(q.color.a, 0.5f, 0.02f);
    EXPECT_NEAR(q.size, 20, 1);
    EXPECT_NEAR(q.rotation, 45, 1);
    EXPECT_NEAR(quadSide(p, 0), q.size, 1e-3);
}

TEST(ParticleMotion, EndSizeMinusOneKeepsEachParticlesStartSize) {
    platform::seedRandom(99);
    Ref<CCParticleSystemQuad> p = stillEmitter(20, 1000, 1);
    p->setStartSize(20);
    p->setStartSizeVar(8);
    p->setEndSize(kCCParticleStartSizeEqualToEndSize);
    p->setEndSizeVar(30);  // ignored with -1
    p->update(kFrame);
    p->stopSystem();
    ASSERT_GE(p->particleCount(), 10u);
    std::vector<float> born;
    for (unsigned i = 0; i < p->particleCount(); ++i) born.push_back(p->particles()[i].size);
    EXPECT_NE(born.front(), born.back());
    run(p, 50);
    ASSERT_EQ(p->particleCount(), born.size());
    for (unsigned i = 0; i < p->particleCount(); ++i) {
        EXPECT_FLOAT_EQ(p->particles()[i].size, born[i]);
        EXPECT_NEAR(quadSide(p, i), born[i], 1e-3);
    }
}

TEST(ParticlePositionType, GroupedFollowsAMovedParentFreeStaysRelativeFollowsOnlyTheParent) {
    struct Case {
        int type;
        bool followsParent;
        bool followsEmitter;
    };
    for (Case c : {Case{kCCPositionTypeGrouped, true, true}, Case{kCCPositionTypeFree, false, false},
                   Case{kCCPositionTypeRelative, true, false}}) {
        SCOPED_TRACE(c.type);
        Ref<CCNode> root = CCNode::node();
        Ref<CCNode> parent = CCNode::node();
        parent->setPosition({100, 100});
        parent->setScale(2);  // moves must be undone in the emitter's own units
        root->addChild(parent);
        Ref<CCParticleSystemQuad> p = stillEmitter(5, 1000, 10);
        p->setPositionType(c.type);
        p->setPosition({10, 0});
        parent->addChild(p);
        p->update(kFrame);
        p->stopSystem();
        ASSERT_GT(p->particleCount(), 0u);
        const CGPoint born = drawnCentreInWorld(p, 0);
        EXPECT_NEAR(born.x, 120, 1e-3);
        EXPECT_NEAR(born.y, 100, 1e-3);

        parent->setPosition({150, 130});
        p->update(kFrame);
        CGPoint now = drawnCentreInWorld(p, 0);
        CGPoint expected = c.followsParent ? CGPoint{170, 130} : born;
        EXPECT_NEAR(now.x, expected.x, 1e-3);
        EXPECT_NEAR(now.y, expected.y, 1e-3);

        p->setPosition({20, 0});  // 20 world points further right
        p->update(kFrame);
        now = drawnCentreInWorld(p, 0);
        expected.x += c.followsEmitter ? 20 : 0;
        EXPECT_NEAR(now.x, expected.x, 1e-3);
        EXPECT_NEAR(now.y, expected.y, 1e-3);
    }
}

// --- drawing -----------------------------------------------------------------

class ParticleDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        harness = &EngineHarness::boot(platform::DeviceProfile::tablet(1));
        scene = CCScene::node();
        CCDirector::sharedDirector()->runWithScene(scene);
        std::vector<std::uint8_t> white = testsupport::solidImage(8, 8, {255, 255, 255, 255});
        texture = makeRef<CCTexture2D>();
        ASSERT_TRUE(texture->initWithRGBA(white.data(), 8, 8, 1));
    }

    // One still particle of the given side and colour at `at`, for good.
    Ref<CCParticleSystemQuad> single(CGPoint at, float size, ccColor4F color, float spin = 0) {
        Ref<CCParticleSystemQuad> p = CCParticleSystemQuad::particleWithTotalParticles(1);
        p->setStartSpin(spin);
        p->setEndSpin(spin);
        p->setTexture(texture);
        p->setEmissionRate(1000);
        p->setLife(1000);
        p->setStartSize(size);
        p->setEndSize(kCCParticleStartSizeEqualToEndSize);
        p->setStartColor(color);
        p->setEndColor(color);
        p->setPosition(at);
        p->update(kFrame);
        return p;
    }

    EngineHarness* harness = nullptr;
    Ref<CCScene> scene;
    Ref<CCTexture2D> texture;
};

TEST_F(ParticleDrawing, ASquareOfItsSizeInItsColourPremultipliedAndTurnedClockwise) {
    Ref<CCParticleSystemQuad> p = single({200, 200}, 40, {1, 0, 0, 0.5f});
    EXPECT_TRUE(p->opacityModifyRGB());
    EXPECT_EQ(p->blendFunc(), kCCBlendFuncPremultiplied);
    scene->addChild(p);
    auto f = harness->frame();
    // Half-transparent red over black: premultiplied, not added at full strength.
    EXPECT_NEAR(f.at(200, 200).r, 128, 2);
    EXPECT_EQ(f.at(200, 200).g, 0);
    EXPECT_NEAR(f.at(217, 217).r, 128, 2);  // inside the square's corner
    EXPECT_EQ(f.at(222, 200).r, 0);         // beyond its side

    // A 45 degree spin makes a diamond: the corner region empties, the
    // diamond's tips reach past the square's sides.
    Ref<CCParticleSystemQuad> spun = single({500, 200}, 40, {0, 1, 0, 1}, 45);
    scene->addChild(spun);
    f = harness->frame();
    EXPECT_EQ(f.at(517, 517).g, 0);
    EXPECT_EQ(f.at(526, 200).g, 255);
    EXPECT_EQ(f.at(500, 226).g, 255);
}

TEST_F(ParticleDrawing, AllParticlesOfASystemShareOneDrawCall) {
    Ref<CCParticleSystemQuad> p = CCParticleSystemQuad::particleWithTotalParticles(500);
    p->setTexture(texture);
    p->setEmissionRate(100000);
    p->setLife(1000);
    p->setStartSize(4);
    p->setEndSize(4);
    p->setPosVar({400, 300});
    p->setPosition({512, 384});
    p->update(kFrame);
    ASSERT_EQ(p->particleCount(), 500u);
    scene->addChild(p);
    harness->step();
    EXPECT_EQ(CCDirector::sharedDirector()->drawCallsLastFrame(), 1);
    EXPECT_EQ(CCDirector::sharedDirector()->quadsLastFrame(), 500);

    // Hidden: nothing drawn.
    p->setVisible(false);
    harness->step();
    EXPECT_EQ(CCDirector::sharedDirector()->quadsLastFrame(), 0);
}

TEST_F(ParticleDrawing, WithoutATextureNothingIsDrawnAndNothingBreaks) {
    Ref<CCParticleSystemQuad> p = single({200, 200}, 40, {1, 1, 1, 1});
    p->setTexture(nullptr);
    scene->addChild(p);
    auto f = harness->frame();
    EXPECT_EQ(f.at(200, 200).r, 0);
    EXPECT_EQ(p->particleCount(), 1u);
}

TEST_F(ParticleDrawing, AChosenBlendFunctionSurvivesANewTexture) {
    Ref<CCParticleSystemQuad> p = CCParticleSystemQuad::particleWithTotalParticles(1);
    p->setBlendFunc({CC_GL_SRC_ALPHA, CC_GL_ONE});
    p->setTexture(texture);
    EXPECT_EQ(p->blendFunc(), (ccBlendFunc{CC_GL_SRC_ALPHA, CC_GL_ONE}));
    // The straight default follows the texture back to premultiplied.
    p->setBlendFunc(kCCBlendFuncStraight);
    p->setTexture(texture);
    EXPECT_EQ(p->blendFunc(), kCCBlendFuncPremultiplied);
}

TEST_F(ParticleDrawing, InARunningSceneTheEmitterUpdatesAfterDefaultPriorityUpdates) {
    // A priority-0 node moves the emitter every frame: particles must be
    // born where it has just put it.
    struct Mover : CCNode {
        CCNode* moved = nullptr;
        void update(float) override { moved->setPosition(ccpAdd(moved->position(), {10, 0})); }
    };
    Ref<CCParticleSystemQuad> p = CCParticleSystemQuad::particleWithTotalParticles(100);
    p->setEmissionRate(100);
    p->setLife(10);
    p->setPosition({100, 100});
    Ref<Mover> mover = makeRef<Mover>();
    mover->moved = p;
    mover->scheduleUpdate();
    scene->addChild(p);
    scene->addChild(mover);
    harness->step(10);
    ASSERT_GE(p->particleCount(), 5u);
    const tCCParticle& newest = p->particles()[p->particleCount() - 1];
    EXPECT_FLOAT_EQ(newest.startPos.x, p->position().x);
}

TEST_F(ParticleDrawing, FreeParticlesStayPutWhileAnActionMovesTheParent) {
    // Actions run after the frame's updates: the drawing must still undo
    // the movement made since the particles were last placed.
    Ref<CCNode> parent = CCNode::node();
    parent->setPosition({200, 200});
    scene->addChild(parent);
    Ref<CCParticleSystemQuad> p = CCParticleSystemQuad::particleWithTotalParticles(1);
    p->setTexture(texture);
    p->setEmissionRate(1000);
    p->setLife(1000);
    p->setStartSize(40);
    p->setEndSize(kCCParticleStartSizeEqualToEndSize);
    parent->addChild(p);
    p->update(kFrame);
    parent->runAction(CCMoveBy::actionWithDuration(1, {600, 0}));
    harness->step(20);
    auto f = harness->frame();
    EXPECT_GT(parent->position().x, 300);
    EXPECT_EQ(f.at(183, 200).r, 255);
    EXPECT_EQ(f.at(217, 200).r, 255);
    EXPECT_EQ(f.at(177, 200).r, 0);
    EXPECT_EQ(f.at(223, 200).r, 0);
}
