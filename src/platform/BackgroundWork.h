// Work on threads of its own (the kit's web requests), results handed to the
// main thread, and an orderly end at termination.
//
// The engine's reference counts are not atomic, so no engine object may cross
// threads: the work gets and returns plain data, and the hand-over runs on the
// main thread, and only while the object that asked still lives. At
// termination endBackgroundWork() aborts the HTTP requests in flight and
// joins every thread, so quitting neither waits out a request's time-out nor
// leaves a thread running into the teardown.
#pragma once

#include <functional>
#include <memory>

#include "platform/MainQueue.h"

namespace platform {

// Held by an object that starts work: hand-overs for it are dropped once it
// is gone. Made and destroyed on the main thread.
class WorkOwner {
public:
    WorkOwner() = default;
    WorkOwner(const WorkOwner&) = delete;
    WorkOwner& operator=(const WorkOwner&) = delete;
    std::weak_ptr<const void> token() const { return alive_; }

private:
    std::shared_ptr<const void> alive_ = std::make_shared<char>();
};

// Runs work on a new thread; nothing comes back. The work may capture plain
// data only.
void runInBackground(std::function<void()> work);

// Whether endBackgroundWork() has begun: long work checks it between steps.
bool backgroundWorkEnding();

// Runs work on a new thread, then done(result) on the main thread if the
// owner still lives and the program is not ending. Result is plain data;
// done may capture plain pointers only (it can be dropped on the worker).
template <class Result>
void runInBackground(const WorkOwner& owner, std::function<Result()> work, std::function<void(Result&)> done) {
    runInBackground([token = owner.token(), work = std::move(work), done = std::move(done)] {
        auto result = std::make_shared<Result>(work());
        if (backgroundWorkEnding()) return;
        performOnMainThread(
            [token, result, done] {
                if (!token.expired()) done(*result);
            },
            false);
    });
}

// Joins every thread without hurrying it (tests, tools).
void waitForBackgroundWork();
// Termination: aborts the HTTP requests in flight, joins every thread and
// starts no new one until beginBackgroundWork().
void endBackgroundWork();
void beginBackgroundWork();

}  // namespace platform
