// The process-wide random source behind arc4random() and rand().
// Seeded from the OS at start; the launcher's --seed fixes it so that a
// scripted run is reproducible.
#pragma once

#include <cstdint>

namespace platform {

void seedRandom(std::uint64_t seed);
// Uniform 32-bit value, as arc4random().
std::uint32_t arc4random();
// Uniform value in 0..randMax, as the C library's rand(), from the same source.
int rand();
inline constexpr int randMax = 0x7fffffff;

}  // namespace platform
