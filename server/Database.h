// The two stores the publisher service can keep what it receives in: a
// SQLite file (the default, one machine) or a PostgreSQL server (chosen by a
// "postgresql://" address). One narrow interface, so that every query is
// written once: statements use $1, $2... for their values, values and rows
// travel as text, and each back-end keeps one connection for all threads.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace publisher {

using Row = std::vector<std::string>;

class Database {
public:
    virtual ~Database() = default;
    // Runs one statement with its values bound; the rows it gives go to
    // `rows` when asked for. False with error() set when it fails.
    virtual bool run(const std::string& sql, const std::vector<std::string>& values = {}, std::vector<Row>* rows = nullptr) = 0;
    // How each back-end spells an auto-numbered key column.
    virtual const char* idColumn() const = 0;
    const std::string& error() const { return error_; }

    // "postgresql://..." (or "postgres://...") connects to that server;
    // anything else is a SQLite file, made when missing. Null with `error`
    // set when it cannot be opened.
    static std::unique_ptr<Database> open(const std::string& where, std::string& error);
    static bool isPostgresAddress(const std::string& where);

protected:
    std::string error_;
};

std::unique_ptr<Database> openSqlite(const std::string& file, std::string& error);
std::unique_ptr<Database> openPostgres(const std::string& address, std::string& error);

}  // namespace publisher
