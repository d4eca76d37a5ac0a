#include <libpq-fe.h>

#include "server/Database.h"

namespace publisher {

namespace {

class PostgresDatabase : public Database {
public:
    explicit PostgresDatabase(PGconn* connection) : connection_(connection) {}
    ~PostgresDatabase() override { PQfinish(connection_); }

    bool run(const std::string& sql, const std::vector<std::string>& values, std::vector<Row>* rows) override {
        std::vector<const char*> params;
        for (const std::string& v : values) params.push_back(v.c_str());
        // A server that went away is asked once more on a new connection.
        if (PQstatus(connection_) != CONNECTION_OK) PQreset(connection_);
        PGresult* result = PQexecParams(connection_, sql.c_str(), static_cast<int>(params.size()), nullptr, params.data(),
                                        nullptr, nullptr, 0);
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            error_ = PQerrorMessage(connection_);
            PQclear(result);
            return false;
        }
        if (rows) {
            for (int r = 0; r < PQntuples(result); ++r) {
                Row row;
                for (int c = 0; c < PQnfields(result); ++c)
                    row.emplace_back(PQgetvalue(result, r, c), static_cast<std::size_t>(PQgetlength(result, r, c)));
                rows->push_back(std::move(row));
            }
        }
        PQclear(result);
        return true;
    }
    const char* idColumn() const override { return "BIGSERIAL PRIMARY KEY"; }

private:
    PGconn* connection_;
};

// The notices PostgreSQL sends ("relation already exists, skipping") are not
// the service's to print.
void quiet(void*, const char*) {}

}  // namespace

std::unique_ptr<Database> openPostgres(const std::string& address, std::string& error) {
    PGconn* connection = PQconnectdb(address.c_str());
    if (PQstatus(connection) != CONNECTION_OK) {
        error = PQerrorMessage(connection);
        while (!error.empty() && error.back() == '\n') error.pop_back();
        PQfinish(connection);
        return nullptr;
    }
    PQsetNoticeProcessor(connection, quiet, nullptr);
    return std::make_unique<PostgresDatabase>(connection);
}

}  // namespace publisher
