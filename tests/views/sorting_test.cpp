#include "views/sorting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {
Channel named(int32_t id, const QString& name) {
  Channel item;
  item.id = id;
  item.name = ShortText::from_text(name);
  return item;
}

std::vector<QString> names_of(const Catalogue& catalogue) {
  std::vector<QString> out;
  for (const Channel& item : catalogue.channels) out.push_back(item.name.text());
  return out;
}

std::vector<int32_t> ids_of(const std::vector<Channel>& channels) {
  std::vector<int32_t> out;
  for (const Channel& item : channels) out.push_back(item.id);
  return out;
}

// The scheme as it has always been written: whole records swapped, keys made afresh at every
// comparison.
QString folded(const QString& text) {
  QString out = text;
  for (QChar& c : out)
    if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
  return out;
}

int key_compare(const Channel& a, const Channel& b, int column) {
  auto text_cmp = [](const QString& x, const QString& y) {
    const QString fx = folded(x), fy = folded(y);
    for (qsizetype k = 0; k < std::min(fx.size(), fy.size()); ++k)
      if (fx[k] != fy[k]) return fx[k].unicode() < fy[k].unicode() ? -1 : 1;
    return fx.size() == fy.size() ? 0 : (fx.size() < fy.size() ? -1 : 1);
  };
  switch (column) {
    case 0: return text_cmp(a.name.text(), b.name.text());
    case 1: return text_cmp(a.genre.text(), b.genre.text());
    case 2: return a.average_rating < b.average_rating ? -1 : (a.average_rating > b.average_rating ? 1 : 0);
    case 3: return a.bitrate < b.bitrate ? -1 : (a.bitrate > b.bitrate ? 1 : 0);
    default: return text_cmp(to_qstring(a.comment), to_qstring(b.comment));
  }
}

void literal_sort(std::vector<Channel>& a, int lo, int hi, int column, bool ascending) {
  auto before = [&](const Channel& x, const Channel& y) {
    const int c = key_compare(x, y, column);
    return ascending ? c < 0 : c > 0;
  };
  int i = lo, j = hi;
  const Channel p = a[(lo + hi) / 2];
  do {
    while (before(a[i], p)) ++i;
    while (before(p, a[j])) --j;
    if (i <= j) {
      std::swap(a[i], a[j]);
      ++i;
      --j;
    }
  } while (i <= j);
  if (lo < j) literal_sort(a, lo, j, column, ascending);
  if (i < hi) literal_sort(a, i, hi, column, ascending);
}

std::vector<Channel> random_channels(std::mt19937& rng, int count) {
  // Few distinct values, so that equal keys are everywhere.
  const QString texts[] = {"", "a", "A", "ab", "Ab", "aB", "b", "_", "z", "Z", "\u00e9", "\u00c9", "1", "a b",
                           "Radio", "radio", "Radio 1", "\u20ac", "\u0152uvre", "abcdefghij", "ABCDEFGHIJ",
                           "abcdefghik", "abcdefgh", "abcdefgh_"};
  std::uniform_int_distribution<int> text(0, std::size(texts) - 1), small(0, 5), bitrate(-2, 3);
  std::vector<Channel> channels;
  for (int k = 0; k < count; ++k) {
    Channel item = named(k, texts[text(rng)]);
    item.genre = ShortText::from_text(texts[text(rng)]);
    item.comment = to_packed(texts[text(rng)] + (small(rng) == 0 ? QString(QChar(0xD83D)) + QChar(0xDE00) : QString()));
    item.average_rating = small(rng) / 2.0;
    item.bitrate = bitrate(rng) * 64;
    channels.push_back(item);
  }
  return channels;
}
}  // namespace

TEST(TextOrder, FoldsOnlyAsciiLettersAndComparesCodeUnits) {
  EXPECT_LT(compare_in_text_order(u"apple", u"Banana"), 0);
  EXPECT_LT(compare_in_text_order(u"Banana", u"cherry"), 0);
  EXPECT_LT(compare_in_text_order(u"zebra", u"\u00e9clair"), 0);
  EXPECT_LT(compare_in_text_order(u"Radio", u"Radio 1"), 0);
  EXPECT_LT(compare_in_text_order(u"9", u"A"), 0);
  EXPECT_LT(compare_in_text_order(u"z", u"_"), 0);
  EXPECT_LT(compare_in_text_order(u"Z", u"_"), 0);
  EXPECT_EQ(compare_in_text_order(u"RaDiO", u"radio"), 0);
  EXPECT_NE(compare_in_text_order(u"\u00e9", u"\u00c9"), 0);
  EXPECT_LT(compare_in_text_order(u"\U0001F600", u"\uE000"), 0);  // code units, not code points
}

TEST(SortChannels, NamesAscendingThenDescending) {
  ChannelListState state;
  for (const char* name : {"cherry", "Banana", "apple", "\u00e9clair", "zebra", "_x", "Radio 1", "Radio"})
    state.catalogue.channels.push_back(named(0, QString::fromUtf8(name)));
  sort_after_load(state);
  EXPECT_EQ(names_of(state.catalogue),
            (std::vector<QString>{"apple", "Banana", "cherry", "Radio", "Radio 1", "zebra", "_x", "\u00e9clair"}));
  EXPECT_TRUE(state.sort_flag);
  state.visible = {0};
  ASSERT_TRUE(sort_by_column_click(state, kSortChannel));
  EXPECT_EQ(names_of(state.catalogue),
            (std::vector<QString>{"\u00e9clair", "_x", "zebra", "Radio 1", "Radio", "cherry", "Banana", "apple"}));
}

TEST(SortChannels, GenreColumnUsesTheNamesInTheRecords) {
  ChannelListState state;
  state.catalogue.genres = {{1, ShortText::from_text("Zzz")}, {2, ShortText::from_text("Aaa")}};
  for (auto [id, genre] : {std::pair{1, "pop"}, std::pair{2, "Jazz"}, std::pair{3, "blues"}}) {
    Channel item = named(id, "x");
    item.genre_id = id;
    item.genre = ShortText::from_text(genre);
    state.catalogue.channels.push_back(item);
  }
  sort_channels(state, 2, kSortGenre);
  EXPECT_EQ(ids_of(state.catalogue.channels), (std::vector<int32_t>{3, 2, 1}));
}

TEST(SortChannels, FlagSequenceFromProgramStart) {
  ChannelListState state;
  for (int k = 0; k < 5; ++k) {
    Channel item = named(k, QString("n%1").arg(k));
    item.bitrate = (k * 3) % 5 * 32;
    item.average_rating = k == 2 ? 0 : k;
    state.catalogue.channels.push_back(item);
  }
  state.visible = {0};
  auto bitrates = [&] {
    std::vector<int32_t> out;
    for (const Channel& item : state.catalogue.channels) out.push_back(item.bitrate);
    return out;
  };
  sort_after_load(state);  // names ascending
  EXPECT_EQ(ids_of(state.catalogue.channels), (std::vector<int32_t>{0, 1, 2, 3, 4}));
  EXPECT_TRUE(state.sort_flag);
  sort_by_column_click(state, kSortChannel);  // names descending
  EXPECT_EQ(ids_of(state.catalogue.channels), (std::vector<int32_t>{4, 3, 2, 1, 0}));
  sort_by_column_click(state, kSortBitrate);  // highest first
  EXPECT_EQ(bitrates(), (std::vector<int32_t>{128, 96, 64, 32, 0}));
  sort_by_column_click(state, kSortBitrate);  // lowest first
  EXPECT_EQ(bitrates(), (std::vector<int32_t>{0, 32, 64, 96, 128}));
  sort_by_column_click(state, kSortRating);  // highest first
  EXPECT_EQ(state.catalogue.channels.front().average_rating, 4);
  EXPECT_EQ(state.catalogue.channels.back().average_rating, 0);
  EXPECT_EQ(state.last_sort_column, kSortRating);
  EXPECT_TRUE(state.sort_flag);

  ChannelListState fresh;
  fresh.catalogue.channels = state.catalogue.channels;
  fresh.visible = {0};
  sort_after_load(fresh);
  sort_by_column_click(fresh, kSortRating);  // right after start-up: lowest first
  EXPECT_EQ(fresh.catalogue.channels.front().average_rating, 0);
  EXPECT_EQ(fresh.catalogue.channels.back().average_rating, 4);
}

TEST(SortChannels, CallersHandleTheFlag) {
  ChannelListState state;
  for (int k = 0; k < 3; ++k) state.catalogue.channels.push_back(named(k, QString("n%1").arg(k)));

  // No rows shown: a header click neither sorts nor touches the flag.
  EXPECT_FALSE(sort_by_column_click(state, kSortChannel));
  EXPECT_FALSE(state.sort_flag);
  EXPECT_EQ(state.last_sort_column, 0);

  state.sort_flag = false;  // as left by a sort of names descending
  sort_after_update_reload(state);
  EXPECT_EQ(ids_of(state.catalogue.channels), (std::vector<int32_t>{2, 1, 0}));
  EXPECT_FALSE(state.sort_flag);

  state.catalogue.channels.push_back(named(3, "n3"));
  sort_after_adding_channel(state);  // same column and direction again
  EXPECT_EQ(ids_of(state.catalogue.channels), (std::vector<int32_t>{3, 2, 1, 0}));
  EXPECT_FALSE(state.sort_flag);

  // A column outside 0..4 sorts nothing and keeps the flag, but is remembered.
  sort_channels(state, 3, 7);
  EXPECT_FALSE(state.sort_flag);
  EXPECT_EQ(state.last_sort_column, 7);
  sort_channels(state, 3, -1);
  EXPECT_EQ(state.last_sort_column, -1);
  EXPECT_EQ(ids_of(state.catalogue.channels), (std::vector<int32_t>{3, 2, 1, 0}));
}

TEST(SortChannels, TinyArraysStillFlipTheFlag) {
  ChannelListState state;
  sort_after_load(state);
  EXPECT_TRUE(state.sort_flag);
  state.catalogue.channels.push_back(named(1, "x"));
  sort_after_load(state);
  EXPECT_FALSE(state.sort_flag);
  EXPECT_EQ(state.catalogue.channels.size(), 1u);
}

// Equal keys must end exactly where the partition scheme puts them, for every column and direction.
TEST(SortChannels, SameOrderAsTheSchemeSwappingWholeRecords) {
  std::mt19937 rng(20261210);
  int differs_from_stable = 0;  // shows the data really tells the scheme from other sorts
  for (int count : {2, 3, 5, 17, 64, 300, 2000}) {
    for (int column = 0; column <= 4; ++column) {
      for (bool flag : {false, true}) {
        const std::vector<Channel> original = random_channels(rng, count);
        std::vector<Channel> expected = original;
        const bool ascending = (column == 2 || column == 3) ? flag : !flag;
        literal_sort(expected, 0, count - 1, column, ascending);
        std::vector<Channel> stable = original;
        std::stable_sort(stable.begin(), stable.end(), [&](const Channel& x, const Channel& y) {
          const int c = key_compare(x, y, column);
          return ascending ? c < 0 : c > 0;
        });
        if (ids_of(stable) != ids_of(expected)) ++differs_from_stable;

        Catalogue info;
        info.channels = original;
        bool sort_flag = flag;
        int last = 0;
        sort_channels(info, count - 1, column, sort_flag, last);
        ASSERT_EQ(ids_of(info.channels), ids_of(expected)) << "count " << count << " column " << column << " flag " << flag;
        EXPECT_EQ(sort_flag, !flag);
        EXPECT_EQ(last, column);
      }
    }
  }
  EXPECT_GT(differs_from_stable, 40);
}

// A large array is sorted on two threads where there are two cores; the order is the scheme's all
// the same.
TEST(SortChannels, LargeArraysKeepTheSchemesOrder) {
  std::mt19937 rng(613);
  const std::vector<Channel> original = random_channels(rng, 60000);
  for (const auto& [column, flag] : {std::pair{0, false}, std::pair{3, false}, std::pair{3, true}}) {
    std::vector<Channel> expected = original;
    literal_sort(expected, 0, static_cast<int>(expected.size()) - 1, column, column == 3 ? flag : !flag);
    Catalogue info;
    info.channels = original;
    bool sort_flag = flag;
    int last = 0;
    sort_channels(info, static_cast<int>(original.size()) - 1, column, sort_flag, last);
    EXPECT_EQ(ids_of(info.channels), ids_of(expected)) << "column " << column << " flag " << flag;
  }
}

TEST(SortChannels, OnlyTheGivenRangeMoves) {
  std::mt19937 rng(7);
  const std::vector<Channel> original = random_channels(rng, 50);
  std::vector<Channel> expected = original;
  literal_sort(expected, 0, 29, 0, true);
  Catalogue info;
  info.channels = original;
  bool flag = false;
  int last = 0;
  sort_channels(info, 29, kSortChannel, flag, last);
  EXPECT_EQ(ids_of(info.channels), ids_of(expected));
}

TEST(SortChannels, RecordsMoveWhole) {
  ChannelListState state;
  for (int k = 0; k < 4; ++k) {
    Channel item = named(k, QString(QChar('d' - k)));
    item.url = to_packed(QString("http://%1").arg(k));
    item.comment = to_packed(QString("c%1").arg(k));
    item.bitrate = k;
    state.catalogue.channels.push_back(item);
  }
  sort_after_load(state);
  for (const Channel& item : state.catalogue.channels) {
    EXPECT_EQ(to_qstring(item.url), QString("http://%1").arg(item.id));
    EXPECT_EQ(to_qstring(item.comment), QString("c%1").arg(item.id));
    EXPECT_EQ(item.bitrate, item.id);
  }
  EXPECT_EQ(ids_of(state.catalogue.channels), (std::vector<int32_t>{3, 2, 1, 0}));
}

TEST(SortChannels, EveryCodePageByteSortsByItsFoldedCodeUnit) {
  ChannelListState state;
  std::mt19937 rng(11);
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    Channel item;
    item.id = b;
    item.name = ShortText::from_bytes(std::string(1, byte) + "x");
    state.catalogue.channels.push_back(item);
  }
  std::shuffle(state.catalogue.channels.begin(), state.catalogue.channels.end(), rng);
  sort_after_load(state);
  const std::vector<QString> names = names_of(state.catalogue);
  for (size_t k = 1; k < names.size(); ++k)
    EXPECT_LE(compare_in_text_order(names[k - 1], names[k]), 0) << "byte " << state.catalogue.channels[k].id;
}
