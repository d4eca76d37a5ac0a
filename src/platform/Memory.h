// How much memory the process keeps of its own, for benchmarks and soak runs.
#pragma once

namespace platform {

// Anonymous resident memory in MiB (heap, stack and anonymous mappings),
// without executable mappings (code a software renderer compiles) and
// without memory backed by files or shared with another process; 0 where
// the system does not tell.
double privateMemoryMb();

}  // namespace platform
