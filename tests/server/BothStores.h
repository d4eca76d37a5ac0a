// The service's tests run against both of its stores: SQLite (its default)
// and PostgreSQL (a server of the test program's own).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/TempPostgres.h"

enum class Store { sqlite, postgresql };

// What the service's --database gets: "" for SQLite in its data folder, or
// a new PostgreSQL database.
inline std::string databaseFor(Store store) {
    if (store == Store::sqlite) return "";
    testsupport::TempPostgres& server = testsupport::TempPostgres::shared();
    if (!server.error().empty()) ADD_FAILURE() << server.error();
    return server.newDatabase();
}

inline std::string storeName(const testing::TestParamInfo<Store>& info) {
    return info.param == Store::sqlite ? "SQLite" : "PostgreSQL";
}

#define INSTANTIATE_FOR_BOTH_STORES(suite) \
    INSTANTIATE_TEST_SUITE_P(Stores, suite, testing::Values(Store::sqlite, Store::postgresql), storeName)
