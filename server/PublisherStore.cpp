#include "server/PublisherStore.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace publisher {

namespace {

long number(const std::string& text) {
    try {
        return std::stol(text);
    } catch (...) {
        return 0;
    }
}

}  // namespace

bool PublisherStore::open(const std::string& where) {
    std::lock_guard lock(mutex_);
    db_ = Database::open(where, error_);
    if (!db_) return false;
    const std::string id = db_->idColumn();
    return run("CREATE TABLE IF NOT EXISTS events (id " + id +
               ", received TEXT NOT NULL, app_name TEXT NOT NULL, app_version TEXT NOT NULL,"
               " position INTEGER NOT NULL, action_type TEXT NOT NULL, target_app_name TEXT NOT NULL)") &&
           run("CREATE TABLE IF NOT EXISTS feedback (id " + id +
               ", received TEXT NOT NULL, app_name TEXT NOT NULL, app_version TEXT NOT NULL,"
               " name TEXT NOT NULL, email TEXT NOT NULL, text TEXT NOT NULL)") &&
           run("CREATE INDEX IF NOT EXISTS events_received ON events (received)") &&
           run("CREATE INDEX IF NOT EXISTS feedback_received ON feedback (received)") &&
           run("CREATE TABLE IF NOT EXISTS settings (key TEXT PRIMARY KEY, value TEXT NOT NULL)");
}

bool PublisherStore::run(const std::string& sql, const std::vector<std::string>& values, std::vector<Row>* rows) const {
    if (!db_) return false;
    if (db_->run(sql, values, rows)) return true;
    error_ = db_->error();
    return false;
}

std::string PublisherStore::timestamp(int daysAgo) {
    const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()) - std::time_t{daysAgo} * 86400;
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
    return text;
}

bool PublisherStore::full() const {
    if (maxRows_ <= 0) return false;
    std::vector<Row> rows;
    return run("SELECT (SELECT COUNT(*) FROM events) + (SELECT COUNT(*) FROM feedback)", {}, &rows) && !rows.empty() &&
           number(rows[0][0]) >= maxRows_;
}

PublisherStore::Added PublisherStore::addEvents(const std::vector<StoredEvent>& events) {
    std::lock_guard lock(mutex_);
    if (full()) return Added::full;
    const std::string now = timestamp();
    if (!run("BEGIN")) return Added::failed;
    for (const StoredEvent& e : events) {
        if (!run("INSERT INTO events (received, app_name, app_version, position, action_type, target_app_name)"
                 " VALUES ($1, $2, $3, $4, $5, $6)",
                 {now, e.appName, e.appVersion, std::to_string(e.position), e.actionType, e.targetAppName})) {
            run("ROLLBACK");
            return Added::failed;
        }
    }
    return run("COMMIT") ? Added::stored : Added::failed;
}

PublisherStore::Added PublisherStore::addFeedback(const StoredFeedback& f) {
    std::lock_guard lock(mutex_);
    if (full()) return Added::full;
    return run("INSERT INTO feedback (received, app_name, app_version, name, email, text) VALUES ($1, $2, $3, $4, $5, $6)",
               {timestamp(), f.appName, f.appVersion, f.name, f.email, f.text})
               ? Added::stored
               : Added::failed;
}

std::vector<StoredEvent> PublisherStore::events() const {
    std::lock_guard lock(mutex_);
    std::vector<Row> rows;
    run("SELECT app_name, app_version, position, action_type, target_app_name FROM events ORDER BY id", {}, &rows);
    std::vector<StoredEvent> out;
    for (const Row& r : rows) out.push_back({r[0], r[1], static_cast<int>(number(r[2])), r[3], r[4]});
    return out;
}

std::vector<StoredFeedback> PublisherStore::feedback(long limit, long offset, const std::string& search, long* total) const {
    std::lock_guard lock(mutex_);
    // The search is a plain text: its own wildcards are escaped.
    std::string pattern = "%";
    for (char c : search) {
        if (c == '%' || c == '_' || c == '\\') pattern += '\\';
        pattern += c;
    }
    pattern += "%";
    const std::string where =
        " FROM feedback WHERE lower(name) LIKE lower($1) ESCAPE '\\' OR lower(email) LIKE lower($1) ESCAPE '\\'"
        " OR lower(text) LIKE lower($1) ESCAPE '\\'";
    std::vector<Row> rows;
    if (total) {
        *total = run("SELECT COUNT(*)" + where, {pattern}, &rows) && !rows.empty() ? number(rows[0][0]) : 0;
        rows.clear();
    }
    run("SELECT received, app_name, app_version, name, email, text, id" + where + " ORDER BY id DESC LIMIT $2 OFFSET $3",
        {pattern, std::to_string(limit), std::to_string(offset)}, &rows);
    std::vector<StoredFeedback> out;
    for (const Row& r : rows) out.push_back({r[0], r[1], r[2], r[3], r[4], r[5], number(r[6])});
    return out;
}

bool PublisherStore::deleteFeedback(long id) {
    std::lock_guard lock(mutex_);
    return run("DELETE FROM feedback WHERE id = $1", {std::to_string(id)});
}

std::vector<EventCount> PublisherStore::eventCounts() const {
    std::lock_guard lock(mutex_);
    std::vector<Row> rows;
    run("SELECT app_name, action_type, COUNT(*) FROM events GROUP BY app_name, action_type ORDER BY app_name, action_type",
        {}, &rows);
    std::vector<EventCount> out;
    for (const Row& r : rows) out.push_back({r[0], r[1], number(r[2])});
    return out;
}

std::vector<EventCount> PublisherStore::clicks() const {
    std::lock_guard lock(mutex_);
    std::vector<Row> rows;
    run("SELECT target_app_name, action_type, COUNT(*) FROM events WHERE action_type IN ('clickApp', 'clickBanner')"
        " GROUP BY target_app_name, action_type ORDER BY action_type, target_app_name",
        {}, &rows);
    std::vector<EventCount> out;
    for (const Row& r : rows) out.push_back({r[0], r[1], number(r[2])});
    return out;
}

std::vector<EventCount> PublisherStore::eventsPerDay(const std::string& since) const {
    std::lock_guard lock(mutex_);
    std::vector<Row> rows;
    run("SELECT substr(received, 1, 10) AS day, COUNT(*) FROM events WHERE received >= $1 GROUP BY day ORDER BY day",
        {since}, &rows);
    std::vector<EventCount> out;
    for (const Row& r : rows) out.push_back({r[0], "", number(r[1])});
    return out;
}

long PublisherStore::removeReceivedBefore(const std::string& before) {
    std::lock_guard lock(mutex_);
    std::vector<Row> events, feedback;
    run("DELETE FROM events WHERE received < $1 RETURNING id", {before}, &events);
    run("DELETE FROM feedback WHERE received < $1 RETURNING id", {before}, &feedback);
    return static_cast<long>(events.size() + feedback.size());
}

std::string PublisherStore::setting(const std::string& key) const {
    std::lock_guard lock(mutex_);
    std::vector<Row> rows;
    return run("SELECT value FROM settings WHERE key = $1", {key}, &rows) && !rows.empty() ? rows[0][0] : "";
}

bool PublisherStore::setSetting(const std::string& key, const std::string& value) {
    std::lock_guard lock(mutex_);
    return run("INSERT INTO settings (key, value) VALUES ($1, $2) ON CONFLICT (key) DO UPDATE SET value = excluded.value",
               {key, value});
}

}  // namespace publisher
