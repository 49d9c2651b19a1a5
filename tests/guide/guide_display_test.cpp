#include "guide/guide_display.h"
#include "guide/guide_set.h"
#include "guide/xmltv_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace {
// Berlin, 2026-12-10: programmes given in UTC, shown an hour later.
const QTimeZone kBerlin("Europe/Berlin");

GuideSet one_guide(const std::string& programmes) {
  GuideSet set;
  set.window = guide_window(QDate(2026, 12, 10), kBerlin);
  GuideRead read = read_guide_bytes("<tv><channel id=\"c\"><display-name>C</display-name></channel>" + programmes + "</tv>",
                                    {set.window});
  set.index.add(read.guide, 0);
  set.guides.push_back(std::move(read.guide));
  return set;
}

int64_t utc(int day, int hour, int minute = 0) { return days_from_civil(2026, 12, day) * 86400 + hour * 3600 + minute * 60; }
}  // namespace

TEST(GuideDisplay, NowAndNextWithProgressInTheUsersZone) {
  const GuideSet set = one_guide(
      "<programme start=\"20261210190000\" stop=\"20261210200000\" channel=\"c\"><title>News</title></programme>"
      "<programme start=\"20261210200000\" channel=\"c\"><title>Film</title></programme>"
      "<programme start=\"20261210220000\" channel=\"c\"><title>Late</title></programme>");
  const GuideChannelRef c{0, 0};
  const struct {
    int64_t when;
    const char* now;
    const char* next;
    int progress;
  } cases[] = {
      {utc(10, 18), "", "20:00\u201321:00  News", -1},
      {utc(10, 19, 15), "20:00\u201321:00  News", "21:00\u201323:00  Film", 25},
      {utc(10, 21, 59), "21:00\u201323:00  Film", "23:00  Late", 99},
      {utc(10, 23), "", "", -1},
  };
  for (const auto& k : cases) {
    const NowNextTexts texts = now_next_texts(set, c, k.when, kBerlin);
    EXPECT_EQ(texts.now, QString::fromUtf8(k.now)) << k.when;
    EXPECT_EQ(texts.next, QString::fromUtf8(k.next)) << k.when;
    EXPECT_EQ(texts.progress, k.progress) << k.when;
  }
  EXPECT_EQ(now_next_texts(set, std::nullopt, utc(10, 19), kBerlin).tooltip("C"), "C");
  EXPECT_EQ(now_next_texts(set, c, utc(10, 19), kBerlin).tooltip("C"),
            QString::fromUtf8("C\nNow: 20:00\u201321:00  News\nNext: 21:00\u201323:00  Film"));
}

TEST(GuideDisplay, TheDayListsTodayAndTomorrowOnceEach) {
  const GuideSet set = one_guide(
      "<programme start=\"20261209223000\" stop=\"20261209233000\" channel=\"c\"><title>Over midnight</title></programme>"
      "<programme start=\"20261210120000\" stop=\"20261210130000\" channel=\"c\"><title>Noon</title><sub-title>Episode 1</sub-title>"
      "<desc>What happens.</desc></programme>"
      "<programme start=\"20261210223000\" stop=\"20261211003000\" channel=\"c\"><title>Into tomorrow</title></programme>"
      "<programme start=\"20261211080000\" stop=\"20261211090000\" channel=\"c\"><title>Morning</title></programme>"
      "<programme start=\"20261212080000\" stop=\"20261212090000\" channel=\"c\"><title>Day after</title></programme>");
  std::vector<std::string> listed;
  for (const GuideDayRow& row : guide_day_rows(set, {0, 0}, QDate(2026, 12, 10), utc(10, 12, 30), kBerlin))
    listed.push_back(row.day.isEmpty() ? (row.time + " " + row.title + "|" + row.sub_title + "|" + row.description +
                                          (row.running ? " *" : "")).toStdString()
                                       : "# " + row.day.toStdString());
  EXPECT_EQ(listed, (std::vector<std::string>{"# Today", "23:30\u201300:30 Over midnight||",
                                              "13:00\u201314:00 Noon|Episode 1|What happens. *",
                                              "23:30\u201301:30 Into tomorrow||", "# Tomorrow",
                                              "09:00\u201310:00 Morning||"}));
}

// A playlist whose guide is off by some hours (tvg-shift) shows its channels' programmes moved by
// them: what runs, its progress, the times shown and the day each falls on.
TEST(GuideDisplay, AShiftMovesTheGuidesTimes) {
  const GuideSet set = one_guide(
      "<programme start=\"20261210190000\" stop=\"20261210200000\" channel=\"c\"><title>News</title></programme>"
      "<programme start=\"20261210200000\" stop=\"20261210220000\" channel=\"c\"><title>Film</title></programme>"
      "<programme start=\"20261210220000\" stop=\"20261210230000\" channel=\"c\"><title>Late</title></programme>");
  const GuideChannelRef c{0, 0};
  const NowNextTexts later = now_next_texts(set, c, utc(10, 21, 15), kBerlin, 2 * 3600);
  EXPECT_EQ(later.now, QString::fromUtf8("22:00\u201323:00  News"));
  EXPECT_EQ(later.next, QString::fromUtf8("23:00\u201301:00  Film"));
  EXPECT_EQ(later.progress, 25);

  std::vector<std::string> listed;
  for (const GuideDayRow& row : guide_day_rows(set, c, QDate(2026, 12, 10), utc(10, 21, 15), kBerlin, 2 * 3600))
    listed.push_back(row.day.isEmpty() ? (row.time + " " + row.title + (row.running ? " *" : "")).toStdString()
                                       : "# " + row.day.toStdString());
  EXPECT_EQ(listed, (std::vector<std::string>{"# Today", "22:00\u201323:00 News *", "23:00\u201301:00 Film",
                                              "# Tomorrow", "01:00\u201302:00 Late"}));
}
