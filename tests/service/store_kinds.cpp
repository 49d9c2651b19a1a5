#include "store_kinds.h"

#include "scratch_postgres.h"
#include "test_env.h"

std::string store_kind_name(const testing::TestParamInfo<StoreKind>& info) {
  return info.param == StoreKind::sqlite ? "sqlite" : "postgresql";
}

std::string fresh_store_location(StoreKind kind) {
  static int files = 0;
  if (kind == StoreKind::sqlite)
    return (quovi_test::sandbox_root() + QStringLiteral("/feedback-%1.sqlite").arg(++files)).toStdString();
  ScratchPostgres& server = ScratchPostgres::shared();
  if (!server.installed()) return {};
  if (!server.running()) {
    ADD_FAILURE() << "PostgreSQL is installed but its server did not start: " << server.problem();
    return {};
  }
  const std::string location = server.new_database();
  if (location.empty()) ADD_FAILURE() << "cannot create a database on the test's PostgreSQL server";
  return location;
}

std::string why_no_postgresql() { return ScratchPostgres::shared().problem(); }
