#include "services/catalogue_trial_load.h"

#include "test_env.h"

#include <gtest/gtest.h>

namespace {
std::string sample() { return quovi_test::read_all(quovi_test::fixture("catalogue/sample-channels.dat")).toStdString(); }

TEST(TrialLoad, AcceptsOnlyACatalogueThatLoads) {
  const std::string good = sample();
  ASSERT_FALSE(good.empty());
  EXPECT_EQ(trial_load_catalogue(good), QString());

  std::string flipped = good;
  flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x55);
  const std::pair<const char*, std::string> damaged[] = {
      {"empty", ""},
      {"not encrypted at all", "plain text, no catalogue"},
      {"cut short", good.substr(0, good.size() / 2)},
      {"one byte changed", flipped},
  };
  for (const auto& [what, bytes] : damaged) EXPECT_FALSE(trial_load_catalogue(bytes).isEmpty()) << what;
  // What the loader would take for an empty catalogue is named as such.
  EXPECT_EQ(trial_load_catalogue("plain text"), "it holds no channel list");
  // A loader error is passed on as it is.
  EXPECT_TRUE(trial_load_catalogue(flipped).contains("cannot be inflated"));
}
}  // namespace
