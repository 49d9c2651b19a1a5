#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A ZIP archive built in memory, for the catalogue tool, the generator and tests.
struct ZipMember {
  std::string name;
  std::string content;
  bool deflate = true;  // false: stored as it is
  uint64_t repeat = 1;  // the member holds content this many times over: huge members from a small text
};

struct ZipTimestamp {
  unsigned year = 2020, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Members in the given order; level is a zlib level for the deflated members. The same members
// and timestamp always give the same bytes. Throws CatalogueError when minizip fails.
std::string make_zip(const std::vector<ZipMember>& members, int level = 6, ZipTimestamp when = {});
