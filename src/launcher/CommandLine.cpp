#include "launcher/CommandLine.h"

#include <cmath>
#include <cstdlib>

#include "kit/KVTWebService.h"
#include "platform/Bundle.h"

namespace launcher {

bool parseNumber(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(out);
}

std::string usage() {
    return "usage: number-meadow [--device tablet|phone] [--scale 1|2] [--lang CODE] [--data-dir DIR]\n"
           "                     [--fullscreen] [--window WxH] [--headless] [--fixed-steps] [--seconds S] [--seed N]\n"
           "                     [--script FILE] [--screenshot FILE.png] [--report]\n"
           "                     [--api-host HOST[:PORT]] [--analytics-host HOST[:PORT]]\n"
           "       number-meadow --help | --version\n";
}

std::string help() {
    return usage() +
           "\n"
           "A touch game for young children: the numbers 1 to 10 and simple sums.\n"
           "\n"
           "  --device tablet|phone   the screen to emulate: 1024 x 768 or 480 x 320 points\n"
           "  --scale 1|2             pixels per point\n"
           "  --lang CODE             language of texts and voices (en, it, ru...); default: the locale's\n"
           "  --data-dir DIR          preferences, documents and caches in DIR instead of the XDG directories\n"
           "  --fullscreen            start full screen (F11 toggles)\n"
           "  --window WxH            window size in pixels; the picture is scaled to fit\n"
           "  --headless              no window, no sound, fixed 1/60 s frames as fast as possible\n"
           "  --fixed-steps           every frame advances the game exactly 1/60 s, as headless runs do\n"
           "  --seconds S             run S seconds of frames, then exit\n"
           "  --seed N                fix the random draws\n"
           "  --script FILE           play the commands in FILE (wait, tap, down, move, up, type, key,\n"
           "                          screenshot, dump, quit)\n"
           "  --screenshot FILE.png   write the last frame\n"
           "  --report                at the end, print the frames over 50 ms and the private memory kept\n"
           "  --api-host HOST[:PORT]  the publisher's catalogue, banner and feedback service\n"
           "  --analytics-host HOST[:PORT]  the publisher's analytics service\n"
           "  --help                  print this and exit\n"
           "  --version               print the name and version and exit\n";
}

std::string versionLine() {
    const platform::Value& info = platform::Bundle::main().infoDictionary();
    std::string name = info["CFBundleDisplayName"].asString();
    std::string version = info["CFBundleVersion"].asString();
    return (name.empty() ? "Number Meadow" : name) + " " + (version.empty() ? "(no bundle found)" : version);
}

std::optional<Options> parseCommandLine(const std::vector<std::string>& args, std::string& error) {
    Options o;
    bool phone = false;
    int scale = 1;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            o.help = true;
            return o;
        } else if (a == "--version") {
            o.version = true;
            return o;
        } else if (a == "--fullscreen") {
            o.fullscreen = true;
        } else if (a == "--window") {
            if (!value(v)) return std::nullopt;
            char* end = nullptr;
            long w = std::strtol(v.c_str(), &end, 10);
            long h = *end == 'x' ? std::strtol(end + 1, &end, 10) : 0;
            if (*end != '\0' || w < 1 || h < 1 || w > 16384 || h > 16384) {
                error = "--window needs WIDTHxHEIGHT in pixels, not " + v;
                return std::nullopt;
            }
            o.windowWidth = static_cast<int>(w);
            o.windowHeight = static_cast<int>(h);
        } else if (a == "--headless") {
            o.headless = true;
        } else if (a == "--fixed-steps") {
            o.fixedSteps = true;
        } else if (a == "--device") {
            if (!value(v)) return std::nullopt;
            if (v != "tablet" && v != "phone") {
                error = "--device must be tablet or phone, not " + v;
                return std::nullopt;
            }
            phone = v == "phone";
        } else if (a == "--scale") {
            if (!value(v)) return std::nullopt;
            if (v != "1" && v != "2") {
                error = "--scale must be 1 or 2, not " + v;
                return std::nullopt;
            }
            scale = v == "2" ? 2 : 1;
        } else if (a == "--lang") {
            if (!value(o.language)) return std::nullopt;
        } else if (a == "--data-dir") {
            if (!value(o.dataDir)) return std::nullopt;
        } else if (a == "--seconds") {
            if (!value(v)) return std::nullopt;
            if (!parseNumber(v, o.seconds) || o.seconds <= 0) {
                error = "--seconds needs a positive number, not " + v;
                return std::nullopt;
            }
        } else if (a == "--seed") {
            if (!value(v)) return std::nullopt;
            char* end = nullptr;
            unsigned long long seed = std::strtoull(v.c_str(), &end, 10);
            if (v.empty() || *end != '\0' || v[0] == '-') {
                error = "--seed needs a whole number, not " + v;
                return std::nullopt;
            }
            o.seed = seed;
        } else if (a == "--script") {
            if (!value(o.scriptFile)) return std::nullopt;
        } else if (a == "--screenshot") {
            if (!value(o.screenshotFile)) return std::nullopt;
        } else if (a == "--report") {
            o.report = true;
        } else if (a == "--api-host" || a == "--analytics-host") {
            if (!value(v)) return std::nullopt;
            if (!KVTWebService::isValidHost(v)) {
                error = a + " needs HOST or HOST:PORT, not " + v;
                return std::nullopt;
            }
            (a == "--api-host" ? o.apiHost : o.analyticsHost) = v;
        } else {
            error = "unknown option " + a;
            return std::nullopt;
        }
    }
    o.device = phone ? platform::DeviceProfile::phone(scale) : platform::DeviceProfile::tablet(scale);
    return o;
}

std::string localeLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (!value || !*value) continue;
        std::string locale(value);
        if (locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0) return "en";
        return locale.substr(0, locale.find_first_of("_.@"));
    }
    return "en";
}

}  // namespace launcher
