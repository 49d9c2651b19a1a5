// Small channel databases that inflate to hundreds of megabytes: each is refused, or loaded, without
// the loader's memory growing with what the file expands to.
#include "catalogue/catalogue_generator.h"
#include "catalogue/hostile_catalogue.h"
#include "channel_file_helpers.h"
#include "peak_memory.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

using namespace quovi_test;

namespace {
std::string hostile_file(HostileKind kind, uint64_t size) {
  return encrypt_channel_file(make_zip(hostile_members(kind, size), 1));
}
}  // namespace

TEST(HostileFiles, AreRefusedOrLoadedWithoutMemoryGrowingWithTheirText) {
  struct Case {
    HostileKind kind;
    uint64_t size;
    std::string error;  // empty: loads
  };
  const Case cases[] = {
      {HostileKind::nuls, 128'000'000, ""},  // the text ends at the first NUL
      {HostileKind::line_ends, 1'000'000, "\"tv.dat\", line 1, holds 0 fields"},
      {HostileKind::bars, 32'000'000, "\"tv.dat\", line 1, is longer than"},
      {HostileKind::channels, 64'000'000, "expands to more than"},
  };
  for (const Case& c : cases) {
    const std::string file = hostile_file(c.kind, c.size);
    const std::string name = std::to_string(static_cast<int>(c.kind));
    ASSERT_LT(file.size(), 1'000'000u) << name;
    Catalogue info;
    std::string error;
    const auto peak = peak_growth_mb([&] { error = load_members_file(info, file); });
    EXPECT_EQ(info.version_stamp, "201301311530") << name;
    if (c.error.empty()) {
      EXPECT_EQ(error, "") << name;
      EXPECT_TRUE(info.channels.empty()) << name;
    } else {
      EXPECT_NE(error.find(c.error), std::string::npos) << name << ": " << error;
    }
    // The most a file under 1 MB may cost is its allowance, 48 MB, of which the records are part.
    if (peak) {
      EXPECT_LT(*peak, 48.0) << name;
    }
  }
}

TEST(HostileFiles, ARealCatalogueLoadsWithinItsAllowance) {
  // Real text compresses a few times over; the allowance leaves room for much better ratios.
  const std::string file = generate_channel_file(GeneratorOptions{3000, 5000, 2000, 7});
  Catalogue info;
  ASSERT_EQ(load_members_file(info, file), "");
  EXPECT_EQ(info.channels.size(), 10000u);
}
