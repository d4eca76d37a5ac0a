// Sprite throughput, headless at 1024x768: N moving 32x32 sprites on one
// texture, timed frame by frame with glFinish at the end of each frame, side
// by side with SDL's own sprite benchmark (testsprite2) timed the same way.
// Also full-screen blended layers as this machine's fill-rate yardstick.
//
//   bench_sprites [frames] [rounds]   (defaults: 200 measured frames, 3 rounds)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "FrameStats.h"
#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"
#include "engine/CCTexture2D.h"
#include "platform/Application.h"
#include "platform/Random.h"

namespace {

using bench::percentile;
using bench::Stats;

// A soft round 32x32 sprite, like testsprite2's icon in size.
Ref<CCTexture2D> ballTexture() {
    std::vector<std::uint8_t> px(32 * 32 * 4);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            float d = std::hypot(x - 15.5f, y - 15.5f);
            auto a = static_cast<std::uint8_t>(d < 15 ? 255 : d < 16 ? 128 : 0);
            std::uint8_t* p = &px[(y * 32 + x) * 4];
            p[0] = static_cast<std::uint8_t>(a * 0.9f);
            p[1] = static_cast<std::uint8_t>(a * 0.6f);
            p[2] = static_cast<std::uint8_t>(a * 0.2f);
            p[3] = a;
        }
    Ref<CCTexture2D> t(new CCTexture2D);
    t->initWithRGBA(px.data(), 32, 32, 1);
    // testsprite2 samples its texture nearest-neighbour (SDL's default scale
    // quality); do the same so the two fill the same fragments the same way.
    if (!std::getenv("NM_BENCH_LINEAR")) t->setAliasTexParameters();
    return t;
}

// Runs `frames` measured frames (after a warm-up) of the running scene;
// `move` is called before each frame.
Stats measure(int frames, const std::function<void()>& move) { return bench::measure(frames, 30, move); }

Stats ours(int count, int frames) {
    Ref<CCScene> scene = CCScene::node();
    Ref<CCTexture2D> texture = ballTexture();
    struct Mover {
        CCSprite* sprite;
        float vx, vy;
    };
    std::vector<Mover> movers;
    for (int i = 0; i < count; ++i) {
        Ref<CCSprite> s = CCSprite::spriteWithTexture(texture);
        s->setPosition({float(platform::arc4random() % 992 + 16), float(platform::arc4random() % 736 + 16)});
        scene->addChild(s);
        movers.push_back({s.get(), float(int(platform::arc4random() % 7) - 3) + 0.5f,
                          float(int(platform::arc4random() % 7) - 3) + 0.5f});
    }
    CCDirector::sharedDirector()->replaceScene(scene);
    return measure(frames, [&movers] {
        for (Mover& m : movers) {
            CGPoint p = m.sprite->position();
            p.x += m.vx;
            p.y += m.vy;
            if (p.x < 16 || p.x > 1008) m.vx = -m.vx;
            if (p.y < 16 || p.y > 752) m.vy = -m.vy;
            m.sprite->setPosition(p);
        }
    });
}

Stats layers(int count, int frames) {
    Ref<CCScene> scene = CCScene::node();
    for (int i = 0; i < count; ++i)
        scene->addChild(CCLayerColor::layerWithColor({std::uint8_t(60 * i), 100, 200, 128}));
    CCDirector::sharedDirector()->replaceScene(scene);
    return measure(frames, [] {});
}

Stats theirs(int count, int frames) {
    Stats s;
    const std::string out = "/tmp/nm-bench-testsprite2-" + std::to_string(::getpid()) + ".txt";
    std::string dir = NM_TESTSPRITE2;
    dir = dir.substr(0, dir.find_last_of('/'));
    std::string command = "cd " + dir + " && SDL_VIDEODRIVER=offscreen LD_PRELOAD=" NM_FRAME_TIMER
                          " NM_FRAME_TIMER_OUT=" + out + " NM_FRAME_TIMER_FRAMES=" + std::to_string(frames + 30) +
                          " timeout 300 " NM_TESTSPRITE2 " --renderer opengles2 --geometry 1024x768 --blend blend " +
                          std::to_string(count) + " icon.bmp >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return s;
    std::ifstream in(out);
    std::vector<double> frameTimes, cpuTimes;
    double f = 0, c = 0;
    for (int i = 0; in >> f >> c; ++i)
        if (i >= 30) {
            frameTimes.push_back(f);
            cpuTimes.push_back(c);
        }
    std::remove(out.c_str());
    if (frameTimes.empty()) return s;
    // Its own draw calls and quads are not known to us.
    return {.median = percentile(frameTimes, 0.5),
            .p99 = percentile(frameTimes, 0.99),
            .cpuMedian = percentile(cpuTimes, 0.5),
            .cpuP99 = -1,
            .ok = true};
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    if (!bench::startHeadless("bench_sprites")) return 1;
    auto& app = platform::Application::shared();

    std::printf("Sprites: 32x32, one texture, moving, nearest sampling, 1024x768 headless.\n");
    std::printf("%d frames a run, each ended with glFinish; the middle of %d alternating rounds.\n", frames, rounds);
    std::printf("Times in ms. cpu = work before the finish. ratio = ours / testsprite2 (median frame time).\n\n");
    std::printf("%8s | %8s %8s %8s %6s | %8s %8s %8s | %6s\n", "sprites", "median", "p99", "cpu", "draws",
                "ts2 med", "ts2 p99", "ts2 cpu", "ratio");
    bool compared = true;
    for (int count : {100, 1000, 5000}) {
        // The machine is shared: alternate the two in rounds and keep the
        // middle round of each, so a burst of other work hurts neither alone.
        std::vector<Stats> as, bs;
        for (int round = 0; round < rounds; ++round) {
            as.push_back(ours(count, frames));
            bs.push_back(theirs(count, frames));
        }
        Stats a = bench::middle(as);
        Stats b = bench::middle(bs);
        if (!a.ok || !b.ok) {
            std::printf("%8d | cannot compare: %s did not run\n", count, a.ok ? "testsprite2" : "our scene");
            std::fflush(stdout);
            compared = false;
            continue;
        }
        std::printf("%8d | %8.3f %8.3f %8.3f %6d | %8.3f %8.3f %8.3f | %6.2f\n", count, a.median, a.p99, a.cpuMedian,
                    a.drawCalls, b.median, b.p99, b.cpuMedian, a.median / b.median);
        std::fflush(stdout);
    }
    std::printf("\nFill rate: full-screen layers at half opacity.\n");
    std::printf("%8s | %8s %8s %8s %6s\n", "layers", "median", "p99", "cpu", "draws");
    for (int count : {1, 4}) {
        Stats a = layers(count, frames);
        std::printf("%8d | %8.3f %8.3f %8.3f %6d\n", count, a.median, a.p99, a.cpuMedian, a.drawCalls);
    }
    app.stop();
    // A bench that could not make its comparison has not done its work.
    return compared ? 0 : 1;
}
