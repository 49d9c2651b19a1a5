#include "guide/guide_library.h"
#include "guide/guide_panel.h"
#include "test_env.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLabel>
#include <QSignalSpy>
#include <QTreeWidget>

namespace {
std::string guide_time(const QDateTime& t) { return t.toString(QStringLiteral("yyyyMMddHHmmss")).toStdString() + " +0000"; }

// "News" with a programme running now that has a description (in markup of its own) and the next
// one without.
QByteArray guide_with_descriptions() {
  const QDateTime now = QDateTime::currentDateTimeUtc();
  return QByteArray::fromStdString(
      "<tv><channel id=\"news.example\"><display-name>News</display-name></channel>"
      "<programme start=\"" + guide_time(now.addSecs(-600)) + "\" stop=\"" + guide_time(now.addSecs(600)) +
      "\" channel=\"news.example\"><title>Evening news</title><desc>&lt;b&gt;Headlines&lt;/b&gt; of the day</desc></programme>"
      "<programme start=\"" + guide_time(now.addSecs(600)) + "\" stop=\"" + guide_time(now.addSecs(1800)) +
      "\" channel=\"news.example\"><title>Weather</title></programme></tv>");
}

QTreeWidgetItem* row_titled(QTreeWidget* day, const QString& title) {
  const auto found = day->findItems(title, Qt::MatchExactly, 1);
  return found.isEmpty() ? nullptr : found.front();
}
}  // namespace

TEST(GuidePanel, TheDescriptionTakesRoomOnlyForAProgrammeThatHasOneAndShowsItsTextAsItStands) {
  const QString root = quovi_test::sandbox_root();
  const QString file = root + "/panel guide.xml";
  ASSERT_TRUE(quovi_test::write_all(file, guide_with_descriptions()));
  GuideLibrary library(root + "/panel/sources.txt", root + "/panel/cache", root + "/panel/matches.txt");
  QSignalSpy read(&library, &GuideLibrary::guides_changed);
  library.add_source(file);
  ASSERT_TRUE(wait_until([&] { return read.count() > 0; }, 10000));

  GuidePanel panel(library);
  panel.show();
  panel.show_channel(7, QStringLiteral("News"), {});
  auto* day = panel.findChild<QTreeWidget*>(QStringLiteral("GuideDay"));
  auto* description = panel.findChild<QLabel*>(QStringLiteral("GuideDescription"));
  ASSERT_TRUE(day && description);

  // The running programme is chosen as the panel opens.
  ASSERT_EQ(day->currentItem(), row_titled(day, "Evening news"));
  EXPECT_TRUE(description->isVisible());
  EXPECT_EQ(description->text(), "<b>Headlines</b> of the day");
  EXPECT_EQ(description->textFormat(), Qt::PlainText);

  QCoreApplication::processEvents();
  const int list_above_description = day->height();
  // Nothing to describe: no blank band, the list has the room.
  day->setCurrentItem(row_titled(day, "Weather"));
  QCoreApplication::processEvents();
  EXPECT_FALSE(description->isVisible());
  EXPECT_GT(day->height(), list_above_description);
}
