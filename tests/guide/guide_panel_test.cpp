#include "guide/guide_library.h"
#include "guide/guide_panel.h"
#include "test_env.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

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

// A library in the test's own folder that has read guide_with_descriptions(); null when it could not.
std::unique_ptr<GuideLibrary> library_with_descriptions() {
  const QString root = quovi_test::sandbox_root();
  const QString file = root + "/panel guide.xml";
  if (!quovi_test::write_all(file, guide_with_descriptions())) return nullptr;
  auto library = std::make_unique<GuideLibrary>(root + "/panel/sources.txt", root + "/panel/cache", root + "/panel/matches.txt");
  QSignalSpy read(library.get(), &GuideLibrary::guides_changed);
  library->add_source(file);
  if (!wait_until([&] { return read.count() > 0; }, 10000)) return nullptr;
  return library;
}

QTreeWidgetItem* row_titled(QTreeWidget* day, const QString& title) {
  const auto found = day->findItems(title, Qt::MatchExactly, 1);
  return found.isEmpty() ? nullptr : found.front();
}
}  // namespace

TEST(GuidePanel, TheDescriptionTakesRoomOnlyForAProgrammeThatHasOneAndShowsItsTextAsItStands) {
  const std::unique_ptr<GuideLibrary> library = library_with_descriptions();
  ASSERT_TRUE(library);
  GuidePanel panel(*library);
  panel.show();
  panel.show_channel("7", QStringLiteral("News"), {});
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

// A channel shows its guide whatever it is known by; a choice by hand is offered only for a channel
// with a key to keep it under.
TEST(GuidePanel, AMatchByHandIsOfferedForAChannelWithAKey) {
  const std::unique_ptr<GuideLibrary> library = library_with_descriptions();
  ASSERT_TRUE(library);
  GuidePanel panel(*library);
  panel.show();
  auto* day = panel.findChild<QTreeWidget*>(QStringLiteral("GuideDay"));
  ASSERT_TRUE(day);
  const auto button = [&](const char* text) {
    for (QPushButton* b : panel.findChildren<QPushButton*>())
      if (b->text() == QLatin1String(text)) return b;
    return static_cast<QPushButton*>(nullptr);
  };
  ASSERT_TRUE(button("Set Match...") && button("Clear Match"));

  const struct {
    const char* key;
    bool by_hand;
  } cases[] = {{"7", true}, {"http://s.example/news", true}, {"", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    panel.show_channel(c.key, QStringLiteral("News"), {});
    EXPECT_NE(row_titled(day, "Evening news"), nullptr);
    EXPECT_EQ(button("Set Match...")->isEnabled(), c.by_hand);
    EXPECT_EQ(button("Clear Match")->isEnabled(), c.by_hand);
  }
  panel.show_no_channel();
  EXPECT_EQ(day->topLevelItemCount(), 0);
  EXPECT_FALSE(button("Set Match...")->isEnabled());

  // Nor does the library keep one without a key.
  library->set_manual_match("", "");
  EXPECT_EQ(library->manual_matches().count(""), 0u);
  library->set_manual_match("http://s.example/news", "");
  EXPECT_EQ(library->manual_matches().count("http://s.example/news"), 1u);
}

// The sources list the guides a playlist named with the playlist's name, and Remove takes off the
// guide itself whatever the row says.
TEST(GuidePanel, ListsAPlaylistsGuidesWithItsName) {
  const QString root = quovi_test::sandbox_root();
  GuideLibrary library(root + "/panel/sources.txt", root + "/panel/cache", root + "/panel/matches.txt");
  library.add_source(root + "/mine.xml");
  library.take_playlist_guides(4, {"http://127.0.0.1:9/named.xml"});
  library.cancel();
  GuidePanel panel(library);
  panel.playlist_name_of = [](uint16_t id) { return id == 4 ? QStringLiteral("<b>Community</b> list") : QString(); };
  panel.show_sources();
  auto* list = panel.findChild<QListWidget*>(QStringLiteral("GuideSources"));
  ASSERT_TRUE(list);
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), root + "/mine.xml");
  EXPECT_EQ(list->item(1)->text(), "http://127.0.0.1:9/named.xml  (from the playlist <b>Community</b> list)");

  list->setCurrentRow(1);
  for (QPushButton* b : panel.findChildren<QPushButton*>())
    if (b->text() == QLatin1String("Remove")) b->click();
  EXPECT_EQ(library.sources(), (std::vector<GuideSource>{{root + "/mine.xml", false, 0}}));
  ASSERT_EQ(list->count(), 1);
  ASSERT_TRUE(wait_until([&] { return !library.busy(); }, 10000));
}

// The channel's name comes from a catalogue or a playlist: the question of a match by hand shows it
// as it stands.
TEST(GuidePanel, SetMatchShowsTheChannelNameAsTyped) {
  const std::unique_ptr<GuideLibrary> library = library_with_descriptions();
  ASSERT_TRUE(library);
  GuidePanel panel(*library);
  panel.show();
  panel.show_channel("7", QStringLiteral("<h1>Big</h1> news"), {});
  QPushButton* set_match = nullptr;
  for (QPushButton* b : panel.findChildren<QPushButton*>())
    if (b->text() == QLatin1String("Set Match...")) set_match = b;
  ASSERT_TRUE(set_match && set_match->isEnabled());
  QString text;
  Qt::TextFormat format = Qt::AutoText;
  QTimer::singleShot(0, &panel, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog) return;
    if (const QLabel* label = dialog->findChild<QLabel*>()) {
      text = label->text();
      format = label->textFormat();
    }
    dialog->close();
  });
  set_match->click();
  EXPECT_EQ(text, QStringLiteral("Guide channel for <h1>Big</h1> news:"));
  EXPECT_EQ(format, Qt::PlainText);
}
