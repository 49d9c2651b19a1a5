// Small channel databases that inflate to hundreds of megabytes: each is refused, or loaded, without
// the loader's memory growing with what the file expands to.
#include "catalogue/catalogue_generator.h"
#include "catalogue/hostile_catalogue.h"
#include "channel_file_helpers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <optional>
#include <string>

using namespace quovi_test;

namespace {
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

size_t status_kib(const char* field) {
  std::ifstream status("/proc/self/status");
  const std::string prefix = std::string(field) + ":";
  for (std::string line; std::getline(status, line);)
    if (line.rfind(prefix, 0) == 0) return std::stoul(line.substr(prefix.size()));
  return 0;
}

// How far the resident memory rose above its level before `work`, at its peak, in MB. Nothing
// where the peak cannot be reset (not Linux) or where AddressSanitizer's own bookkeeping would
// swamp it.
std::optional<double> peak_growth_mb(const std::function<void()>& work) {
  std::ofstream reset("/proc/self/clear_refs");
  if (kSanitized || !reset) {
    work();
    return std::nullopt;
  }
  reset << "5" << std::flush;
  const size_t before = status_kib("VmRSS");
  if (!reset || status_kib("VmHWM") > before + 1024) {  // the peak was not reset after all
    work();
    return std::nullopt;
  }
  work();
  return static_cast<double>(status_kib("VmHWM") - before) / 1024;
}

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
    if (peak) EXPECT_LT(*peak, 48.0) << name;
  }
}

TEST(HostileFiles, ARealCatalogueLoadsWithinItsAllowance) {
  // Real text compresses a few times over; the allowance leaves room for much better ratios.
  const std::string file = generate_channel_file(GeneratorOptions{3000, 5000, 2000, 7});
  Catalogue info;
  ASSERT_EQ(load_members_file(info, file), "");
  EXPECT_EQ(info.channels.size(), 10000u);
}
