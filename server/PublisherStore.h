// The publisher service's store: every analytics event and feedback message
// it accepted, in one SQLite file. Texts are kept exactly as received; every
// statement binds its values. Safe from the server's threads.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

namespace publisher {

struct StoredEvent {
    std::string appName;
    std::string appVersion;
    int position = 0;
    std::string actionType;
    std::string targetAppName;  // "" when the request named none
};

struct StoredFeedback {
    std::string received;  // UTC, "YYYY-MM-DD HH:MM:SS"
    std::string appName;
    std::string appVersion;
    std::string name;
    std::string email;
    std::string text;
};

struct EventCount {
    std::string appName;
    std::string actionType;
    long count = 0;
};

class PublisherStore {
public:
    // Opens (creating if need be) the database file; false with error() set
    // when it cannot.
    bool open(const std::string& file);
    ~PublisherStore();
    const std::string& error() const { return error_; }

    // One request's events, all or none.
    bool addEvents(const std::vector<StoredEvent>& events);
    bool addFeedback(const StoredFeedback& feedback);

    std::vector<StoredEvent> events() const;
    // Newest first, at most `limit`.
    std::vector<StoredFeedback> feedback(int limit) const;
    // Per application and event type, in name order.
    std::vector<EventCount> eventCounts() const;

private:
    bool exec(const char* sql);

    sqlite3* db_ = nullptr;
    mutable std::mutex mutex_;
    std::string error_;
};

}  // namespace publisher
