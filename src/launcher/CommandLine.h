// The launcher's command line: which device to emulate and how to drive a
// run. The game itself takes no configuration.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Application.h"

namespace launcher {

struct Options {
    bool help = false;     // --help: print the options and exit
    bool version = false;  // --version: print the name and version and exit
    platform::DeviceProfile device = platform::DeviceProfile::tablet(1);
    std::string language;  // empty: from the locale
    std::string dataDir;   // empty: the XDG directories
    bool fullscreen = false;
    int windowWidth = 0;  // 0: the device's screen
    int windowHeight = 0;
    bool headless = false;
    bool fixedSteps = false;  // every frame 1/60 s of game time, as headless
    double seconds = 0;  // 0: run until quit
    std::optional<std::uint64_t> seed;
    std::string scriptFile;
    std::string screenshotFile;
    // At the end, a line on frames over 50 ms and private memory (soak runs).
    bool report = false;
    // The publisher's services, "host" or "host:port"; empty: the build's.
    std::string apiHost;
    std::string analyticsHost;
};

// Parses argv; on a bad option returns nullopt with a message in error.
std::optional<Options> parseCommandLine(const std::vector<std::string>& args, std::string& error);

std::string usage();
// The usage followed by what each option does, for --help.
std::string help();
// "Number Meadow 0.1.0": the bundle's display name and CFBundleVersion.
std::string versionLine();

// A whole-text finite decimal number ("2", "0.5", "-3e2"); false for "", "1x", "nan".
bool parseNumber(const std::string& text, double& out);

// The language of the locale (LC_ALL, LC_MESSAGES, LANG): "it_IT.UTF-8" is "it".
std::string localeLanguage();

}  // namespace launcher
