// Each scene, headless, on each device profile: start-up of the platform
// and director (the app's own delegate), scene load time cold and with the
// texture cache warm, frame times with glFinish per frame, CPU time before the
// finish, draw calls, and the process's peak resident memory so far.
//
//   bench_scenes [frames]   (default 300 measured frames a profile)
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "FrameStats.h"
#include "app/AppController.h"
#include "engine/CCDirector.h"
#include "kit/KVTWebService.h"
#include "platform/Application.h"
#include "platform/Bundle.h"
#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/UserDefaults.h"
#include "scenes/SceneClasses.h"
#include "scenes/draw/DrawScene.h"
#include "scenes/game/GameScene.h"
#include "scenes/learning/CountScene.h"
#include "scenes/learning/LearnScene.h"
#include "scenes/menu/IntroScene.h"

namespace {

using bench::Clock;
using bench::ms;

struct Row {
    const char* name;
    platform::DeviceProfile device;
};

struct Scene {
    const char* name;
    Ref<CCScene> (*make)();
    // What a child does meanwhile, a step before each frame; none when null.
    std::function<void()> (*play)(CCScene*) = nullptr;
};

// A finger tracing the page's first stroke back and forth, 4 points a frame,
// lifting and starting again at its ends.
std::function<void()> traceFirstStroke(CCScene* scene) {
    auto* draw = scene->children().empty() ? nullptr : dynamic_cast<DrawScene*>(scene->children()[0].get());
    if (!draw || draw->pathList.empty() || draw->pathList[0].size() < 2) return {};
    std::vector<CGPoint> way;
    const auto& stroke = draw->pathList[0];
    for (std::size_t i = 0; i + 1 < stroke.size(); ++i) {
        const CGPoint a = stroke[i], b = stroke[i + 1];
        const int n = std::max(1, static_cast<int>(std::hypot(b.x - a.x, b.y - a.y) / 4));
        for (int k = 0; k < n; ++k) way.push_back({a.x + (b.x - a.x) * k / n, a.y + (b.y - a.y) * k / n});
    }
    return [way, step = std::size_t{0}]() mutable {
        auto& app = platform::Application::shared();
        const float h = static_cast<float>(app.device().heightPoints);
        const CGPoint p = way[step % way.size()];
        const auto phase = step % way.size() == 0 ? platform::TouchPhase::Began : platform::TouchPhase::Moved;
        if (phase == platform::TouchPhase::Began && step > 0) app.injectTouch(1, platform::TouchPhase::Ended, {p.x, h - p.y});
        app.injectTouch(1, phase, {p.x, h - p.y});
        ++step;
    };
}

struct Result {
    double bootMs = 0, coldLoadMs = 0, warmLoadMs = 0;
    bench::Stats frames;
    long peakKb = 0;
};

long peakResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;  // kilobytes on Linux
}

bool runProfile(AppController& delegate, const platform::DeviceProfile& device, const Scene& scene, int frames,
                Result& r) {
    auto& app = platform::Application::shared();
    platform::LaunchOptions options;
    options.device = device;
    options.headless = true;
    Clock::time_point t0 = Clock::now();
    if (!app.start(options, delegate)) return false;
    r.bootMs = ms(Clock::now() - t0);

    CCDirector* director = CCDirector::sharedDirector();
    t0 = Clock::now();
    Ref<CCScene> first = scene.make();
    r.coldLoadMs = ms(Clock::now() - t0);
    director->runWithScene(first);
    app.runFrame();

    // Coming back to the scene: the running one keeps its textures in the cache.
    t0 = Clock::now();
    Ref<CCScene> second = scene.make();
    r.warmLoadMs = ms(Clock::now() - t0);
    director->replaceScene(second);
    first = nullptr;

    // Settled first (a page may still be turning), then played.
    for (int i = 0; i < 90; ++i) app.runFrame();
    r.frames = bench::measure(frames, 30, scene.play ? scene.play(second.get()) : std::function<void()>{});
    r.peakKb = peakResidentKb();
    app.stop();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    platform::seedRandom(1);
    // Settings the menu saves go to a scratch directory, not the player's.
    std::string dataDir = "/tmp/nm-bench-scenes-" + std::to_string(::getpid());
    platform::setDataDirectory(dataDir);
    // The menu's banner asks a port nothing listens on: no service takes part in the timings.
    KVTWebService::setApiHost("127.0.0.1:1");
    KVTWebService::setAnalyticsHost("127.0.0.1:1");
    platform::Bundle::main().setResourcePath(NM_RESOURCES_DIR);
    platform::UserDefaults::standard().setLanguages({"en"});
    platform::Bundle::main().setPreferredLanguages({"en"});
    // The app's start-up without a first scene, so that the loads are timed alone;
    // the director keeps a pointer to it, so it outlives every profile.
    AppController delegate(nullptr);

    const Row rows[] = {{"tablet 1x", platform::DeviceProfile::tablet(1)},
                        {"tablet 2x", platform::DeviceProfile::tablet(2)},
                        {"phone 1x", platform::DeviceProfile::phone(1)},
                        {"phone 2x", platform::DeviceProfile::phone(2)}};

    const Scene scenes[] = {{"menu", &IntroScene::scene},
                            {"learn", &LearnScene::scene},
                            {"count", &CountScene::scene},
                            {"draw", &DrawScene::scene, &traceFirstStroke},
                            {"game", &GameScene::scene}};
    registerSceneClasses();

    std::printf("Each scene's scene(), headless, the app's own start-up per profile.\n");
    std::printf("%d frames a profile after 30 warm-up frames, each ended with glFinish.\n", frames);
    std::printf("The draw scene is measured while a finger traces its first stroke.\n");
    std::printf("Times in ms. boot = platform + director (the first also sets up SDL and GL);\n");
    std::printf("load = scene() cold, load2 = again with the textures cached;\n");
    std::printf("cpu = median work before the finish; draws = most draw calls in a frame;\n");
    std::printf("peak = the process's peak resident memory so far (MiB).\n\n");
    std::printf("%-6s %-9s | %7s %8s %8s | %8s %8s %8s %6s | %7s\n", "scene", "profile", "boot", "load", "load2",
                "median", "p99", "cpu", "draws", "peak");
    int failed = 0;
    for (const Scene& scene : scenes) {
        for (const Row& row : rows) {
            Result r;
            if (!runProfile(delegate, row.device, scene, frames, r)) {
                std::printf("%-6s %-9s | the platform does not start\n", scene.name, row.name);
                ++failed;
                continue;
            }
            std::printf("%-6s %-9s | %7.1f %8.1f %8.1f | %8.3f %8.3f %8.3f %6d | %7.1f\n", scene.name, row.name,
                        r.bootMs, r.coldLoadMs, r.warmLoadMs, r.frames.median, r.frames.p99, r.frames.cpuMedian,
                        r.frames.drawCalls, static_cast<double>(r.peakKb) / 1024.0);
            std::fflush(stdout);
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(dataDir, ignored);
    return failed ? 1 : 0;
}
