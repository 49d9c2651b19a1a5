// Feeds arbitrary bytes to the "version.dat" reader as the member's first bytes. A stamp is either
// refused, leaving the catalogue without one, or twelve digits whose date-time reads back as them
// (a date before 1899-12-30 counts below zero).
#include "catalogue/catalogue_dump.h"
#include "catalogue/catalogue_error.h"
#include "catalogue/channel_members.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  Catalogue info;
  try {
    load_version_member(info, std::string_view(reinterpret_cast<const char*>(bytes), size));
  } catch (const CatalogueError&) {
    if (!info.version_stamp.empty() || info.version_time != 0) __builtin_trap();
    return 0;
  }
  const bool digits = info.version_stamp.size() == 12 &&
                      std::all_of(info.version_stamp.begin(), info.version_stamp.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!digits) __builtin_trap();
  // 1899-12-30 00:00 is serial 0, which reads back as no date at all.
  const std::string& s = info.version_stamp;
  const std::string expected = s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2) + " " + s.substr(8, 2) + ":" +
                               s.substr(10, 2) + ":00";
  const std::string again = format_serial_date_time(info.version_time);
  if (again != expected && !(s == "189912300000" && again.empty())) __builtin_trap();
  return 0;
}
