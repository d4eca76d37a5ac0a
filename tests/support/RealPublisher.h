// The real publisher service (server/) on a free local port, with its store
// in a fresh folder (or the database given), keeping the lines it logs and
// the publisher's password it prints at its first start. Header-only: only
// the tests that link the service include it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "server/PublisherService.h"
#include "support/TempDir.h"

namespace testsupport {

class RealPublisher {
public:
    explicit RealPublisher(const std::string& database = "", int writesPerMinute = 0, long maxStoredRows = 0)
        : service_(options(dir_, this, database, writesPerMinute, maxStoredRows)) {
        if (!service_.start()) ADD_FAILURE() << "the publisher service does not start: " << service_.error();
    }

    std::string host() const { return "127.0.0.1:" + std::to_string(service_.port()); }
    std::string url(const std::string& path) const { return "http://" + host() + path; }
    const publisher::PublisherStore& store() const { return service_.store(); }
    publisher::PublisherService& service() { return service_; }
    std::string dataDir() const { return dir_ / "publisher"; }
    // The store's address: the database given, else the SQLite file.
    std::string database() const { return database_.empty() ? dataDir() + "/publisher.sqlite3" : database_; }
    // The password printed at the first start.
    std::string password() const {
        std::lock_guard lock(mutex_);
        return password_;
    }

    // The lines logged so far, such as the requests' "publisher: GET /target -> 200"
    // (not the password: password() has it). The
    // service logs a request after answering it, so a caller that has its
    // answer may still wait for the line: at least `atLeast`, five seconds at most.
    std::vector<std::string> log(std::size_t atLeast = 0) const {
        std::unique_lock lock(mutex_);
        logged_.wait_for(lock, std::chrono::seconds(5), [&] { return lines_.size() >= atLeast; });
        return lines_;
    }
    // How many of them hold `text`, waiting likewise for at least `atLeast`.
    long count(const std::string& text, long atLeast = 0) const {
        auto holding = [&] {
            return std::count_if(lines_.begin(), lines_.end(),
                                 [&](const std::string& l) { return l.find(text) != std::string::npos; });
        };
        std::unique_lock lock(mutex_);
        logged_.wait_for(lock, std::chrono::seconds(5), [&] { return holding() >= atLeast; });
        return holding();
    }

private:
    static publisher::Options options(const TempDir& dir, RealPublisher* self, const std::string& database,
                                      int writesPerMinute, long maxStoredRows) {
        self->database_ = database;
        publisher::Options o;
        o.port = 0;
        o.dataDir = dir / "publisher";  // as dataDir()
        o.database = database;
        o.writesPerMinute = writesPerMinute;
        o.maxStoredRows = maxStoredRows;
        o.log = [self](const std::string& line) {
            std::lock_guard lock(self->mutex_);
            const std::string mark = "shown only now: ";
            if (auto at = line.find(mark); at != std::string::npos) {
                self->password_ = line.substr(at + mark.size());
                return;
            }
            self->lines_.push_back(line);
            self->logged_.notify_all();
        };
        return o;
    }

    TempDir dir_;
    std::string database_;
    mutable std::mutex mutex_;
    mutable std::condition_variable logged_;
    std::vector<std::string> lines_;
    std::string password_;
    publisher::PublisherService service_;
};

}  // namespace testsupport
