#include "catalogue/records.h"
#include "views/search.h"
#include "views/sorting.h"
#include "views/view_builder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
Channel named_utf8(int id, const char* utf8) {
  Channel c;
  c.id = id;
  c.group_id = kGroupTV;
  c.name = ShortText::from_utf8(utf8);
  c.genre = ShortText::from_utf8(utf8);
  return c;
}

std::vector<std::string> names_of(const std::vector<Channel>& channels) {
  std::vector<std::string> out;
  for (const Channel& c : channels) out.push_back(c.name.text().toStdString());
  return out;
}

// The order asked for: a-z as A-Z, then code point by code point, a prefix first.
std::u32string key(const std::string& utf8) {
  std::u32string out = QString::fromStdString(utf8).toStdU32String();
  for (char32_t& c : out)
    if (c >= U'a' && c <= U'z') c -= 32;
  return out;
}
}  // namespace

TEST(UnicodeNames, KeptWholeOnlyWhereTheCodePageFallsShort) {
  const struct {
    const char* utf8;
    bool utf8_inside;
  } cases[] = {
      {"Plain", false}, {"Caf\u00e9 \u20ac", false}, {"\u041f\u0435\u0440\u0432\u044b\u0439", true},
      {"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1", true}, {"\u0627\u0644\u062c\u0632\u064a\u0631\u0629", true},
      {"\u65e5\u672c\u30c6\u30ec\u30d3", true}, {"\xf0\x9f\x98\x80 smile", true},
  };
  for (const auto& c : cases) {
    const ShortText t = ShortText::from_utf8(c.utf8);
    EXPECT_EQ(t.text().toStdString(), c.utf8);
    EXPECT_EQ(t.is_utf8(), c.utf8_inside) << c.utf8;
  }
  // Cut at 255 bytes, never inside a character.
  std::string long_name;
  for (int k = 0; k < 200; ++k) long_name += "\u0416";  // two bytes each
  const ShortText cut = ShortText::from_utf8(long_name);
  EXPECT_EQ(cut.bytes().size(), 254u);
  EXPECT_EQ(cut.text(), QString::fromStdString(long_name).left(127));
  // The same bytes as UTF-8 and as Windows-1252 are two names.
  EXPECT_FALSE(ShortText::from_utf8("\u0416") == ShortText::from_bytes("\xd0\x96"));
}

TEST(UnicodeNames, SortedByCodePointBeyondTheCodePageAndAsBeforeWithin) {
  const char* names[] = {"\u041f\u0435\u0440\u0432\u044b\u0439", "zebra", "Zulu", "\u00c9cole", "\u20ac uro",
                         "\u0395\u03bb\u03bb\u03ac\u03b4\u03b1", "\u65e5\u672c", "\xf0\x9f\x98\x80", "\uFFFD",
                         "\u0627\u0644\u062c\u0632\u064a\u0631\u0629", "abc", "ABD", "\u0152uvre", "\u0430",
                         "\u041f\u0435\u0440", "a", "_under", "1 one", "\u00e9t\u00e9"};
  Catalogue catalogue;
  for (int k = 0; k < static_cast<int>(std::size(names)); ++k) catalogue.channels.push_back(named_utf8(k + 1, names[k]));
  for (const int column : {kSortChannel, kSortGenre}) {
    for (const bool ascending : {true, false}) {
      Catalogue sorted = catalogue;
      bool flag = !ascending;
      int last = 0;
      sort_channels(sorted, static_cast<int>(sorted.channels.size()) - 1, column, flag, last);
      const std::vector<std::string> got = names_of(sorted.channels);
      std::vector<std::string> expected = got;
      std::sort(expected.begin(), expected.end(), [&](const std::string& a, const std::string& b) {
        return ascending ? key(a) < key(b) : key(b) < key(a);
      });
      EXPECT_EQ(got, expected) << "column " << column << (ascending ? " ascending" : " descending");
    }
  }

  // Names the code page holds keep the order they had before any UTF-8 name came.
  Catalogue cp1252_only;
  for (int k = 0; k < static_cast<int>(std::size(names)); ++k)
    if (!ShortText::from_utf8(names[k]).is_utf8()) cp1252_only.channels.push_back(named_utf8(k + 1, names[k]));
  Catalogue mixed = catalogue;
  bool flag_a = false, flag_b = false;
  int last = 0;
  sort_channels(cp1252_only, 100, kSortChannel, flag_a, last);
  sort_channels(mixed, 100, kSortChannel, flag_b, last);
  std::vector<std::string> mixed_cp1252;
  for (const Channel& c : mixed.channels)
    if (!c.name.is_utf8()) mixed_cp1252.push_back(c.name.text().toStdString());
  EXPECT_EQ(mixed_cp1252, names_of(cp1252_only.channels));
}

TEST(UnicodeNames, FoundBySearchAndByTheNameFilter) {
  ChannelListState state;
  for (const char* name : {"\u041f\u0435\u0440\u0432\u044b\u0439 \u043a\u0430\u043d\u0430\u043b", "Caf\u00e9 FM",
                           "\u65e5\u672c\u30c6\u30ec\u30d3", "\u0412\u0442\u043e\u0440\u043e\u0439 \u043a\u0430\u043d\u0430\u043b",
                           "Plain"})
    state.catalogue.channels.push_back(named_utf8(static_cast<int>(state.catalogue.channels.size()) + 1, name));
  state.catalogue.filter.group_id = kGroupTV;
  build_visible_list(state);
  ASSERT_EQ(state.visible.size(), 5u);

  SearchRequest request{QString::fromUtf8("\u043a\u0430\u043d\u0430\u043b"), true, true};
  EXPECT_EQ(find_channel_row(state, 5, request), 0);
  EXPECT_EQ(find_channel_row(state, 5, request), 3);
  EXPECT_EQ(find_channel_row(state, 5, request), -1);
  state.search_position = 0;
  EXPECT_EQ(find_channel_row(state, 5, {QString::fromUtf8("\u30c6\u30ec"), true, false}), 2);

  const struct {
    const char* fragment;
    std::vector<int> rows;
  } filters[] = {
      {"\u043a\u0430\u043d\u0430\u043b", {0, 3}},  // Cyrillic in UTF-8 names
      {"\u00e9", {1}},                             // the code page's character in a Windows-1252 name
      {"\u65e5", {2}},
      {"\u041a\u0430\u043d\u0430\u043b", {}},      // exact characters: no case folding
      {"a", {1, 4}},
  };
  for (const auto& f : filters) {
    state.catalogue.filter.name_flag = true;
    state.catalogue.filter.name = QString::fromUtf8(f.fragment);
    build_visible_list(state);
    EXPECT_EQ(state.visible, f.rows) << f.fragment;
  }
}
