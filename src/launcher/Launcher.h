// Sets up the platform from the command line (device, language, data
// directory, seed, resources), runs the application with the given delegate
// and drives --script, --seconds and --screenshot.
#pragma once

#include <functional>
#include <string>

#include "platform/Application.h"

namespace launcher {

struct Hooks {
    // Serialises the running scene's node tree as JSON (the script's dump).
    std::function<std::string()> dumpScene;
};

// Returns the process exit code: 2 for a bad command line or script.
int run(int argc, char** argv, platform::ApplicationDelegate& delegate, const Hooks& hooks);

}  // namespace launcher
