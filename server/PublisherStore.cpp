#include "server/PublisherStore.h"

#include <sqlite3.h>

#include <filesystem>

namespace publisher {
namespace {

// One prepared statement, finalised on every path.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { ok_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) == SQLITE_OK; }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(const std::string& text) {
        ok_ = ok_ && sqlite3_bind_text(stmt_, ++index_, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) ==
                         SQLITE_OK;
        return *this;
    }
    Statement& bind(long value) {
        ok_ = ok_ && sqlite3_bind_int64(stmt_, ++index_, value) == SQLITE_OK;
        return *this;
    }
    // Runs a statement that returns no rows.
    bool done() { return ok_ && sqlite3_step(stmt_) == SQLITE_DONE; }
    // Steps to the next row; false at the end or on an error.
    bool row() { return ok_ && sqlite3_step(stmt_) == SQLITE_ROW; }
    std::string text(int column) const {
        const auto* p = sqlite3_column_text(stmt_, column);
        return p ? std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                 : std::string();
    }
    long integer(int column) const { return static_cast<long>(sqlite3_column_int64(stmt_, column)); }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int index_ = 0;
    bool ok_ = false;
};

}  // namespace

bool PublisherStore::open(const std::string& file) {
    std::error_code ec;
    std::filesystem::path path(file);
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        error_ = db_ ? sqlite3_errmsg(db_) : "cannot open the database";
        return false;
    }
    sqlite3_busy_timeout(db_, 2000);
    return exec("PRAGMA journal_mode=WAL") &&
           exec("CREATE TABLE IF NOT EXISTS events ("
                " id INTEGER PRIMARY KEY, received TEXT NOT NULL DEFAULT (datetime('now')),"
                " app_name TEXT NOT NULL, app_version TEXT NOT NULL, position INTEGER NOT NULL,"
                " action_type TEXT NOT NULL, target_app_name TEXT NOT NULL)") &&
           exec("CREATE TABLE IF NOT EXISTS feedback ("
                " id INTEGER PRIMARY KEY, received TEXT NOT NULL DEFAULT (datetime('now')),"
                " app_name TEXT NOT NULL, app_version TEXT NOT NULL,"
                " name TEXT NOT NULL, email TEXT NOT NULL, text TEXT NOT NULL)");
}

PublisherStore::~PublisherStore() { sqlite3_close_v2(db_); }

bool PublisherStore::exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    error_ = message ? message : "database error";
    sqlite3_free(message);
    return false;
}

bool PublisherStore::addEvents(const std::vector<StoredEvent>& events) {
    std::lock_guard lock(mutex_);
    if (!exec("BEGIN")) return false;
    for (const StoredEvent& e : events) {
        Statement insert(db_,
                         "INSERT INTO events (app_name, app_version, position, action_type, target_app_name)"
                         " VALUES (?, ?, ?, ?, ?)");
        if (!insert.bind(e.appName).bind(e.appVersion).bind(long{e.position}).bind(e.actionType).bind(e.targetAppName).done()) {
            exec("ROLLBACK");
            return false;
        }
    }
    return exec("COMMIT");
}

bool PublisherStore::addFeedback(const StoredFeedback& f) {
    std::lock_guard lock(mutex_);
    Statement insert(db_, "INSERT INTO feedback (app_name, app_version, name, email, text) VALUES (?, ?, ?, ?, ?)");
    return insert.bind(f.appName).bind(f.appVersion).bind(f.name).bind(f.email).bind(f.text).done();
}

std::vector<StoredEvent> PublisherStore::events() const {
    std::lock_guard lock(mutex_);
    Statement select(db_, "SELECT app_name, app_version, position, action_type, target_app_name FROM events ORDER BY id");
    std::vector<StoredEvent> out;
    while (select.row())
        out.push_back({select.text(0), select.text(1), static_cast<int>(select.integer(2)), select.text(3), select.text(4)});
    return out;
}

std::vector<StoredFeedback> PublisherStore::feedback(int limit) const {
    std::lock_guard lock(mutex_);
    Statement select(db_,
                     "SELECT received, app_name, app_version, name, email, text FROM feedback ORDER BY id DESC LIMIT ?");
    select.bind(long{limit});
    std::vector<StoredFeedback> out;
    while (select.row())
        out.push_back({select.text(0), select.text(1), select.text(2), select.text(3), select.text(4), select.text(5)});
    return out;
}

std::vector<EventCount> PublisherStore::eventCounts() const {
    std::lock_guard lock(mutex_);
    Statement select(db_,
                     "SELECT app_name, action_type, COUNT(*) FROM events GROUP BY app_name, action_type"
                     " ORDER BY app_name, action_type");
    std::vector<EventCount> out;
    while (select.row()) out.push_back({select.text(0), select.text(1), select.integer(2)});
    return out;
}

}  // namespace publisher
