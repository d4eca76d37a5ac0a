#include "platform/MainQueue.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {
namespace {

struct Job {
    std::function<void()> fn;
    bool done = false;
};

struct Delayed {
    double due = 0;  // on the loop's clock
    std::function<void()> fn;
};

struct Queue {
    std::mutex mutex;
    std::condition_variable doneChanged;
    std::deque<std::shared_ptr<Job>> jobs;
    std::vector<Delayed> delayed;
    std::thread::id mainThread = std::this_thread::get_id();
    bool shutDown = false;
    double now = 0;  // the loop's clock at its last drain
};

Queue& queue() {
    static Queue q;
    return q;
}

}  // namespace

bool isMainThread() { return std::this_thread::get_id() == queue().mainThread; }

void markMainThread() {
    Queue& q = queue();
    std::lock_guard lock(q.mutex);
    q.mainThread = std::this_thread::get_id();
    q.shutDown = false;
}

void performOnMainThread(std::function<void()> fn, bool waitUntilDone) {
    Queue& q = queue();
    if (waitUntilDone && isMainThread()) {
        fn();
        return;
    }
    auto job = std::make_shared<Job>();
    job->fn = std::move(fn);
    std::unique_lock lock(q.mutex);
    if (q.shutDown) return;
    q.jobs.push_back(job);
    if (waitUntilDone) q.doneChanged.wait(lock, [&] { return job->done || q.shutDown; });
}

void performAfterDelay(double delaySeconds, std::function<void()> fn) {
    Queue& q = queue();
    std::lock_guard lock(q.mutex);
    q.delayed.push_back({q.now + (delaySeconds < 0 ? 0 : delaySeconds), std::move(fn)});
}

void drainMainQueue(double nowSeconds) {
    Queue& q = queue();
    std::deque<std::shared_ptr<Job>> jobs;
    std::vector<std::function<void()>> due;
    {
        std::lock_guard lock(q.mutex);
        q.now = nowSeconds;
        jobs.swap(q.jobs);
        // Calls registered while these run wait for a later turn of the loop.
        for (auto it = q.delayed.begin(); it != q.delayed.end();) {
            if (it->due <= nowSeconds) {
                due.push_back(std::move(it->fn));
                it = q.delayed.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& job : jobs) {
        job->fn();
        std::lock_guard lock(q.mutex);
        job->done = true;
    }
    if (!jobs.empty()) q.doneChanged.notify_all();
    for (auto& fn : due) fn();
}

void shutdownMainQueue() {
    Queue& q = queue();
    {
        std::lock_guard lock(q.mutex);
        q.shutDown = true;
        q.jobs.clear();
        q.delayed.clear();
    }
    q.doneChanged.notify_all();
}

}  // namespace platform
