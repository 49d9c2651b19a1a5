#pragma once
#include <gtest/gtest.h>

#include <string>

// The two places the service keeps its feedback; tests of the store's contract and of the
// service's road run once against each.
enum class StoreKind { sqlite, postgresql };

inline void PrintTo(StoreKind kind, std::ostream* out) {
  *out << (kind == StoreKind::sqlite ? "SQLite" : "PostgreSQL");
}
inline const auto kEveryStoreKind = testing::Values(StoreKind::sqlite, StoreKind::postgresql);
std::string store_kind_name(const testing::TestParamInfo<StoreKind>& info);

// A new, empty feedback database: a file in the test's sandbox, or a database on the test
// program's own PostgreSQL server. Empty when PostgreSQL is not installed here (the caller skips
// with why_no_postgresql()); a server that is installed but does not start fails the test.
std::string fresh_store_location(StoreKind kind);
std::string why_no_postgresql();
