// Every scene, headless, on each device profile, each in a process of its
// own (so memory and cold loads are its own): scene load time cold and with
// the textures cached, frame times with glFinish per frame, CPU time before
// the finish, draw calls, overdraw (pixels the renderer wrote or blended per
// frame over the screen's pixels, as the renderer counts them from what it
// submits), the fill-bound ratio (the frame's time over the time a plain
// full-screen fill of as many pixels takes, drawn between the scene's frames),
// and private memory (anonymous resident memory, the renderer's own
// mappings left out).
//
//   bench_scenes [frames] [--json FILE] [--only SCENE] [--profile PROFILE]   (default 300 frames)
#include <GLES2/gl2.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "FrameStats.h"
#include "app/AppController.h"
#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCRenderer.h"
#include "engine/CCSprite.h"
#include "engine/CCTexture2D.h"
#include "kit/KVTAppCatalog.h"
#include "kit/KVTFeedbackLayer.h"
#include "kit/KVTWebService.h"
#include "platform/Application.h"
#include "platform/BackgroundWork.h"
#include "platform/Bundle.h"
#include "platform/Files.h"
#include "platform/Memory.h"
#include "platform/Random.h"
#include "platform/UserDefaults.h"
#include "scenes/SceneClasses.h"
#include "scenes/draw/DrawScene.h"
#include "scenes/game/GameScene.h"
#include "scenes/learning/CountScene.h"
#include "scenes/learning/LearnScene.h"
#include "scenes/menu/IntroScene.h"
#include "server/PublisherService.h"

namespace {

using bench::Clock;
using bench::ms;

struct Profile {
    const char* name;
    platform::DeviceProfile device;
};

const Profile kProfiles[] = {{"tablet-1x", platform::DeviceProfile::tablet(1)},
                             {"tablet-2x", platform::DeviceProfile::tablet(2)},
                             {"phone-1x", platform::DeviceProfile::phone(1)},
                             {"phone-2x", platform::DeviceProfile::phone(2)}};

template <class T>
T* root(CCScene* scene) {
    return scene->children().empty() ? nullptr : dynamic_cast<T*>(scene->children()[0].get());
}

// A finger tracing the page's first stroke back and forth, 4 points a frame,
// lifting and starting again at its ends.
std::function<void()> traceFirstStroke(CCScene* scene) {
    auto* draw = root<DrawScene>(scene);
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

struct Scene {
    const char* name;
    Ref<CCScene> (*make)();
    // Brings the scene into the state measured, once it runs.
    void (*prepare)(CCScene*) = nullptr;
    // What a child does meanwhile, a step before each frame; none when null.
    std::function<void()> (*play)(CCScene*) = nullptr;
};

const Scene kScenes[] = {
    {"menu", &IntroScene::scene},
    {"learn", &LearnScene::scene},
    {"count", &CountScene::scene},
    {"draw", &DrawScene::scene, nullptr, &traceFirstStroke},
    {"game", &GameScene::scene,
     [](CCScene* s) {
         if (auto* game = root<GameScene>(s)) {
             game->hideMenuLayer();
             game->newGame();
         }
     }},
    {"shelf", &IntroScene::scene,
     [](CCScene* s) {
         if (auto* menu = root<IntroScene>(s); menu && menu->appCatalog) menu->appCatalog->slideUp();
     }},
    {"form", &IntroScene::scene,
     [](CCScene* s) {
         if (auto* menu = root<IntroScene>(s); menu && menu->feedbackLayer) menu->feedbackLayer->showForm();
     }},
};

struct Result {
    double coldLoadMs = 0, warmLoadMs = 0;
    bench::Stats frames;
    double overdraw = 0, fillRatio = 0, cpuP99 = 0, privateMb = 0;
    int passes = 0;
};

// Median pixels a frame over `frames` frames, and the most switches to a
// render texture in one of them.
double medianPixels(int frames, const std::function<void()>& move, int* passes) {
    std::vector<double> pixels;
    for (int i = 0; i < frames; ++i) {
        if (move) move();
        platform::Application::shared().runFrame();
        pixels.push_back(CCRenderer::shared().stats().pixels);
        *passes = std::max(*passes, CCRenderer::shared().stats().offscreenPasses);
    }
    return bench::percentile(pixels, 0.5);
}

// The yardstick of the fill-bound ratio: what a pixel costs in a plain fill,
// full-screen blended pictures (a screen-sized texture, as a background is)
// drawn after a clear and finished like a frame. It is drawn between the
// scene's measured frames, so that both are timed on the machine as it is at
// that moment: this machine's speed drifts by a quarter within seconds, and a
// yardstick measured after the scene moved the ratio by as much.
class FillYardstick {
public:
    FillYardstick() {
        const CGSize win = CCDirector::sharedDirector()->winSizeInPixels();
        const int w = static_cast<int>(win.width), h = static_cast<int>(win.height);
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
        for (std::size_t i = 0; i < rgba.size(); i += 4) {
            const auto v = static_cast<std::uint8_t>((i / 4) * 2654435761u >> 24);
            rgba[i] = rgba[i + 1] = rgba[i + 2] = v / 2;
            rgba[i + 3] = 128;
        }
        Ref<CCTexture2D> texture(new CCTexture2D);
        texture->initWithRGBA(rgba.data(), w, h, CCDirector::sharedDirector()->contentScaleFactor());
        for (int i = 0; i < 6; ++i) {
            Ref<CCSprite> layer = CCSprite::spriteWithTexture(texture.get());
            layer->setAnchorPoint({0, 0});
            layers_->addChild(layer.get());
        }
    }

    // Draws the fill once over the last frame's target, timed.
    void draw() {
        CCRenderer& r = CCRenderer::shared();
        const Clock::time_point start = Clock::now();
        r.setTarget(r.target());  // the frame's own: the screen, its viewport and projection
        glClear(GL_COLOR_BUFFER_BIT);
        r.resetStats();
        const std::size_t mark = r.saveStack();
        layers_->visit();
        r.restoreStack(mark);
        r.flush();
        glFinish();
        times_.push_back(ms(Clock::now() - start));
        pixels_.push_back(r.stats().pixels);
    }

    double msPerPixel() const {
        const double pixels = bench::percentile(pixels_, 0.5);
        return pixels > 0 ? bench::percentile(times_, 0.5) / pixels : 0;
    }

private:
    Ref<CCNode> layers_ = CCNode::node();
    std::vector<double> times_, pixels_;
};

int runOne(const Scene& scene, const Profile& profile, int frames, const std::string& resources) {
    platform::seedRandom(1);
    const std::string dataDir = "/tmp/nm-bench-scenes-" + std::to_string(::getpid());
    platform::setDataDirectory(dataDir);
    platform::Bundle::main().setResourcePath(resources);
    platform::UserDefaults::standard().setLanguages({"en"});
    platform::Bundle::main().setPreferredLanguages({"en"});
    registerSceneClasses();
    // The shelf's list and icons come from the publisher's service, here in
    // the process on a free port; the analytics go nowhere.
    publisher::Options options;
    options.port = 0;
    options.dataDir = dataDir + "/publisher";
    options.log = [](const std::string&) {};
    publisher::PublisherService service(options);
    if (!service.start()) std::fprintf(stderr, "bench_scenes: no publisher service: %s\n", service.error().c_str());
    KVTWebService::setApiHost("127.0.0.1:" + std::to_string(service.port()));
    KVTWebService::setAnalyticsHost("127.0.0.1:1");

    AppController delegate(nullptr);
    auto& app = platform::Application::shared();
    platform::LaunchOptions launch;
    launch.device = profile.device;
    launch.headless = true;
    if (!app.start(launch, delegate)) return 1;
    CCRenderer::shared().setCountingPixels(true);

    Result r;
    CCDirector* director = CCDirector::sharedDirector();
    Clock::time_point t0 = Clock::now();
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
    app.runFrame();
    if (scene.prepare) scene.prepare(second.get());
    // Settled (a page may still be turning, the shelf's icons arriving), then played.
    for (int i = 0; i < 90; ++i) app.runFrame();
    platform::waitForBackgroundWork();
    for (int i = 0; i < 10; ++i) app.runFrame();

    const std::function<void()> play = scene.play ? scene.play(second.get()) : std::function<void()>{};
    double perPixel = 0;
    {  // gone before memory is read: its picture is no part of the scene's
        FillYardstick yardstick;
        r.frames = bench::measure(frames, 30, play, [&yardstick] { yardstick.draw(); });
        perPixel = yardstick.msPerPixel();
    }
    r.cpuP99 = r.frames.cpuP99;
    const double screen = static_cast<double>(profile.device.widthPixels()) * profile.device.heightPixels();
    const double pixels = medianPixels(30, play, &r.passes);
    r.overdraw = pixels / screen;
    r.privateMb = platform::privateMemoryMb();
    second = nullptr;
    r.fillRatio = pixels > 0 && perPixel > 0 ? r.frames.median / (pixels * perPixel) : 0;
    app.stop();
    service.stop();
    std::error_code ignored;
    std::filesystem::remove_all(dataDir, ignored);

    std::printf("{\"scene\":\"%s\",\"profile\":\"%s\",\"load_ms\":%.1f,\"load2_ms\":%.1f,\"median_ms\":%.3f,"
                "\"p99_ms\":%.3f,\"cpu_ms\":%.3f,\"cpu_p99_ms\":%.3f,\"draws\":%d,\"overdraw\":%.2f,"
                "\"fill_ratio\":%.2f,\"private_mb\":%.1f,\"passes\":%d}\n",
                scene.name, profile.name, r.coldLoadMs, r.warmLoadMs, r.frames.median, r.frames.p99,
                r.frames.cpuMedian, r.cpuP99, r.frames.drawCalls, r.overdraw, r.fillRatio, r.privateMb, r.passes);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    int frames = 300;
    std::string json, only, onlyProfile, one, oneProfile;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--json" && i + 1 < argc) json = argv[++i];
        else if (a == "--only" && i + 1 < argc) only = argv[++i];
        else if (a == "--profile" && i + 1 < argc) onlyProfile = argv[++i];
        else if (a == "--one" && i + 2 < argc) {
            one = argv[++i];
            oneProfile = argv[++i];
        } else frames = std::max(10, std::atoi(a.c_str()));
    }
    if (!one.empty()) {
        for (const Scene& s : kScenes)
            for (const Profile& p : kProfiles)
                if (one == s.name && oneProfile == p.name) return runOne(s, p, frames, NM_RESOURCES_DIR);
        return 2;
    }

    std::printf("Each scene in a process of its own, headless; %d frames after 30 warm-up frames,\n", frames);
    std::printf("each ended with glFinish. draw: a finger traces the first stroke; game: a game in\n");
    std::printf("play; shelf, form: the menu with the catalogue or the feedback form open.\n");
    std::printf("load = scene() cold, load2 = again with the textures cached (ms); median, p99: frame\n");
    std::printf("times (ms); cpu: median and p99 work before the finish (ms); draws: most draw calls;\n");
    std::printf("rt: most render-texture passes in a frame; over: overdraw; fill: frame time / a plain\n");
    std::printf("fill of as many pixels; mem: private MiB.\n\n");
    std::printf("%-6s %-9s | %7s %7s | %8s %8s | %6s %6s | %5s %4s %5s %5s | %6s\n", "scene", "profile", "load", "load2",
                "median", "p99", "cpu", "cpu99", "draws", "rt", "over", "fill", "mem");
    std::string rows;
    int failed = 0;
    for (const Scene& s : kScenes) {
        if (!only.empty() && only != s.name) continue;
        for (const Profile& p : kProfiles) {
            if (!onlyProfile.empty() && onlyProfile != p.name) continue;
            const std::string command = std::string("'") + argv[0] + "' " + std::to_string(frames) + " --one " +
                                        s.name + " " + p.name + " 2>/dev/null";
            FILE* child = ::popen(command.c_str(), "r");
            std::string out;
            char buf[1024];
            while (child && std::fgets(buf, sizeof buf, child)) out += buf;
            const int status = child ? ::pclose(child) : -1;
            const std::size_t at = out.rfind("{\"scene\"");
            if (status != 0 || at == std::string::npos) {
                std::printf("%-6s %-9s | did not run\n", s.name, p.name);
                ++failed;
                continue;
            }
            std::string row = out.substr(at);
            row.erase(row.find_last_not_of("\n") + 1);
            auto num = [&row](const char* key) {
                const std::size_t k = row.find(std::string("\"") + key + "\":");
                return k == std::string::npos ? 0.0 : std::atof(row.c_str() + k + std::strlen(key) + 3);
            };
            if (num("fill_ratio") <= 0) {
                std::printf("%-6s %-9s | cannot compare: no plain fill to measure against\n", s.name, p.name);
                ++failed;
                continue;
            }
            std::printf("%-6s %-9s | %7.1f %7.1f | %8.2f %8.2f | %6.2f %6.2f | %5.0f %4.0f %5.2f %5.2f | %6.1f\n", s.name,
                        p.name, num("load_ms"), num("load2_ms"), num("median_ms"), num("p99_ms"), num("cpu_ms"),
                        num("cpu_p99_ms"), num("draws"), num("passes"), num("overdraw"), num("fill_ratio"),
                        num("private_mb"));
            std::fflush(stdout);
            rows += (rows.empty() ? "" : ",\n ") + row;
        }
    }
    if (!json.empty()) {
        std::ofstream out(json);
        out << "[" << rows << "]\n";
    }
    return failed ? 1 : 0;
}
