// Frame timing for the headless render benchmarks: starts the platform at
// 1024x768, runs measured frames of the running scene, and sums them up as
// median, 99th percentile and CPU time, so every bench's table reads alike.
// CPU time is the main thread's own, from the frame's start until it is
// drawn: the software renderer rasterises on threads of its own, and the
// main thread's waits for them are no work of the game's.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

#include "engine/CCDirector.h"
#include "engine/CCGLView.h"
#include "engine/CCScene.h"
#include "platform/Application.h"
#include "platform/Random.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The calling thread's CPU time, in milliseconds.
inline double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Stats {
    double median = 0, p99 = 0, cpuMedian = 0, cpuP99 = 0;
    int drawCalls = 0;
    long quads = 0;
    bool ok = false;  // false when the run could not be made
};

inline double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    std::size_t i = static_cast<std::size_t>(std::ceil(p * static_cast<double>(v.size()))) - 1;
    return v[std::min(i, v.size() - 1)];
}

// Starts the platform headless at 1024x768 with an empty scene running;
// false (after a line on stderr naming `bench`) when it does not start.
inline bool startHeadless(const char* bench) {
    struct Delegate : platform::ApplicationDelegate {
        bool didFinishLaunching() override {
            Ref<CCGLView> view = CCGLView::viewWithFrame(CGRectMake(0, 0, 1024, 768));
            if (!view) return false;
            CCDirector::sharedDirector()->setView(view);
            return true;
        }
        void willTerminate() override { CCDirector::sharedDirector()->end(); }
    };
    // The application keeps a reference to its delegate until it stops.
    static Delegate delegate;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    platform::seedRandom(1);
    platform::LaunchOptions options;
    options.device = platform::DeviceProfile::tablet(1);
    options.headless = true;
    if (!platform::Application::shared().start(options, delegate)) {
        std::fprintf(stderr, "%s: the platform does not start\n", bench);
        return false;
    }
    CCDirector::sharedDirector()->runWithScene(CCScene::node());
    return true;
}

// Runs `warmUp` frames, then `frames` measured frames of the running scene;
// `move`, when given, is called before each frame, and `between`, when
// given, after each measured one, outside the frame's time.
inline Stats measure(int frames, int warmUp, const std::function<void()>& move = {},
                     const std::function<void()>& between = {}) {
    auto& app = platform::Application::shared();
    static double drawnCpu = 0;
    static bool hooked = false;
    if (!hooked) {
        app.addAfterDraw([] { drawnCpu = threadCpuMs(); });
        hooked = true;
    }
    std::vector<double> frameTimes, cpuTimes;
    Stats s;
    Clock::time_point last = Clock::now();
    for (int i = -warmUp; i < frames; ++i) {
        const double startCpu = threadCpuMs();
        if (move) move();
        app.runFrame();  // updates, draws, presents and ends with glFinish (headless)
        Clock::time_point end = Clock::now();
        if (i >= 0) {
            frameTimes.push_back(ms(end - last));
            cpuTimes.push_back(drawnCpu - startCpu);
            s.drawCalls = std::max(s.drawCalls, CCDirector::sharedDirector()->drawCallsLastFrame());
            s.quads = std::max(s.quads, CCDirector::sharedDirector()->quadsLastFrame());
            if (between) {
                between();
                end = Clock::now();
            }
        }
        last = end;
    }
    s.median = percentile(frameTimes, 0.5);
    s.p99 = percentile(frameTimes, 0.99);
    s.cpuMedian = percentile(cpuTimes, 0.5);
    s.cpuP99 = percentile(cpuTimes, 0.99);
    s.ok = true;
    return s;
}

// Per field, the median over the rounds that ran.
inline Stats middle(std::vector<Stats> runs) {
    std::erase_if(runs, [](const Stats& s) { return !s.ok; });
    if (runs.empty()) return {};
    auto pick = [&runs](double Stats::*field) {
        std::vector<double> v;
        for (const Stats& s : runs) v.push_back(s.*field);
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    Stats m = runs.front();
    m.median = pick(&Stats::median);
    m.p99 = pick(&Stats::p99);
    m.cpuMedian = pick(&Stats::cpuMedian);
    return m;
}

}  // namespace bench
