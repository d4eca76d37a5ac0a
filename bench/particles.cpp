// Particle systems, headless at 1024x768: frame times of fountains of 2048
// live particles (the capacity scene files get), side by side with the same
// number of moving sprites on the same texture as the baseline, and the cost
// of one simulation step alone.
//
//   bench_particles [frames] [rounds]     (defaults 200 and 3)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "FrameStats.h"
#include "engine/CCDirector.h"
#include "engine/CCParticleSystemQuad.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"
#include "engine/CCTexture2D.h"
#include "platform/Application.h"
#include "platform/Random.h"

namespace {

using bench::Clock;
using bench::ms;
using bench::percentile;
using bench::Stats;

// A soft round drop, 32x32.
Ref<CCTexture2D> dropTexture() {
    std::vector<std::uint8_t> px(32 * 32 * 4);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            float d = std::hypot(x - 15.5f, y - 15.5f);
            auto a = static_cast<std::uint8_t>(std::clamp(16 - d, 0.0f, 1.0f) * 255);
            std::uint8_t* p = &px[(y * 32 + x) * 4];
            p[0] = static_cast<std::uint8_t>(a * 0.6f);
            p[1] = static_cast<std::uint8_t>(a * 0.8f);
            p[2] = a;
            p[3] = a;
        }
    Ref<CCTexture2D> t(new CCTexture2D);
    t->initWithRGBA(px.data(), 32, 32, 1);
    return t;
}

// A fountain that keeps its 2048 particles alive: rate x life > capacity.
Ref<CCParticleSystemQuad> fountain(CCTexture2D* texture, CGPoint at) {
    Ref<CCParticleSystemQuad> p = CCParticleSystemQuad::particleWithTotalParticles(2048);
    p->setTexture(texture);
    p->setPositionType(kCCPositionTypeGrouped);
    p->setEmissionRate(1200);
    p->setLife(2);
    p->setLifeVar(0.3f);
    p->setAngle(90);
    p->setAngleVar(15);
    p->setSpeed(400);
    p->setSpeedVar(60);
    p->setGravity({0, -300});
    p->setRadialAccel(-20);
    p->setTangentialAccel(10);
    p->setPosVar({10, 0});
    p->setStartSize(24);
    p->setStartSizeVar(8);
    p->setEndSize(8);
    p->setStartSpin(0);
    p->setEndSpin(180);
    p->setStartColor({0.6f, 0.8f, 1, 1});
    p->setEndColor({0.6f, 0.8f, 1, 0});
    p->setPosition(at);
    return p;
}

// The warm-up lets the fountains fill up.
// Warm-up: the fountains fill in 150 frames. A run of fewer frames is a
// quick check that the bench works, not a measurement: it warms up as long.
int warmUp(int frames) { return std::min(150, frames); }

Stats measure(int frames) { return bench::measure(frames, warmUp(frames)); }

Stats fountains(CCTexture2D* texture, int count, int frames) {
    Ref<CCScene> scene = CCScene::node();
    for (int i = 0; i < count; ++i) scene->addChild(fountain(texture, {128.0f + 256 * i, 100}));
    CCDirector::sharedDirector()->replaceScene(scene);
    return measure(frames);
}

// The baseline: as many sprites as live particles, moved and turned by a
// scheduled update, drawn in one batch.
Stats sprites(CCTexture2D* texture, int count, int frames) {
    struct Mover : CCNode {
        std::vector<CCSprite*> sprites;
        std::vector<CGPoint> velocity;
        void update(float dt) override {
            for (std::size_t i = 0; i < sprites.size(); ++i) {
                CGPoint p = ccpAdd(sprites[i]->position(), ccpMult(velocity[i], dt));
                if (p.x < 0 || p.x > 1024) velocity[i].x = -velocity[i].x;
                if (p.y < 0 || p.y > 768) velocity[i].y = -velocity[i].y;
                sprites[i]->setPosition(p);
                sprites[i]->setRotation(sprites[i]->rotation() + 90 * dt);
            }
        }
    };
    Ref<CCScene> scene = CCScene::node();
    Ref<Mover> mover = makeRef<Mover>();
    for (int i = 0; i < count; ++i) {
        Ref<CCSprite> s = CCSprite::spriteWithTexture(texture);
        s->setPosition({float(platform::arc4random() % 1024), float(platform::arc4random() % 768)});
        scene->addChild(s);
        mover->sprites.push_back(s.get());
        mover->velocity.push_back({float(int(platform::arc4random() % 200) - 100),
                                   float(int(platform::arc4random() % 200) - 100)});
    }
    scene->addChild(mover);
    mover->scheduleUpdate();
    CCDirector::sharedDirector()->replaceScene(scene);
    return measure(frames);
}

// One simulation step of a full fountain, without drawing: microseconds.
double stepMicroseconds(CCTexture2D* texture, int steps) {
    Ref<CCParticleSystemQuad> p = fountain(texture, {512, 100});
    for (int i = 0; i < 150; ++i) p->update(1.0f / 60);
    std::vector<double> t;
    for (int i = 0; i < steps; ++i) {
        Clock::time_point start = Clock::now();
        p->update(1.0f / 60);
        t.push_back(ms(Clock::now() - start) * 1000);
    }
    return percentile(t, 0.5);
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    if (!bench::startHeadless("bench_particles")) return 1;
    auto& app = platform::Application::shared();
    Ref<CCTexture2D> texture = dropTexture();

    std::printf("Particles: fountains of 2048 live 32x32 particles, 1024x768 headless.\n");
    std::printf("%d frames a run, each ended with glFinish; the middle of %d alternating rounds.\n", frames, rounds);
    std::printf("Times in ms. cpu = work before the finish. ratio = fountains / as many moving sprites.\n\n");
    std::printf("%9s %9s | %8s %8s %8s %6s | %8s %8s %8s | %6s\n", "fountains", "quads", "median", "p99", "cpu",
                "draws", "spr med", "spr p99", "spr cpu", "ratio");
    bool compared = true;
    for (int count : {1, 4}) {
        std::vector<Stats> as, bs;
        for (int round = 0; round < rounds; ++round) {
            as.push_back(fountains(texture, count, frames));
            bs.push_back(sprites(texture, count * 2048, frames));
        }
        Stats a = bench::middle(as), b = bench::middle(bs);
        if (!a.ok || !b.ok) {
            std::printf("%9d | cannot compare: the %s did not run\n", count, a.ok ? "sprites" : "fountains");
            compared = false;
            continue;
        }
        std::printf("%9d %9ld | %8.3f %8.3f %8.3f %6d | %8.3f %8.3f %8.3f | %6.2f\n", count, a.quads, a.median,
                    a.p99, a.cpuMedian, a.drawCalls, b.median, b.p99, b.cpuMedian, a.median / b.median);
        std::fflush(stdout);
    }
    std::printf("\nOne update of a full fountain (2048 particles), no drawing: %.1f us (median).\n",
                stepMicroseconds(texture, 3 * frames));
    app.stop();
    return compared ? 0 : 1;
}
