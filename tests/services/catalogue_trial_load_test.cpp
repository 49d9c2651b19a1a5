#include "services/catalogue_trial_load.h"

#include "catalogue/channel_database.h"
#include "catalogue/lookups.h"
#include "test_env.h"

#include <gtest/gtest.h>

namespace {
std::string sample() { return quovi_test::read_all(quovi_test::fixture("catalogue/sample-channels.dat")).toStdString(); }

QString trial(const std::string& bytes) {
  Catalogue into;
  return trial_load_catalogue(into, bytes);
}

TEST(TrialLoad, AcceptsOnlyACatalogueThatLoads) {
  const std::string good = sample();
  ASSERT_FALSE(good.empty());
  EXPECT_EQ(trial(good), QString());

  std::string flipped = good;
  flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x55);
  const std::pair<const char*, std::string> damaged[] = {
      {"empty", ""},
      {"not encrypted at all", "plain text, no catalogue"},
      {"cut short", good.substr(0, good.size() / 2)},
      {"one byte changed", flipped},
  };
  for (const auto& [what, bytes] : damaged) EXPECT_FALSE(trial(bytes).isEmpty()) << what;
  // What the loader would take for an empty catalogue is named as such.
  EXPECT_EQ(trial("plain text"), "it holds no channel list");
  // A loader error is passed on as it is.
  EXPECT_TRUE(trial(flipped).contains("cannot be inflated"));
}

// What the trial loaded is the catalogue the reload takes over: all of the database, no favourite
// marked yet (the favourites id list is only complete once the user's files are read).
TEST(TrialLoad, WhatLoadedIsTheWholeDatabase) {
  Catalogue current;
  current.favorites = {101, 102};
  Catalogue tried = catalogue_to_load(current);
  ASSERT_EQ(trial_load_catalogue(tried, sample()), QString());
  Catalogue loaded = catalogue_to_load(current);
  load_channel_database_bytes(loaded, {}, sample());
  EXPECT_EQ(tried.version_stamp, loaded.version_stamp);
  ASSERT_EQ(tried.channels.size(), loaded.channels.size());
  ASSERT_FALSE(tried.channels.empty());
  for (size_t i = 0; i < tried.channels.size(); ++i) {
    EXPECT_EQ(tried.channels[i].id, loaded.channels[i].id);
    EXPECT_EQ(tried.channels[i].favorited, 0);
  }
  EXPECT_EQ(tried.favorites, current.favorites);
}

// A load starts from the program's catalogue as reset_catalogue leaves it.
TEST(CatalogueToLoad, KeepsWhatAResetKeeps) {
  Catalogue current;
  current.version_stamp = "201301311530";
  current.version_time = 41305.6;
  current.filter.group_id = kGroupRadio;
  current.filter.name = "jazz";
  current.filter.name_flag = true;
  current.filter.bitrate = 128;
  current.highest_user_id = 100007;
  current.favorites = {3, 1};
  current.rated_ids = {7};
  current.flagged_ids = {8};
  current.app_data = "/data";
  current.user_files_loaded = true;
  current.channels.resize(2);
  current.countries.resize(1);
  current.genres.resize(1);

  const Catalogue next = catalogue_to_load(current);
  Catalogue reset = current;
  reset_catalogue(reset);
  EXPECT_EQ(next.version_stamp, reset.version_stamp);
  EXPECT_EQ(next.version_time, reset.version_time);
  EXPECT_EQ(next.filter.group_id, reset.filter.group_id);
  EXPECT_EQ(next.filter.name_flag, reset.filter.name_flag);
  EXPECT_EQ(next.filter.name, reset.filter.name);
  EXPECT_EQ(next.filter.bitrate, reset.filter.bitrate);
  EXPECT_EQ(next.highest_user_id, reset.highest_user_id);
  EXPECT_EQ(next.favorites, reset.favorites);
  EXPECT_EQ(next.rated_ids, reset.rated_ids);
  EXPECT_EQ(next.flagged_ids, reset.flagged_ids);
  EXPECT_EQ(next.app_data, reset.app_data);
  EXPECT_EQ(next.user_files_loaded, reset.user_files_loaded);
  EXPECT_TRUE(next.channels.empty() && next.countries.empty() && next.genres.empty());
}
}  // namespace
