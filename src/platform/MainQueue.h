// The main thread's queue of work handed over by other threads, and delayed
// calls on the run loop. The frame loop drains both once per frame.
#pragma once

#include <functional>

namespace platform {

// Runs fn on the main thread. With waitUntilDone the caller blocks until it
// has run; called on the main thread itself it then runs at once.
void performOnMainThread(std::function<void()> fn, bool waitUntilDone);

// Runs fn on the main thread after at least delaySeconds of frame-loop time.
void performAfterDelay(double delaySeconds, std::function<void()> fn);

bool isMainThread();

// The frame loop's side: marks the calling thread as main (and opens the
// queue), runs what is queued and what is due. nowSeconds is the loop's clock.
void markMainThread();
void drainMainQueue(double nowSeconds);
// Drops queued work and wakes waiters (at exit), so no thread blocks forever.
void shutdownMainQueue();

}  // namespace platform
