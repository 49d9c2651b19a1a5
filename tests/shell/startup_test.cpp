#include "catalogue/date_time.h"
#include "message_box_probe.h"
#include "shell/outdated.h"
#include "shell/splash_screen.h"
#include "widgets/messages.h"

#include <QLabel>
#include <gtest/gtest.h>

#include <ctime>

TEST(Outdated, WholeDaysEitherWay) {
  const QDateTime now(QDate(2026, 6, 15), QTime(12, 0), Qt::LocalTime);
  struct Case { const char* what; QDateTime stamp; bool outdated; };
  const Case cases[] = {
      {"14 days 23 hours old", now.addDays(-14).addSecs(-23 * 3600), false},
      {"15 days old", now.addDays(-15), true},
      {"20 days in the future", now.addDays(20), true},
      {"fresh", now.addSecs(-60), false},
  };
  for (const Case& c : cases) EXPECT_EQ(catalogue_outdated(to_serial_date(c.stamp), now), c.outdated) << c.what;
  // No stamp at all lies in 1899.
  EXPECT_TRUE(catalogue_outdated(0, now));
}

namespace {
// Puts the process into a time zone for the life of the object, and back afterwards.
class LocalTimeZone {
 public:
  explicit LocalTimeZone(const char* zone) : had_(qEnvironmentVariableIsSet("TZ")), before_(qgetenv("TZ")) {
    qputenv("TZ", zone);
    tzset();
  }
  ~LocalTimeZone() {
    if (had_)
      qputenv("TZ", before_);
    else
      qunsetenv("TZ");
    tzset();
  }

 private:
  bool had_;
  QByteArray before_;
};

// A stamp as the catalogue holds it, made from the clock's reading without passing through a
// QDateTime (which would move a time the clock skipped).
double serial_of(QDate date, QTime time) {
  return static_cast<double>(QDate(1899, 12, 30).daysTo(date)) + time.msecsSinceStartOfDay() / 86400000.0;
}
}  // namespace

// The days are counted between the two clock readings. Across a change of daylight saving, the time
// that passed differs from that by an hour, which must not decide.
TEST(Outdated, CountsClockDaysAcrossDaylightSavingChanges) {
  LocalTimeZone berlin("Europe/Berlin");  // summer time ends 2024-10-27 03:00, begins 2024-03-31 02:00
  ASSERT_EQ(QDateTime(QDate(2024, 7, 1), QTime(12, 0)).offsetFromUtc(), 7200) << "no zone data for Europe/Berlin";
  struct Case {
    const char* what;
    QDate stamp_date;
    QTime stamp_time;
    QDate now_date;
    QTime now_time;
    bool outdated;
  };
  const Case cases[] = {
      // 15 days and half an hour have passed, the clock says 14 days 23.5 hours.
      {"autumn, 14 days 23.5 hours", {2024, 10, 17}, {12, 30}, {2024, 11, 1}, {12, 0}, false},
      {"autumn, 15 days", {2024, 10, 17}, {12, 0}, {2024, 11, 1}, {12, 0}, true},
      // 14 days 23.5 hours have passed, the clock says 15 days and half an hour.
      {"spring, 15 days 0.5 hours", {2024, 3, 21}, {11, 30}, {2024, 4, 5}, {12, 0}, true},
      {"spring, 14 days 23 hours", {2024, 3, 21}, {13, 0}, {2024, 4, 5}, {12, 0}, false},
      {"stamped in the skipped hour", {2024, 3, 31}, {2, 30}, {2024, 4, 15}, {2, 45}, true},
      {"stamp ahead across the change", {2024, 11, 1}, {12, 0}, {2024, 10, 17}, {12, 30}, false},
  };
  for (const Case& c : cases) {
    const QDateTime now(c.now_date, c.now_time, Qt::LocalTime);
    EXPECT_EQ(catalogue_outdated(serial_of(c.stamp_date, c.stamp_time), now), c.outdated) << c.what;
  }
}

TEST(SerialDate, RoundTripsAStamp) {
  const QDateTime stamp(QDate(2013, 1, 31), QTime(15, 30), Qt::LocalTime);
  EXPECT_NEAR(to_serial_date(stamp), 41305.645833, 1e-5);
  EXPECT_EQ(from_serial_date(to_serial_date(stamp)), stamp);
}

TEST(Splash, SizeAndText) {
  SplashScreen splash;
  splash.show_now();
  EXPECT_EQ(splash.size(), QSize(251, 60));
  auto* label = splash.findChild<QLabel*>(QStringLiteral("SplashLabel"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), QStringLiteral("Please wait ..."));
  EXPECT_EQ(label->pos(), QPoint(89, 23));
}

// The splash stays on top of every window; a box shown while it is up (the damaged catalogue, the
// favourites and user files at start-up) stays on top as well and, shown after it, comes above it.
// Other boxes stay in their place among the desktop's windows.
TEST(Splash, ABoxShownMeanwhileComesAboveIt) {
  const auto error = [] { show_error(nullptr, QStringLiteral("The channel list could not be loaded.")); };
  const auto question = [] { ask_yes_no(nullptr, QStringLiteral("Would you like to download it?")); };
  auto seen = quovi_test::probe_message_box(error);
  ASSERT_TRUE(seen);
  EXPECT_FALSE(seen->stays_on_top);
  {
    SplashScreen splash;
    splash.show_now();
    seen = quovi_test::probe_message_box(error);
    ASSERT_TRUE(seen);
    EXPECT_TRUE(seen->stays_on_top);
    seen = quovi_test::probe_message_box(question, QMessageBox::No);
    ASSERT_TRUE(seen);
    EXPECT_TRUE(seen->stays_on_top);
  }
  seen = quovi_test::probe_message_box(error);
  ASSERT_TRUE(seen);
  EXPECT_FALSE(seen->stays_on_top);
}
