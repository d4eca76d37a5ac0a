// How much memory the process keeps of its own, for benchmarks and soak runs,
// and handing freed memory back.
#pragma once

namespace platform {

// Anonymous resident memory in MiB (heap, stack and anonymous mappings),
// without executable mappings (code a software renderer compiles) and
// without memory backed by files or shared with another process; 0 where
// the system does not tell.
double privateMemoryMb();

// The heap memory the program holds (allocated and not yet freed) in MiB:
// what the game itself keeps, without the allocator's free pages or a
// sanitizer's shadow; 0 where the allocator does not tell.
double heapInUseMb();

// Gives the pages the allocator keeps free back to the system. Loading a
// scene frees many large, short-lived buffers (decoded pictures and sounds,
// the driver's copies) between smaller ones that stay, and the allocator
// would otherwise keep those holes for the life of the game.
void releaseFreeMemory();

}  // namespace platform
