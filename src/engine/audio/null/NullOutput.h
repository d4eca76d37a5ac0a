// The silent output: nothing is heard, but time passes as if it were. Voices
// sound for their sample's length (at their pitch) and streams consume their
// callback in real time, so the game's logic (an effect's end, a track's
// end, a movie's clock) behaves as with a sound card.
#pragma once

#include <memory>

#include "engine/audio/Output.h"

namespace audio::null {

std::unique_ptr<Output> openOutput();

}  // namespace audio::null
