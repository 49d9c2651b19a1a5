// Feeds arbitrary text to the reading of the feedback database's location: what messages may show
// of it, the passwords it carries, and the check for URIs libpq would read otherwise than written.
// Besides crashes it stops on a broken promise: a URI the check lets through is one whose password,
// as libpq reads it, is among those the service hides in messages. The first input byte picks the
// scheme put before the rest (none, "postgresql://" or "postgres://").
#include "database_location.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
void check(bool holds) {
  if (!holds) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size == 0) return 0;
  static const char* const kSchemes[] = {"", "postgresql://", "postgres://"};
  const std::string location = kSchemes[bytes[0] % 3] + std::string(reinterpret_cast<const char*>(bytes) + 1, size - 1);
  const std::string printable = printable_location(location);
  const std::vector<std::string> passwords = location_passwords(location);
  without_passwords(printable, location);
  if (!is_postgresql_location(location)) {
    check(printable == location && passwords.empty());
    return 0;
  }
  if (!postgresql_location_problem(location).empty()) return 0;
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(location.c_str(), &error);
  if (!options) {
    PQfreemem(error);
    return 0;
  }
  for (const PQconninfoOption* o = options; o->keyword; ++o)
    if (std::string(o->keyword) == "password" && o->val && *o->val)
      check(std::find(passwords.begin(), passwords.end(), std::string(o->val)) != passwords.end());
  PQconninfoFree(options);
  return 0;
}
