// The process-wide random source behind arc4random() and rand().
// Seeded from the OS at start; the launcher's --seed fixes it so that a
// scripted run is reproducible.
#pragma once

#include <cstdint>

namespace platform {

void seedRandom(std::uint64_t seed);
// Uniform 32-bit value, as arc4random().
std::uint32_t arc4random();
// 0..n-1 as the game draws it: the modulo of a 32-bit draw; n must be >= 1.
inline int randomBelow(int n) { return static_cast<int>(arc4random() % static_cast<std::uint32_t>(n)); }
// Uniform value in 0..randMax, as the C library's rand(), from the same source.
int rand();
inline constexpr int randMax = 0x7fffffff;

}  // namespace platform
