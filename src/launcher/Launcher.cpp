#include "launcher/Launcher.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kit/KVTFeedbackLayer.h"
#include "kit/KVTWebService.h"
#include "launcher/CommandLine.h"
#include "launcher/Script.h"
#include "platform/Bundle.h"
#include "platform/Files.h"
#include "platform/Image.h"
#include "platform/Log.h"
#include "platform/Memory.h"
#include "platform/Random.h"
#include "platform/UserDefaults.h"
#include "platform/ui/Window.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

namespace {
std::function<std::string()> pageDump;
}

// The page's tests read the running scene's tree between frames, as a
// script's dump writes it, and wait in the game's time.
extern "C" EMSCRIPTEN_KEEPALIVE const char* nm_dump_scene() {
    static std::string json;
    json = pageDump ? pageDump() : "null";
    return json.c_str();
}

// Frames drawn so far: with fixed steps, the game's own clock.
extern "C" EMSCRIPTEN_KEEPALIVE double nm_frame_count() {
    return static_cast<double>(platform::Application::shared().frameCount());
}

// The browser is back on line: messages waiting in the outbox go out now,
// not only at the next start.
extern "C" EMSCRIPTEN_KEEPALIVE void nm_send_outbox() { KVTFeedbackLayer::sendOutboxInBackground(); }
#endif

namespace launcher {
namespace {

bool writeScreenshot(const std::string& file) {
    int w = 0, h = 0;
    auto pixels = platform::Application::shared().readPixels(w, h);
    // The frame is opaque; a 16-bit buffer may leave alpha undefined.
    for (std::size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
    return platform::writePng(file, w, h, pixels.data());
}

// Frames that took longer than a child would accept, and the memory the
// game keeps, for long scripted runs: one line at the end.
struct FrameReport {
    using Clock = std::chrono::steady_clock;
    Clock::time_point last;
    long frames = 0, slow = 0;
    double longestMs = 0;
    // Every ten seconds of frames: private memory, and the heap in use.
    std::vector<double> memoryMb, heapMb;

    void frame() {
        const Clock::time_point now = Clock::now();
        if (frames > 0) {
            const double ms = std::chrono::duration<double, std::milli>(now - last).count();
            if (ms > 50) ++slow;
            longestMs = std::max(longestMs, ms);
        }
        // The reading's own time is not the frame's.
        if (++frames % 600 == 0) {
            memoryMb.push_back(platform::privateMemoryMb());
            heapMb.push_back(platform::heapInUseMb());
        }
        last = Clock::now();
    }
    // The median of `count` readings from `first`: one reading depends on the
    // scene shown at that moment, a minute of them has seen the soak's tour.
    static double median(const std::vector<double>& readings, std::size_t first, std::size_t count) {
        if (readings.size() < first + count || count == 0) return 0;
        std::vector<double> span(readings.begin() + static_cast<std::ptrdiff_t>(first),
                                 readings.begin() + static_cast<std::ptrdiff_t>(first + count));
        std::nth_element(span.begin(), span.begin() + static_cast<std::ptrdiff_t>(count / 2), span.end());
        return span[count / 2];
    }
    // "A MB in the second minute, B MB in the last minute (+G %)": the second
    // minute, once every scene has been loaded, against the last.
    static std::string growth(const std::vector<double>& readings) {
        const double second = median(readings, 6, 6);
        const double last = readings.size() >= 12 ? median(readings, readings.size() - 6, 6) : 0;
        char text[128];
        std::snprintf(text, sizeof text, "%.1f MB in the second minute, %.1f MB in the last minute (%+.1f %%)", second,
                      last, second > 0 && last > 0 ? (last / second - 1) * 100 : 0.0);
        return text;
    }
    // The median of every five minutes: caches that fill and then level off
    // look different from a leak that climbs to the end.
    static std::string byFiveMinutes(const std::vector<double>& readings) {
        std::string text;
        for (std::size_t first = 0; first + 30 <= readings.size(); first += 30) {
            char value[16];
            std::snprintf(value, sizeof value, " %.1f", median(readings, first, 30));
            text += value;
        }
        return text;
    }
    void print() const {
        std::fprintf(stderr,
                     "report: %ld frames, %ld over 50 ms (longest %.1f ms), private memory %.1f MB after 10 s, %s; "
                     "heap in use %s\n",
                     frames, slow, longestMs, memoryMb.empty() ? 0.0 : memoryMb.front(), growth(memoryMb).c_str(),
                     growth(heapMb).c_str());
        if (memoryMb.size() >= 60)
            std::fprintf(stderr, "report: by five minutes, private memory (MB)%s; heap in use (MB)%s\n",
                         byFiveMinutes(memoryMb).c_str(), byFiveMinutes(heapMb).c_str());
    }
};

}  // namespace

int run(int argc, char** argv, platform::ApplicationDelegate& delegate, const Hooks& hooks) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    auto options = parseCommandLine(args, error);
    if (!options) {
        std::fprintf(stderr, "number-meadow: %s\n%s", error.c_str(), usage().c_str());
        return 2;
    }
    if (options->help || options->version) {
        std::fputs((options->help ? help() : versionLine() + "\n").c_str(), stdout);
        return 0;
    }

    std::unique_ptr<ScriptRunner> script;
    if (!options->scriptFile.empty()) {
        auto text = platform::readFile(options->scriptFile);
        if (!text) {
            std::fprintf(stderr, "number-meadow: cannot read script %s\n", options->scriptFile.c_str());
            return 2;
        }
        auto commands = parseScript(std::string(text->begin(), text->end()), error);
        if (!commands) {
            std::fprintf(stderr, "number-meadow: script %s %s\n", options->scriptFile.c_str(), error.c_str());
            return 2;
        }
        auto& app = platform::Application::shared();
        ScriptTarget target;
        target.touch = [&app](ScriptCommand::Kind kind, double x, double y) {
            // Script points are bottom-left based; views are top-left based.
            platform::Point view{static_cast<float>(x), static_cast<float>(app.device().heightPoints - y)};
            auto phase = kind == ScriptCommand::Kind::Down   ? platform::TouchPhase::Began
                         : kind == ScriptCommand::Kind::Move ? platform::TouchPhase::Moved
                                                             : platform::TouchPhase::Ended;
            app.injectTouch(0, phase, view);
        };
        target.type = [](const std::string& typed) { platform::ui::Window::main().insertText(typed); };
        target.key = [](platform::ui::Key key, platform::ui::KeyModifiers modifiers) {
            platform::ui::Window::main().keyPress(key, modifiers);
        };
        auto pendingShots = std::make_shared<std::vector<std::string>>();
        target.screenshot = [pendingShots](const std::string& file) { pendingShots->push_back(file); };
        app.addAfterDraw([pendingShots] {
            for (const auto& file : *pendingShots) writeScreenshot(file);
            pendingShots->clear();
        });
        target.dump = [&hooks](const std::string& file) {
            std::string json = hooks.dumpScene ? hooks.dumpScene() : "null";
            platform::writeFileAtomically(file, json.data(), json.size());
        };
        target.quit = [&app] { app.quit(0); };
        script = std::make_unique<ScriptRunner>(std::move(*commands), std::move(target));
        app.addBeforeFrame([runner = script.get()] { runner->step(); });
    }

#ifdef __EMSCRIPTEN__
    pageDump = hooks.dumpScene;
#endif
    if (!options->dataDir.empty()) platform::setDataDirectory(options->dataDir);
    if (!options->apiHost.empty()) KVTWebService::setApiHost(options->apiHost);
    if (!options->analyticsHost.empty()) KVTWebService::setAnalyticsHost(options->analyticsHost);
    if (options->seed) platform::seedRandom(*options->seed);
    std::string language = options->language.empty() ? localeLanguage() : options->language;
    platform::UserDefaults::standard().setLanguages({language});
    platform::Bundle::main().setPreferredLanguages({language});

    platform::LaunchOptions launch;
    launch.device = options->device;
    launch.headless = options->headless;
    launch.fixedSteps = options->fixedSteps;
    launch.fullscreen = options->fullscreen;
    launch.windowWidth = options->windowWidth;
    launch.windowHeight = options->windowHeight;
    if (options->seconds > 0) launch.frameLimit = std::max(1L, std::lround(options->seconds * 60.0));

    auto& app = platform::Application::shared();
    if (!options->screenshotFile.empty()) {
        // The last frame: the one before the frame limit, or the one a quit was asked in.
        app.addAfterDraw([&app, file = options->screenshotFile, limit = launch.frameLimit] {
            if (!app.isRunning() || (limit > 0 && app.frameCount() + 1 >= limit)) writeScreenshot(file);
        });
    }
    if (!options->report) return app.run(launch, delegate);
    auto report = std::make_shared<FrameReport>();
    app.addBeforeFrame([report] { report->frame(); });
    const int status = app.run(launch, delegate);
    report->print();
    return status;
}

}  // namespace launcher
