// The rules of the live features that need no player: stream titles, their history, and when a
// dropped stream is tried again.
#include "playback/now_playing.h"
#include "playback/reconnect_schedule.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QStringList>

using namespace std::chrono_literals;

TEST(NowPlaying, TitlesAreMadePlainBoundedAndOnOneLine) {
  struct Case {
    QString raw;
    QString shown;
  };
  const QString long_title(500, QLatin1Char('a'));
  // A character outside the basic plane right at the cut must not be split in two.
  const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\xB5");
  const QString at_cut = QString(kNowPlayingMaxLength - 4, QLatin1Char('b')) + emoji + QStringLiteral("tail");
  const Case cases[] = {
      {QStringLiteral("Artist - Song"), QStringLiteral("Artist - Song")},
      {QStringLiteral("  Artist\t-\r\nSong  "), QStringLiteral("Artist - Song")},
      {QStringLiteral("Ar\x01tist\x7f - So\x1bng"), QStringLiteral("Artist - Song")},
      // Direction overrides and zero-width characters could make the title read as something else.
      {QStringLiteral("abc\u202Eevil\u202C\u200Bdef"), QStringLiteral("abcevildef")},
      // Tag characters, outside the basic plane, are invisible formatting as well.
      {QStringLiteral("ab") + QString::fromUcs4(U"\U000E0041\U000E0042") + QStringLiteral("c"), QStringLiteral("abc")},
      {QStringLiteral("<b>bold</b> & more"), QStringLiteral("<b>bold</b> & more")},  // text, not markup
      {QStringLiteral("\x02\x03 \n"), QString()},
      {long_title, QString(kNowPlayingMaxLength - 3, QLatin1Char('a')) + QStringLiteral("...")},
      {QStringLiteral("x") + QChar(0xD800) + QStringLiteral("y"), QStringLiteral("xy")},  // lone surrogate
  };
  for (const Case& c : cases) EXPECT_EQ(clean_title(c.raw), c.shown) << c.raw.toStdString();
  const QString cut = clean_title(at_cut);
  EXPECT_LE(cut.size(), kNowPlayingMaxLength);
  EXPECT_TRUE(cut.endsWith(QStringLiteral("...")));
  EXPECT_FALSE(cut.contains(QChar(0xD83C)) && !cut.contains(emoji)) << "half a character kept";
}

TEST(NowPlaying, IcyTitleFirstThenMediaTitleUnlessItIsOnlyTheAddress) {
  struct Case {
    QString icy, media, url, shown;
  };
  const QString url = QStringLiteral("http://radio.example/live/stream%20one.mp3?x=1");
  const Case cases[] = {
      {QStringLiteral("Artist - Song"), QStringLiteral("Station"), url, QStringLiteral("Artist - Song")},
      {QString(), QStringLiteral("Evening News"), url, QStringLiteral("Evening News")},
      {QStringLiteral(" \x01 "), QStringLiteral("Evening News"), url, QStringLiteral("Evening News")},
      // mpv's stand-ins when a stream names nothing: the address, or its last part.
      {QString(), url, url, QString()},
      {QString(), QStringLiteral("stream one.mp3"), url, QString()},
      {QString(), QStringLiteral("stream%20one.mp3"), url, QString()},
      {QString(), QStringLiteral("live"), QStringLiteral("http://radio.example/live"), QString()},
      {QString(), QString(), url, QString()},
  };
  for (const Case& c : cases)
    EXPECT_EQ(now_playing_title(c.icy, c.media, c.url), c.shown) << c.icy.toStdString() << "|" << c.media.toStdString();
}

TEST(NowPlaying, HistoryKeepsTheLastTwentyChangesOfEachChannel) {
  TitleHistory history;
  const QDateTime start(QDate(2026, 12, 10), QTime(21, 0, 0));
  for (int i = 0; i < 30; ++i) {
    history.add(QStringLiteral("a"), QStringLiteral("song %1").arg(i), start.addSecs(i));
    history.add(QStringLiteral("a"), QStringLiteral("song %1").arg(i), start.addSecs(i));  // sent again
  }
  history.add(QStringLiteral("b"), QStringLiteral("other"), start);
  history.add(QStringLiteral("b"), QString(), start);  // nothing to keep

  const auto a = history.titles(QStringLiteral("a"));
  ASSERT_EQ(a.size(), TitleHistory::kTitlesPerChannel);
  EXPECT_EQ(a.front().title, QStringLiteral("song 10"));
  EXPECT_EQ(a.back().title, QStringLiteral("song 29"));
  ASSERT_EQ(history.titles(QStringLiteral("b")).size(), 1u);
  EXPECT_TRUE(history.titles(QStringLiteral("c")).empty());

  // A title that comes back after another one is a new entry.
  history.add(QStringLiteral("b"), QStringLiteral("again"), start.addSecs(1));
  history.add(QStringLiteral("b"), QStringLiteral("other"), start.addSecs(2));
  EXPECT_EQ(recent_title_lines(history.titles(QStringLiteral("b"))),
            (QStringList{QStringLiteral("21:00:02  other"), QStringLiteral("21:00:01  again"),
                         QStringLiteral("21:00:00  other")}));
}

TEST(NowPlaying, HistoryForgetsTheLeastRecentlyHeardChannelsFirst) {
  TitleHistory history;
  const QDateTime at = QDateTime::currentDateTime();
  history.add(QStringLiteral("kept"), QStringLiteral("t"), at);
  for (size_t i = 0; i < TitleHistory::kChannelsKept; ++i) {
    history.add(QString::number(i), QStringLiteral("t"), at);
    history.add(QStringLiteral("kept"), QStringLiteral("t"), at);  // heard again: stays
  }
  EXPECT_EQ(history.titles(QStringLiteral("kept")).size(), 1u);
  EXPECT_TRUE(history.titles(QStringLiteral("0")).empty());
  EXPECT_EQ(history.titles(QString::number(TitleHistory::kChannelsKept - 1)).size(), 1u);
}

TEST(Reconnect, TriesAfterOneTwoFourEightSixteenThenEveryThirtySecondsForFiveMinutes) {
  ReconnectSchedule schedule;
  using Clock = ReconnectSchedule::Clock;
  const Clock::time_point drop{std::chrono::hours(100)};
  // Each try fails at once: the tries fall at these times after the drop.
  std::vector<std::chrono::seconds> tries;
  Clock::time_point next = schedule.dropped(drop);
  for (int guard = 0; guard < 100; ++guard) {
    tries.push_back(std::chrono::duration_cast<std::chrono::seconds>(next - drop));
    const auto after = schedule.try_failed(next);
    if (!after) break;
    next = *after;
  }
  const std::vector<std::chrono::seconds> expected{1s,   3s,   7s,   15s,  31s,  61s,  91s,
                                                   121s, 151s, 181s, 211s, 241s, 271s};
  EXPECT_EQ(tries, expected);
  EXPECT_FALSE(schedule.active());
}

TEST(Reconnect, SlowTriesCountAgainstTheSameFiveMinutesAndANewDropStartsAfresh) {
  ReconnectSchedule schedule;
  using Clock = ReconnectSchedule::Clock;
  const Clock::time_point drop{std::chrono::hours(1)};
  EXPECT_EQ(schedule.dropped(drop), drop + 1s);
  ASSERT_TRUE(schedule.active());
  // The first try took its time before it failed: the next wait starts from its failure.
  EXPECT_EQ(schedule.try_failed(drop + 20s), drop + 22s);
  EXPECT_EQ(schedule.try_failed(drop + 250s), drop + 254s);
  EXPECT_EQ(schedule.try_failed(drop + 295s), std::nullopt);  // 295 s + 8 s is past the five minutes
  EXPECT_FALSE(schedule.active());
  EXPECT_EQ(schedule.try_failed(drop + 296s), std::nullopt);

  // The stream played again and dropped later: a new five minutes, from the first wait.
  EXPECT_EQ(schedule.dropped(drop + 1000s), drop + 1001s);
  EXPECT_EQ(schedule.try_failed(drop + 1001s), drop + 1003s);
  schedule.end();
  EXPECT_FALSE(schedule.active());
  EXPECT_EQ(schedule.try_failed(drop + 1003s), std::nullopt);
}
