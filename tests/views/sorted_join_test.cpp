// Channels joining a sorted list are merged in, not sorted with it: the list ends as a whole sort
// would leave it, by every column and in both directions.
#include "catalogue/records.h"
#include "views/sorting.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <variant>
#include <vector>

namespace {
// Names that differ even with a-z folded, in Windows-1252 and beyond, some sharing a prefix.
const char* const kNames[] = {"Alpha", "alpine", "Beta TV", "beta", "Caf\u00e9", "Cafe", "\u00c9cole", "Zulu",
                              "\u041f\u0435\u0440\u0432\u044b\u0439", "\u041f\u0435\u0440", "\u03b1\u03b2\u03b3",
                              "\u0627\u0644\u062c\u0632\u064a\u0631\u0629", "\u65e5\u672c FM", "\u65e5", "[box]",
                              "_under", "9 news", "Radio \u20ac", "radio1", "Z\u00fcrich"};

Channel channel(int k, std::mt19937& random, uint16_t source) {
  Channel c;
  c.id = k + 1;
  c.source = source;
  c.name = ShortText::from_utf8(std::string(kNames[k % std::size(kNames)]) + " " + std::to_string(k));
  c.genre = ShortText::from_utf8(kNames[random() % std::size(kNames)]);
  c.average_rating = static_cast<double>(random() % 5);
  c.bitrate = static_cast<int32_t>(64 * (random() % 4));
  c.comment = PackedText(std::string(kNames[random() % std::size(kNames)]));
  return c;
}

// What a sort by the column looks at.
using Key = std::variant<std::string, double, int32_t>;
Key key_of(const Channel& c, int column) {
  switch (column) {
    case kSortChannel: return c.name.text().toStdString();
    case kSortGenre: return c.genre.text().toStdString();
    case kSortRating: return c.average_rating;
    case kSortBitrate: return c.bitrate;
    default: return c.comment.str();
  }
}
std::vector<Key> keys_of(const std::vector<Channel>& channels, int column) {
  std::vector<Key> keys;
  for (const Channel& c : channels) keys.push_back(key_of(c, column));
  return keys;
}
}  // namespace

TEST(SortedJoin, MergedListIsInTheOrderOfAWholeSort) {
  for (int column = kSortChannel; column <= kSortComments; ++column) {
    for (const bool flag : {false, true}) {
      std::mt19937 random(static_cast<unsigned>(column * 2 + flag));
      Catalogue list, whole;
      std::vector<Channel> joining;
      for (int k = 0; k < 300; ++k) list.channels.push_back(channel(k, random, k % 3 == 0 ? 1 : 0));
      for (int k = 300; k < 500; ++k) joining.push_back(channel(k, random, 1));
      // The list as a sort by the column leaves it, and the same channels sorted whole with the
      // joining ones, less the source's former channels.
      bool sort_flag = flag;
      int last_column = -1;
      sort_channels(list, 1 << 30, column, sort_flag, last_column);
      for (const Channel& c : list.channels)
        if (c.source != 1) whole.channels.push_back(c);
      whole.channels.insert(whole.channels.end(), joining.begin(), joining.end());
      bool whole_flag = flag;
      int whole_column = -1;
      sort_channels(whole, 1 << 30, column, whole_flag, whole_column);

      std::vector<int32_t> list_ids;
      for (const Channel& c : list.channels)
        if (c.source != 1) list_ids.push_back(c.id);
      sort_like_list(joining, last_column, sort_flag);
      const std::vector<std::string> keys = merge_keys(joining, last_column);
      std::vector<Channel> left = list.channels;
      const std::vector<Channel> merged =
          merge_into_sorted_list(left, joining, keys, std::vector<Channel>(300), last_column, sort_flag,
                                 [](const Channel& c) { return c.source != 1; });

      const std::string what = "column " + std::to_string(column) + (flag ? " descending" : " ascending");
      ASSERT_EQ(merged.size(), whole.channels.size()) << what;
      EXPECT_EQ(keys_of(merged, column), keys_of(whole.channels, column)) << what;
      // The list's own channels keep their order; the source's former ones are left behind.
      std::vector<int32_t> kept_ids;
      for (const Channel& c : merged)
        if (c.id <= 300) kept_ids.push_back(c.id);
      EXPECT_EQ(kept_ids, list_ids) << what;
      EXPECT_EQ(left.size(), 100u) << what;
      for (const Channel& c : left) EXPECT_EQ(c.source, 1) << what;
    }
  }
}

TEST(SortedJoin, WithoutALastSortTheJoiningChannelsFollow) {
  std::mt19937 random(7);
  std::vector<Channel> list{channel(5, random, 0), channel(1, random, 0)};
  std::vector<Channel> joining{channel(3, random, 2), channel(0, random, 2)};
  sort_like_list(joining, -1, false);
  std::vector<Channel> merged = merge_into_sorted_list(list, joining, merge_keys(joining, -1), {}, -1, false,
                                                       [](const Channel&) { return true; });
  std::vector<int32_t> ids;
  for (const Channel& c : merged) ids.push_back(c.id);
  EXPECT_EQ(ids, (std::vector<int32_t>{6, 2, 4, 1}));
}
