#include "platform/BackgroundWork.h"

#include <atomic>
#include <list>
#include <mutex>
#include <thread>

#include "platform/Http.h"

namespace platform {
namespace {

struct Worker {
    std::thread thread;
    std::atomic<bool> finished{false};
};

struct Workers {
    std::mutex mutex;
    std::list<std::unique_ptr<Worker>> running;
    std::atomic<bool> ending{false};

    // The main queue and the requests' registry are made first, so that they
    // outlive the workers, which use them while the process exits.
    Workers() {
        isMainThread();
        allowHttpRequests();
    }

    // Threads that finished are joined as new ones start, so the list stays short.
    void reapFinished() {
        std::list<std::unique_ptr<Worker>> done;
        {
            std::lock_guard lock(mutex);
            for (auto it = running.begin(); it != running.end();) {
                if ((*it)->finished) {
                    done.push_back(std::move(*it));
                    it = running.erase(it);
                } else {
                    ++it;
                }
            }
        }
        for (auto& worker : done) worker->thread.join();
    }

    void joinAll() {
        std::list<std::unique_ptr<Worker>> all;
        {
            std::lock_guard lock(mutex);
            all.swap(running);
        }
        for (auto& worker : all) worker->thread.join();
    }

    // A process that exits without an orderly end still must not leave
    // joinable threads behind.
    ~Workers() {
        ending = true;
        abortHttpRequests();
        joinAll();
    }
};

Workers& workers() {
    static Workers all;
    return all;
}

}  // namespace

void runInBackground(std::function<void()> work) {
    Workers& all = workers();
    all.reapFinished();
    std::lock_guard lock(all.mutex);
    if (all.ending) return;
    auto worker = std::make_unique<Worker>();
    Worker* self = worker.get();
    self->thread = std::thread([self, work = std::move(work)] {
        work();
        self->finished = true;
    });
    all.running.push_back(std::move(worker));
}

bool backgroundWorkEnding() { return workers().ending; }

void waitForBackgroundWork() { workers().joinAll(); }

void endBackgroundWork() {
    Workers& all = workers();
    {
        std::lock_guard lock(all.mutex);
        all.ending = true;
    }
    abortHttpRequests();
    all.joinAll();
}

void beginBackgroundWork() {
    Workers& all = workers();
    std::lock_guard lock(all.mutex);
    all.ending = false;
    allowHttpRequests();
}

}  // namespace platform
