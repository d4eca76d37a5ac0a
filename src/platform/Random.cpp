#include "platform/Random.h"

#include <random>

namespace platform {
namespace {

std::mt19937_64& engine() {
    static std::mt19937_64 source{std::random_device{}()};
    return source;
}

}  // namespace

void seedRandom(std::uint64_t seed) { engine().seed(seed); }

std::uint32_t arc4random() { return static_cast<std::uint32_t>(engine()() >> 32); }

int rand() { return static_cast<int>(engine()() >> 33); }

}  // namespace platform
