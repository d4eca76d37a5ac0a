#include <sqlite3.h>

#include <filesystem>

#include "server/Database.h"

namespace publisher {

namespace {

class SqliteDatabase : public Database {
public:
    explicit SqliteDatabase(sqlite3* db) : db_(db) {}
    ~SqliteDatabase() override { sqlite3_close_v2(db_); }

    bool run(const std::string& sql, const std::vector<std::string>& values, std::vector<Row>* rows) override {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return failed(stmt);
        // By name: "$2" may come before "$1" in a statement.
        for (std::size_t i = 0; i < values.size(); ++i) {
            const int at = sqlite3_bind_parameter_index(stmt, ("$" + std::to_string(i + 1)).c_str());
            if (at > 0 && sqlite3_bind_text(stmt, at, values[i].data(), static_cast<int>(values[i].size()),
                                            SQLITE_TRANSIENT) != SQLITE_OK)
                return failed(stmt);
        }
        int step;
        while ((step = sqlite3_step(stmt)) == SQLITE_ROW) {
            if (!rows) continue;
            Row row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const auto* text = sqlite3_column_text(stmt, c);
                row.emplace_back(text ? std::string(reinterpret_cast<const char*>(text),
                                                    static_cast<std::size_t>(sqlite3_column_bytes(stmt, c)))
                                      : std::string());
            }
            rows->push_back(std::move(row));
        }
        if (step != SQLITE_DONE) return failed(stmt);
        sqlite3_finalize(stmt);
        return true;
    }
    const char* idColumn() const override { return "INTEGER PRIMARY KEY"; }

private:
    bool failed(sqlite3_stmt* stmt) {
        error_ = sqlite3_errmsg(db_);
        sqlite3_finalize(stmt);
        return false;
    }
    sqlite3* db_;
};

}  // namespace

std::unique_ptr<Database> openSqlite(const std::string& file, std::string& error) {
    std::error_code ignored;
    const std::filesystem::path path(file);
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ignored);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr) !=
        SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "cannot open the database";
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 2000);
    auto database = std::make_unique<SqliteDatabase>(db);
    if (!database->run("PRAGMA journal_mode=WAL", {}, nullptr)) {
        error = database->error();
        return nullptr;
    }
    return database;
}

bool Database::isPostgresAddress(const std::string& where) {
    return where.rfind("postgresql://", 0) == 0 || where.rfind("postgres://", 0) == 0;
}

std::unique_ptr<Database> Database::open(const std::string& where, std::string& error) {
    return isPostgresAddress(where) ? openPostgres(where, error) : openSqlite(where, error);
}

}  // namespace publisher
