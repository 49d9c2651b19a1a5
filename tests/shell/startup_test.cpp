#include "catalogue/date_time.h"
#include "shell/outdated.h"
#include "shell/splash_screen.h"

#include <QLabel>
#include <gtest/gtest.h>

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
