#include "guide/guide_matching.h"
#include "guide/guide_sources.h"
#include "guide/xmltv_reader.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <string>

TEST(GuideMatching, NamesCompareWithoutCaseAccentsPunctuationOrQuality) {
  const struct {
    const char* name;
    const char* normalised;
  } cases[] = {
      {"Das Erste HD", "daserste"},
      {"das-erste", "daserste"},
      {"  DAS  ERSTE  ", "daserste"},
      {"Das Érste (FHD)", "daserste"},
      {"Canal+ UHD", "canal"},
      {"Arte.HD", "arte"},
      {"HD", "hd"},
      {"HDTV One", "hdtvone"},
      {"ProSieben HD Austria", "prosiebenhdaustria"},
      {"Первый канал HD", "первыиканал"},
      {"Ｎｈｋ　ｗｏｒｌｄ", "nhkworld"},
      {"Çà et là", "caetla"},
      {"", ""},
      {"!!!", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(normalised_channel_name(c.name), c.normalised) << c.name;
}

TEST(GuideMatching, ManualThenTvgIdThenName) {
  const std::string document =
      "<tv><channel id=\"Erste.de\"><display-name>Das Erste</display-name></channel>"
      "<channel id=\"zdf.de\"><display-name lang=\"de\">ZDF</display-name><display-name>Zweites</display-name></channel>"
      "<channel id=\"arte.fr\"><display-name>arte</display-name></channel></tv>";
  const GuideRead read = read_guide_bytes(document, {guide_window(QDate(2026, 12, 10), QTimeZone::utc())});
  const GuideRead second = read_guide_bytes("<tv><channel id=\"extra\"><display-name>Extra HD</display-name></channel>"
                                            "<channel id=\"dup\"><display-name>Das Erste</display-name></channel></tv>",
                                            {guide_window(QDate(2026, 12, 10), QTimeZone::utc())});
  GuideIndex index;
  index.add(read.guide, 0);
  index.add(second.guide, 1);
  const std::string to_arte = "arte.fr", none, unknown = "gone";
  const struct {
    const char* what;
    ChannelToMatch channel;
    std::optional<GuideChannelRef> expected;
  } cases[] = {
      {"id, any case", {"erste.DE", "something else"}, GuideChannelRef{0, 0}},
      {"id unknown, name", {"other.id", "ZDF HD"}, GuideChannelRef{0, 1}},
      {"second display name", {"", "zweites"}, GuideChannelRef{0, 1}},
      {"second guide", {"", "extra"}, GuideChannelRef{1, 0}},
      {"first guide wins a name", {"", "das erste"}, GuideChannelRef{0, 0}},
      {"no match", {"", "Nowhere TV"}, std::nullopt},
      {"manual beats id", {"zdf.de", "ZDF", &to_arte}, GuideChannelRef{0, 2}},
      {"manual none", {"zdf.de", "ZDF", &none}, std::nullopt},
      {"manual to a channel no guide has", {"zdf.de", "ZDF", &unknown}, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(match_channel(index, c.channel), c.expected) << c.what;
}

TEST(GuideMatching, ManualMatchesSurviveARestart) {
  const QString path = guide_matches_path(quovi_test::sandbox_root() + "/data");
  EXPECT_TRUE(load_guide_matches(path).empty());
  // Channels known by id and by address; a key or an id that would break its line is not kept.
  const ManualGuideMatches matches{{"7", "zdf.de"},
                                   {"-3", ""},
                                   {"1200000", "ümlaut.id"},
                                   {"9", "bad\nid"},
                                   {"http://s.example/live.m3u8?a=1&b={X}", "arte.fr"},
                                   {"http://s.example/tab\there", "x"},
                                   {"http://s.example/line\nend", "x"}};
  ASSERT_TRUE(save_guide_matches(path, matches));
  ManualGuideMatches expected = matches;
  for (const char* dropped : {"9", "http://s.example/tab\there", "http://s.example/line\nend"}) expected.erase(dropped);
  EXPECT_EQ(load_guide_matches(path), expected);
  ASSERT_TRUE(save_guide_matches(path, {}));
  EXPECT_TRUE(load_guide_matches(path).empty());
}

TEST(GuideSmallFiles, WhatIsReadIsWrittenBackTheSame) {
  // Files as a user's editor may leave them: what the program reads of them must survive its own
  // next save unchanged, or a choice or a source would change under the user.
  const QString folder = quovi_test::sandbox_root() + "/small files";
  const QString matches_path = guide_matches_path(folder), sources_path = folder + "/sources.txt";
  ASSERT_TRUE(QDir().mkpath(QFileInfo(matches_path).absolutePath()));
  struct Case {
    const char* what;
    QByteArray matches;
    QByteArray sources;
  } cases[] = {
      {"carriage return inside an id", "5\tab\rcd\n6\tok\r\n", ""},
      {"keys as an editor may leave them", " 07 \tx\nnot a key\ty\nrtmp://a.example/live\tz\n", ""},
      {"the playlist mark after spaces", "", "  playlist\thttp://a.example/x.xml\nplaylist\thttp://b.example/y.xml\n"},
      {"the mark alone", "", "playlist\t\nplaylist\t  \n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(quovi_test::write_all(matches_path, c.matches));
    ASSERT_TRUE(quovi_test::write_all(sources_path, c.sources));
    const ManualGuideMatches matches = load_guide_matches(matches_path);
    const GuideSources sources = read_guide_sources(sources_path).list;
    ASSERT_TRUE(save_guide_matches(matches_path, matches));
    ASSERT_TRUE(save_guide_sources(sources_path, sources));
    EXPECT_EQ(load_guide_matches(matches_path), matches);
    EXPECT_EQ(read_guide_sources(sources_path).list, sources);
  }
}
