#include "views/search.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {
ChannelListState searchable(const std::vector<const char*>& names) {
  ChannelListState s;
  for (const char* n : names) {
    Channel ch;
    ch.name = ShortText::from_utf8(n);
    s.catalogue.channels.push_back(ch);
  }
  s.visible.resize(names.size());
  std::iota(s.visible.begin(), s.visible.end(), 0);
  return s;
}
}  // namespace

TEST(Search, FindNextFromAStartPosition) {
  const ChannelListState base = searchable({"Radio FM", "Jazz fm", "Rock", "FM Hits", "\xC3\x89" "clair fm"});
  const struct {
    int start;
    const char* text;
    bool down;
    bool match_case;
    int hit;
    int position_after;
  } cases[] = {
      // Down runs towards the last row; each hit moves the position past it.
      {0, "fm", true, false, 0, 1},
      {1, "fm", true, false, 1, 2},
      {2, "fm", true, false, 3, 4},
      {4, "fm", true, false, 4, 5},
      {5, "fm", true, false, -1, 5},   // past the last hit: a miss leaves the position
      {0, "fm", true, true, 1, 2},     // match case skips "Radio FM"
      {0, "FM", true, true, 0, 1},
      {0, "rOcK", true, false, 2, 3},
      {0, "", true, false, -1, 0},     // the empty text matches nothing
      {0, "\xC3\xA9" "clair", true, false, 4, 5},  // é finds É without match case
      {0, "\xC3\xA9" "clair", true, true, -1, 0},
      {0, "\xC3\x89" "CLAIR", true, false, 4, 5},
      // Up runs towards the first row.
      {0, "fm", false, false, 0, -1},
      {3, "fm", false, false, 3, 2},
      {2, "fm", false, false, 1, 0},
      {2, "jazz", false, true, -1, 2},
      // Starts outside the list: the nearest end when the direction leads into it, never beyond.
      {-1, "fm", false, false, -1, -1},
      {-1, "fm", true, false, 0, 1},
      {10, "fm", false, false, 4, 3},
      {10, "fm", true, false, -1, 10},
  };
  for (const auto& c : cases) {
    ChannelListState s = base;
    s.search_position = c.start;
    const SearchRequest request{QString::fromUtf8(c.text), c.down, c.match_case};
    const std::string what = std::string("start ") + std::to_string(c.start) + " '" + c.text + "'" +
                             (c.down ? " down" : " up") + (c.match_case ? " case" : "");
    EXPECT_EQ(find_channel_row(s, 5, request), c.hit) << what;
    EXPECT_EQ(s.search_position, c.position_after) << what;
  }
}

// Without match case, letters of every script match in either case; with it, exactly.
TEST(Search, LettersOfEveryScriptMatchInEitherCase) {
  ChannelListState base =
      searchable({"Первый Тестовый", "ΕΛΛΗΝΙΚΗ ΡΑΔΙΟΦΩΝΙΑ", "Ελληνικό κανάλι", "ТЕСТ 2", "Plain FM"});
  // The Windows-1252 names and the UTF-8 ones alike.
  ASSERT_TRUE(base.catalogue.channels[0].name.is_utf8());
  const struct {
    const char* text;
    bool match_case;
    std::vector<int> hits;
  } cases[] = {
      {"тест", false, {0, 3}},
      {"ТЕСТ", false, {0, 3}},
      {"тест", true, {}},
      {"ТЕСТ", true, {3}},
      {"ελληνικ", false, {1, 2}},
      {"ΡΑΔΙΟΦΩΝΊΑ", false, {}},  // an accent is not a case
      {"ραδιοφωνια", false, {1}},
      {"Ελληνικ", true, {2}},
      {"fm", false, {4}},
  };
  for (const auto& c : cases) {
    ChannelListState s = base;
    s.search_position = 0;
    std::vector<int> hits;
    for (int hit; (hit = find_channel_row(s, 5, {QString::fromUtf8(c.text), true, c.match_case})) >= 0;) hits.push_back(hit);
    EXPECT_EQ(hits, c.hits) << c.text << (c.match_case ? " case" : "");
  }
}

TEST(Search, DefaultFlowFindsEveryHitInOrderThenMisses) {
  ChannelListState s = searchable({"Radio FM", "Rock", "Kiss FM", "FM4"});
  s.search_position = 0;
  const SearchRequest next{QStringLiteral("fm"), true, false};
  std::vector<int> hits;
  for (int i = 0; i < 4; ++i) hits.push_back(find_channel_row(s, 4, next));
  EXPECT_EQ(hits, (std::vector<int>{0, 2, 3, -1}));
}

TEST(Search, LooksOnlyAtTheRowsTheListShows) {
  ChannelListState s = searchable({"Hidden FM", "Rock", "Shown FM"});
  s.visible = {1, 2, 0};  // entries past the row count have no meaning
  s.search_position = 0;
  EXPECT_EQ(find_channel_row(s, 2, {QStringLiteral("hidden"), true, false}), -1);
  EXPECT_EQ(find_channel_row(s, 2, {QStringLiteral("fm"), true, false}), 1);
  // A row count beyond the visible list, or a visible entry outside the channels, is harmless.
  s.visible = {1, 99};
  s.search_position = 0;
  EXPECT_EQ(find_channel_row(s, 50, {QStringLiteral("fm"), true, false}), -1);
  s.search_position = 40;
  EXPECT_EQ(find_channel_row(s, 50, {QStringLiteral("rock"), false, false}), 0);
}

TEST(Search, NotFoundMessage) {
  EXPECT_EQ(not_found_message(QStringLiteral("fm")), QStringLiteral("Could not find \"fm\""));
}
