// A PostgreSQL server of the test program's own, from Debian's postgresql
// package: made with initdb in a fresh folder, started with pg_ctl on a Unix
// socket there (no TCP port), stopped and removed when the program ends. Run
// as root, its commands run as the package's "postgres" user, since
// PostgreSQL refuses to run as root.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace testsupport {

class TempPostgres {
public:
    // The program's server, started on first use.
    static TempPostgres& shared();
    ~TempPostgres();

    // Empty when the server runs; else what went wrong.
    const std::string& error() const { return error_; }
    // A new empty database: its "postgresql://" address.
    std::string newDatabase();

private:
    TempPostgres();
    std::string run(const std::string& program, const std::vector<std::string>& args);

    TempDir dir_;
    std::string bin_, socketDir_;
    bool asPostgres_ = false;
    bool started_ = false;
    int databases_ = 0;
    std::string error_;
};

}  // namespace testsupport
