// The publisher service's store: every analytics event and feedback message
// it accepted, and its own settings (the publisher's password hash, the
// retention), in a SQLite file or a PostgreSQL database (server/Database.h).
// Texts are kept exactly as received; every statement binds its values.
// Safe from the server's threads.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "server/Database.h"

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
    long id = 0;
};

struct EventCount {
    std::string label;  // an application, an event type, a day: what the query counts by
    std::string actionType;
    long count = 0;
};

class PublisherStore {
public:
    // Opens (creating the tables if need be) the store at `where`: a
    // "postgresql://" address or a SQLite file. False with error() set when
    // it cannot.
    bool open(const std::string& where);
    const std::string& error() const { return error_; }

    // Events and feedback together stop growing at this many rows.
    void setMaxRows(long rows) { maxRows_ = rows; }
    enum class Added { stored, full, failed };
    // One request's events, all or none.
    Added addEvents(const std::vector<StoredEvent>& events);
    Added addFeedback(const StoredFeedback& feedback);

    std::vector<StoredEvent> events() const;
    // Newest first: `limit` from `offset` of those whose name, e-mail or
    // text holds `search` (any case); `total` gets how many hold it.
    std::vector<StoredFeedback> feedback(long limit, long offset = 0, const std::string& search = "",
                                         long* total = nullptr) const;
    bool deleteFeedback(long id);
    // Per application and event type, in name order.
    std::vector<EventCount> eventCounts() const;
    // The shelf's clicks per application opened and the banner's (label "").
    std::vector<EventCount> clicks() const;
    // Events per day (label "YYYY-MM-DD") since `since`, oldest first.
    std::vector<EventCount> eventsPerDay(const std::string& since) const;
    // Removes events and feedback received before `before`; how many went.
    long removeReceivedBefore(const std::string& before);

    // The service's own settings; "" when unset.
    std::string setting(const std::string& key) const;
    bool setSetting(const std::string& key, const std::string& value);

    // Now, and `days` ago, as the store writes times: UTC "YYYY-MM-DD HH:MM:SS".
    static std::string timestamp(int daysAgo = 0);

private:
    bool run(const std::string& sql, const std::vector<std::string>& values = {}, std::vector<Row>* rows = nullptr) const;
    bool full() const;

    std::unique_ptr<Database> db_;
    mutable std::recursive_mutex mutex_;
    mutable std::string error_;
    long maxRows_ = 0;  // 0: no cap
};

}  // namespace publisher
