#include "engine/audio/Output.h"

#include <cstdlib>

#include "engine/audio/null/NullOutput.h"
#include "engine/audio/openal/OpenAlOutput.h"
#include "platform/Log.h"

namespace audio {

std::unique_ptr<Output> openDefaultOutput(bool headless) {
    if (headless) {
        // OpenAL Soft reads this once, when it is first used; an explicit
        // choice in the environment wins.
        setenv("ALSOFT_DRIVERS", "null", 0);
    }
    if (auto output = openal::openDevice()) {
        return output;
    }
    if (auto output = openal::openPacedLoopback()) {
        platform::log("audio: no sound device; mixing to nowhere");
        return output;
    }
    platform::log("audio: OpenAL cannot run; sound is off");
    return null::openOutput();
}

}  // namespace audio
