#include "services/service_addresses.h"
#include "shell/channel_table_model.h"
#include "shell/command_wiring.h"
#include "shell/context_menu.h"
#include "shell/context_menu_state.h"
#include "shell/main_window.h"
#include "shell_fixture.h"
#include "widgets/messages.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>
#include <gtest/gtest.h>

using namespace shell_test;

namespace {
// Row 0: catalogue channel with a homepage; 1: favourite; 2: user-defined; 3: no homepage.
AppState menu_state() {
  AppState s = state_with({{QStringLiteral("News"), 0, 4, 0, QStringLiteral("news.example")},
                           {QStringLiteral("Fav"), 0, 0, 0, QStringLiteral("fav.example"), 1},
                           {QStringLiteral("Mine"), 1, 0, 0, QStringLiteral("mine.example")},
                           {QStringLiteral("Bare"), 0, 0, 0, QString()}});
  return s;
}

struct Expect {
  bool watch, add_visible, add_enabled, remove_fav_visible, homepage, rate, flag, update, remove_channel;
};

void expect_state(const ContextMenuState& s, const Expect& e, const char* what) {
  EXPECT_EQ(s.watch_enabled, e.watch) << what;
  EXPECT_EQ(s.add_favorite_visible, e.add_visible) << what;
  EXPECT_EQ(s.add_favorite_enabled, e.add_enabled) << what;
  EXPECT_EQ(s.remove_favorite_visible, e.remove_fav_visible) << what;
  EXPECT_EQ(s.homepage_enabled, e.homepage) << what;
  EXPECT_EQ(s.rate_enabled, e.rate) << what;
  EXPECT_EQ(s.flag_enabled, e.flag) << what;
  EXPECT_EQ(s.update_enabled, e.update) << what;
  EXPECT_EQ(s.remove_channel_enabled, e.remove_channel) << what;
}
}  // namespace

TEST(ContextMenuState, StatesAtARightClick) {
  AppState s = menu_state();
  const ContextMenuState initial;
  expect_state(initial, {false, true, false, false, false, false, false, false, true}, "at creation");
  EXPECT_TRUE(initial.remove_favorite_enabled);

  expect_state(right_click_menu_state(initial, s, 0, 0), {true, true, true, false, true, true, true, true, false},
               "catalogue channel, TV view");
  expect_state(right_click_menu_state(initial, s, 1, 1), {true, true, false, false, true, true, true, true, false},
               "already a favourite");
  expect_state(right_click_menu_state(initial, s, 2, 2), {true, true, true, false, true, false, false, true, true},
               "user-defined channel");
  expect_state(right_click_menu_state(initial, s, 3, 3), {true, true, true, false, false, true, true, true, false},
               "no homepage");
  expect_state(right_click_menu_state(initial, s, -1, 0), {false, true, false, false, false, false, false, false, false},
               "below the last row");
  expect_state(right_click_menu_state(initial, s, 0, -1), {false, true, false, false, false, false, false, false, false},
               "nothing selected");

  // Rated and flagged marks go by channel id and disable only their own entry.
  s.catalogue.rated_ids = {s.catalogue.channels[0].id};
  expect_state(right_click_menu_state(initial, s, 0, 0), {true, true, true, false, true, false, true, true, false},
               "after 3 stars were sent");
  s.catalogue.flagged_ids = {s.catalogue.channels[0].id};
  EXPECT_FALSE(right_click_menu_state(initial, s, 0, 0).flag_enabled);
  std::swap(s.catalogue.channels[0], s.catalogue.channels[3]);  // a sort moves the channel
  EXPECT_TRUE(right_click_menu_state(initial, s, 0, 0).rate_enabled);
  EXPECT_FALSE(right_click_menu_state(initial, s, 3, 3).rate_enabled);
}

TEST(ContextMenuState, FavouritesViewSwapsThePairWhichThenStays) {
  AppState s = menu_state();
  s.catalogue.filter.group_id = 0;
  s.catalogue.filter.favorited = 1;
  const ContextMenuState in_favourites = right_click_menu_state(ContextMenuState{}, s, 1, 1);
  EXPECT_FALSE(in_favourites.add_favorite_visible);
  EXPECT_TRUE(in_favourites.remove_favorite_visible);
  EXPECT_TRUE(in_favourites.remove_favorite_enabled);

  // Below the last row: the pair keeps what the last right click on a row set.
  const ContextMenuState below = right_click_menu_state(in_favourites, s, -1, -1);
  EXPECT_TRUE(below.remove_favorite_visible);
  EXPECT_TRUE(below.remove_favorite_enabled);
  EXPECT_FALSE(below.watch_enabled);

  s.catalogue.filter.group_id = 1;
  s.catalogue.filter.favorited = 0;
  const ContextMenuState back = right_click_menu_state(below, s, 0, 0);
  EXPECT_TRUE(back.add_favorite_visible);
  EXPECT_FALSE(back.remove_favorite_visible);
}

TEST(ContextMenuState, ASelectedRowOutsideTheListIsNoRow) {
  AppState s = menu_state();
  EXPECT_FALSE(right_click_menu_state(ContextMenuState{}, s, 9, 9).watch_enabled);
  s.visible = {42};
  EXPECT_FALSE(right_click_menu_state(ContextMenuState{}, s, 0, 0).watch_enabled);
}

TEST(ContextMenu, EntriesCaptionsPicturesAndSubmenus) {
  QWidget owner;
  ChannelContextMenu menu(&owner);
  EXPECT_EQ(menu.menu()->objectName(), QStringLiteral("ChannelMenu"));
  QStringList captions;
  for (QAction* a : menu.menu()->actions()) {
    if (a->isSeparator()) {
      captions << (a->isVisible() ? QStringLiteral("-") : QStringLiteral("(-)"));
      continue;
    }
    captions << a->text();
    EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
  }
  EXPECT_EQ(captions, QStringList({"Watch/Listen", "Add to Favorites", "Remove from Fav", "-", "Visit Homepage", "(-)",
                                   "Rate Channel", "Flag Channel", "Update Channel", "Remove Channel"}));
  QStringList rates, flags;
  for (QAction* a : menu.rate()->menu()->actions()) rates << a->text();
  for (QAction* a : menu.flag()->menu()->actions()) flags << a->text();
  EXPECT_EQ(rates, QStringList({"5 stars", "4 stars", "3 stars", "2 stars", "1 star"}));
  EXPECT_EQ(flags, QStringList({"Work fine", "Not working", "Wrong info", "Duplicate", "Spam"}));
  for (const char* name : {"WatchAction", "AddFavoriteAction", "RemoveFavoriteAction", "HomepageAction", "RateAction", "FlagAction",
                           "UpdateChannelAction", "RemoveChannelAction"})
    EXPECT_NE(menu.menu()->findChild<QAction*>(QString::fromLatin1(name)), nullptr) << name;
  EXPECT_FALSE(menu.watch()->isEnabled());
  EXPECT_TRUE(menu.remove_channel()->isEnabled());
  EXPECT_FALSE(menu.remove_favorite()->isVisible());
}

namespace {
struct MenuFixture : ::testing::Test {
  AppState state = menu_state();
  MainWindow window{state};
  std::vector<QString> calls;
  std::vector<QUrl> opened;

  void SetUp() override {
    wire_commands(window, {});
    auto& h = window.hooks();
    h.rate = [this](int row, int stars) { calls.push_back(QStringLiteral("rate %1 %2").arg(row).arg(stars)); };
    h.flag = [this](int row, const QString& w) { calls.push_back(QStringLiteral("flag %1 %2").arg(row).arg(w)); };
    h.add_to_favorites = [this](int row) { calls.push_back(QStringLiteral("fav %1").arg(row)); };
    h.remove_from_favorites = [this](int row) { calls.push_back(QStringLiteral("unfav %1").arg(row)); };
    h.update_channel = [this](int row) { calls.push_back(QStringLiteral("update %1").arg(row)); };
    h.remove_channel = [this](int row) { calls.push_back(QStringLiteral("remove %1").arg(row)); };
    h.play = [this] { calls.push_back(QStringLiteral("play")); };
    window.set_url_opener([this](const QUrl& u) { opened.push_back(u); });
    window.rebuild_view();
    window.show();
    QCoreApplication::processEvents();
  }
  void TearDown() override { window.context_menu()->menu()->hide(); }

  void right_click(QPoint at, QContextMenuEvent::Reason reason = QContextMenuEvent::Mouse) {
    QWidget* viewport = window.channel_list()->viewport();
    QContextMenuEvent event(reason, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);
  }
  QPoint row_centre(int row) { return window.channel_list()->visualRect(window.model()->index(row, 0)).center(); }
  QAction* entry(const char* name) { return window.findChild<QAction*>(QString::fromLatin1(name)); }
};
}  // namespace

TEST_F(MenuFixture, RightClickSetsTheStatesAndOpensTheMenu) {
  window.select_row(2);
  right_click(row_centre(2));
  EXPECT_TRUE(window.context_menu()->menu()->isVisible());
  EXPECT_TRUE(entry("WatchAction")->isEnabled());
  EXPECT_FALSE(entry("RateAction")->isEnabled());
  EXPECT_TRUE(entry("RemoveChannelAction")->isEnabled());
  window.context_menu()->menu()->hide();

  // A menu asked for from the keyboard shows the selected row's states (tests/shell/keyboard_test.cpp).
  window.select_row(0);
  right_click(row_centre(0), QContextMenuEvent::Keyboard);
  EXPECT_TRUE(entry("RateAction")->isEnabled());
  EXPECT_FALSE(entry("RemoveChannelAction")->isEnabled());
  window.context_menu()->menu()->hide();

  right_click(QPoint(20, window.channel_list()->viewport()->height() - 2));
  EXPECT_FALSE(entry("WatchAction")->isEnabled());
  EXPECT_FALSE(entry("RemoveChannelAction")->isEnabled());
}

TEST_F(MenuFixture, ARightPressSelectsTheRowItLandsOn) {
  QWidget* viewport = window.channel_list()->viewport();
  const QPoint at = row_centre(2);
  QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::RightButton, Qt::RightButton,
                    Qt::NoModifier);
  QApplication::sendEvent(viewport, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::RightButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(viewport, &release);
  right_click(at);
  EXPECT_EQ(window.selected_row(), 2);
  EXPECT_EQ(window.channel_label()->text(), QStringLiteral("<P align=\"right\">Mine</P>"));
  EXPECT_TRUE(entry("RemoveChannelAction")->isEnabled()) << "the states are those of the user channel";
}

TEST_F(MenuFixture, EntriesRunTheirCommandsForTheSelectedRow) {
  window.select_row(0);
  window.prepare_channel_menu(0);
  window.findChild<QAction*>("Rate3StarsAction")->trigger();
  window.findChild<QAction*>("Rate1StarsAction")->trigger();
  window.findChild<QAction*>("NotWorkingAction")->trigger();
  window.findChild<QAction*>("WorksFineAction")->trigger();
  entry("AddFavoriteAction")->trigger();
  entry("RemoveFavoriteAction")->trigger();
  entry("UpdateChannelAction")->trigger();
  entry("RemoveChannelAction")->trigger();  // disabled for a catalogue channel
  entry("WatchAction")->trigger();
  window.select_row(2);
  window.prepare_channel_menu(2);
  entry("RemoveChannelAction")->trigger();
  EXPECT_EQ(calls, (std::vector<QString>{"rate 0 3", "rate 0 1", "flag 0 bad", "flag 0 ok", "fav 0", "unfav 0",
                                         "update 0", "play", "remove 2"}));
}

TEST_F(MenuFixture, VisitHomepageOpensOnlyWebPages) {
  RecordingMessageSink sink;
  window.select_row(0);
  window.prepare_channel_menu(0);
  entry("HomepageAction")->trigger();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], QUrl(QStringLiteral("http://news.example")));

  window.select_row(3);  // empty homepage: the entry is disabled, and the command does nothing
  window.prepare_channel_menu(3);
  EXPECT_FALSE(entry("HomepageAction")->isEnabled());
  window.open_homepage();
  EXPECT_EQ(opened.size(), 1u);
  EXPECT_TRUE(sink.shown.empty());

  state.catalogue.channels[0].homepage = to_packed(QStringLiteral("file:///etc/passwd"));
  window.select_row(0);
  window.prepare_channel_menu(0);
  entry("HomepageAction")->trigger();
  EXPECT_EQ(opened.size(), 1u) << "a file address is never opened";
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].kind, MessageKind::Warning);
}

TEST(MenuFeedback, ARatingSentDisablesRateButNotFlag) {
  write_service_base(QStringLiteral("feedback"), QStringLiteral("http://127.0.0.1:1"));  // nothing listens
  AppState state = menu_state();
  MainWindow window(state);
  wire_commands(window, {});
  window.rebuild_view();
  window.select_row(0);
  window.prepare_channel_menu(0);
  window.findChild<QAction*>(QStringLiteral("Rate3StarsAction"))->trigger();
  window.prepare_channel_menu(0);
  EXPECT_FALSE(window.findChild<QAction*>(QStringLiteral("RateAction"))->isEnabled());
  EXPECT_TRUE(window.findChild<QAction*>(QStringLiteral("FlagAction"))->isEnabled());
  window.findChild<QAction*>(QStringLiteral("DuplicateAction"))->trigger();
  window.prepare_channel_menu(0);
  EXPECT_FALSE(window.findChild<QAction*>(QStringLiteral("FlagAction"))->isEnabled());
  // Another channel keeps both.
  window.select_row(3);
  window.prepare_channel_menu(3);
  EXPECT_TRUE(window.findChild<QAction*>(QStringLiteral("RateAction"))->isEnabled());
}
