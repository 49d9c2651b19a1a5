// The main window from the keyboard, with the keys a user presses: Enter plays the selected row,
// Tab reaches the player buttons, the Menu key and Shift+F10 open the selected row's menu.
#include "playback/player_control.h"
#include "shell/channel_table_model.h"
#include "shell/command_wiring.h"
#include "shell/context_menu.h"
#include "shell/main_window.h"
#include "shell_fixture.h"
#include "stand_in_player.h"
#include "widgets/messages.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <iterator>

using namespace shell_test;

namespace {
struct KeyboardFixture : ::testing::Test {
  // Row 0: catalogue channel with a homepage; 1: another one; 2: a channel of the user's.
  AppState state = state_with({{.name = QStringLiteral("Alpha"), .homepage = QStringLiteral("alpha.example")},
                               {.name = QStringLiteral("Beta"), .url = QStringLiteral("http://127.0.0.1:9/beta")},
                               {.name = QStringLiteral("Mine"), .user_defined = 1}});
  MainWindow window{state};
  PlayerControl* control = new PlayerControl(state, &window, &window);
  StandInPlayer* player = new StandInPlayer(control);
  RecordingMessageSink sink;

  void SetUp() override {
    window.attach_player_control(control);
    control->attach(player);
    wire_commands(window, {.player = control});
    window.rebuild_view();
    window.move(0, 0);  // the menu opens where it is put, not pushed back onto the screen
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }
  void TearDown() override { menu()->hide(); }

  QTableView* list() { return window.channel_list(); }
  QMenu* menu() { return window.context_menu()->menu(); }
  QAction* entry(const char* name) { return window.findChild<QAction*>(QString::fromLatin1(name)); }
  QWidget* focused() { return QApplication::focusWidget(); }
  QString focused_name() { return focused() ? focused()->objectName() : QStringLiteral("(none)"); }
};
}  // namespace

TEST_F(KeyboardFixture, EnterAndReturnPlayTheSelectedRow) {
  ASSERT_EQ(focused(), list()) << "the list has the keyboard when the window opens";
  QTest::keyClick(list(), Qt::Key_Return);
  EXPECT_EQ(player->count("play"), 0) << "no row selected: nothing to play";

  QTest::keyClick(list(), Qt::Key_Space);  // selects the current row, the first
  QTest::keyClick(list(), Qt::Key_Down);
  ASSERT_EQ(window.selected_row(), 1);
  EXPECT_EQ(player->url, QStringLiteral("http://127.0.0.1:9/beta")) << "selecting loads";
  EXPECT_EQ(player->count("play"), 0);

  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int plays;
  } cases[] = {
      {Qt::Key_Return, Qt::NoModifier, 1},     {Qt::Key_Enter, Qt::KeypadModifier, 1},
      {Qt::Key_Return, Qt::ShiftModifier, 0},  {Qt::Key_Return, Qt::ControlModifier, 0},
      {Qt::Key_Enter, Qt::AltModifier, 0},     {Qt::Key_Space, Qt::NoModifier, 0},
  };
  for (const auto& c : cases) {
    player->calls.clear();
    QTest::keyClick(list(), c.key, c.modifiers);
    EXPECT_EQ(player->count("play"), c.plays) << c.key << " " << c.modifiers;
    if (c.plays) {
      // Loaded again, then played, as a double click does.
      EXPECT_EQ(player->calls.join(' ').toStdString(), "url:http://127.0.0.1:9/beta play");
      EXPECT_TRUE(window.play_button()->isHidden()) << "playing puts Pause in the place";
    }
  }
  EXPECT_EQ(window.selected_row(), 1);
}

TEST_F(KeyboardFixture, TabGoesFromTheListThroughThePlayerButtonsAndRoundTheWindow) {
  window.select_row(0);
  ASSERT_EQ(focused(), list());
  const QStringList ring = {"PlayButton",     "FullscreenButton", "FavoriteButton", "RecordButton", "MuteButton",
                            "VolumeButton",
                            "TvViewButton",   "RadioViewButton",  "VideoViewButton", "FavoritesViewButton",
                            "UpdateButton",   "SubmitButton",     "CountryCombo",   "SearchButton",
                            "FilterButton",   "ChannelList"};
  QStringList reached;
  for (int i = 0; i < ring.size(); ++i) {
    QTest::keyClick(focused(), Qt::Key_Tab);
    reached << focused_name();
  }
  EXPECT_EQ(reached.join(' ').toStdString(), ring.join(' ').toStdString());

  QTest::keyClick(focused(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(focused_name().toStdString(), "FilterButton");
  QTest::keyClick(focused(), Qt::Key_Tab);
  QTest::keyClick(focused(), Qt::Key_Tab);
  ASSERT_EQ(focused(), window.play_button());

  // Space presses the focused button; the focus moves to the button that takes its place.
  QTest::keyClick(focused(), Qt::Key_Space);
  EXPECT_EQ(player->count("play"), 1);
  EXPECT_EQ(focused(), window.pause_button());
  QTest::keyClick(focused(), Qt::Key_Space);
  EXPECT_EQ(player->count("stop"), 2) << "one at creation, one from Pause (TV view)";
  EXPECT_EQ(focused(), window.play_button());
  QTest::keyClick(focused(), Qt::Key_Tab);
  QTest::keyClick(focused(), Qt::Key_Tab);
  QTest::keyClick(focused(), Qt::Key_Tab);
  ASSERT_EQ(focused(), window.record_button());
  QTest::keyClick(focused(), Qt::Key_Tab);
  ASSERT_EQ(focused(), window.mute_button());
  QTest::keyClick(focused(), Qt::Key_Space);
  EXPECT_TRUE(player->muted);
  EXPECT_EQ(focused(), window.unmute_button());

  // A click with the mouse leaves the keyboard on the list.
  list()->setFocus();
  QTest::mouseClick(window.fullscreen_button(), Qt::LeftButton);
  EXPECT_EQ(focused(), list());
}

TEST_F(KeyboardFixture, MenuKeyAndShiftF10OpenTheSelectedRowsMenuAtTheRow) {
  const auto opened_at_row = [&](int row) {
    const QRect cell = list()->visualRect(window.model()->index(row, 0));
    const QRect on_screen(list()->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    return menu()->isVisible() && menu()->x() > on_screen.left() && menu()->x() < on_screen.right() &&
           menu()->y() > on_screen.top() && menu()->y() <= on_screen.bottom() + 2;
  };

  // A catalogue channel: the states are its own, not those at creation.
  QTest::keyClick(list(), Qt::Key_Space);
  ASSERT_EQ(window.selected_row(), 0);
  QTest::keyClick(list(), Qt::Key_Menu);
  EXPECT_TRUE(opened_at_row(0));
  EXPECT_TRUE(entry("WatchAction")->isEnabled());
  EXPECT_TRUE(entry("AddFavoriteAction")->isEnabled());
  EXPECT_TRUE(entry("HomepageAction")->isEnabled());
  EXPECT_TRUE(entry("RateAction")->isEnabled());
  EXPECT_FALSE(entry("RemoveChannelAction")->isEnabled());
  menu()->hide();

  // A channel of the user's, with Shift+F10.
  QTest::keyClick(list(), Qt::Key_Down);
  QTest::keyClick(list(), Qt::Key_Down);
  ASSERT_EQ(window.selected_row(), 2);
  QTest::keyClick(list(), Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_TRUE(opened_at_row(2));
  EXPECT_TRUE(entry("WatchAction")->isEnabled());
  EXPECT_FALSE(entry("RateAction")->isEnabled());
  EXPECT_FALSE(entry("HomepageAction")->isEnabled());
  EXPECT_TRUE(entry("RemoveChannelAction")->isEnabled());

  // The menu works from the keyboard: Watch/Listen is its first entry.
  QTest::keyClick(menu(), Qt::Key_Down);
  QTest::keyClick(menu(), Qt::Key_Return);
  EXPECT_FALSE(menu()->isVisible());
  EXPECT_EQ(player->count("play"), 1);
  EXPECT_EQ(player->url, QStringLiteral("http://127.0.0.1:9/stream"));

  // The platform's own menu request from the keyboard does the same.
  window.select_row(0);
  QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(1, 1), list()->mapToGlobal(QPoint(1, 1)));
  QApplication::sendEvent(list(), &request);
  EXPECT_TRUE(opened_at_row(0));
  EXPECT_TRUE(entry("RateAction")->isEnabled());
  EXPECT_FALSE(entry("RemoveChannelAction")->isEnabled());
  menu()->hide();

  // Without a selected row every entry is disabled; F10 alone opens nothing.
  window.clear_selection();
  QTest::keyClick(list(), Qt::Key_F10);
  EXPECT_FALSE(menu()->isVisible());
  QTest::keyClick(list(), Qt::Key_Menu);
  EXPECT_TRUE(menu()->isVisible());
  EXPECT_FALSE(entry("WatchAction")->isEnabled());
  EXPECT_FALSE(entry("RemoveChannelAction")->isEnabled());
}

namespace {
// A media key as the keyboard sends it (QTest's key clicks know no text for some of these keys).
void press_media_key(QWidget* target, Qt::Key key, bool held = false) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), held);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(), held);
  QApplication::sendEvent(target, &release);
}
}  // namespace

TEST_F(KeyboardFixture, MediaKeysPlayStopAndMoveThroughTheListOncePerPress) {
  const struct {
    Qt::Key key;
    const char* status_before;  // the player's status when the key comes; null: as it is
    int row;                    // selected afterwards
    int plays, stops;           // player calls the key made
  } steps[] = {
      {Qt::Key_MediaNext, nullptr, 0, 1, 0},  // nothing selected: the first row
      {Qt::Key_MediaNext, nullptr, 1, 1, 0},
      {Qt::Key_MediaNext, nullptr, 2, 1, 0},
      {Qt::Key_MediaNext, nullptr, 2, 0, 0},  // the last row has none after it
      {Qt::Key_MediaPrevious, nullptr, 1, 1, 0},
      {Qt::Key_MediaTogglePlayPause, "Playing", 1, 0, 1},  // live TV: pausing stops
      {Qt::Key_MediaTogglePlayPause, "Stopped", 1, 1, 0},
      {Qt::Key_MediaPause, nullptr, 1, 0, 1},
      {Qt::Key_MediaPlay, nullptr, 1, 1, 0},
      {Qt::Key_MediaStop, nullptr, 1, 0, 2},
  };
  // Wherever the keyboard is in the window.
  QWidget* const targets[] = {list(), window.countries(), window.search_button()};
  int i = 0;
  for (const auto& step : steps) {
    QWidget* const target = targets[i++ % std::size(targets)];
    SCOPED_TRACE(QStringLiteral("key %1 on %2").arg(step.key, 0, 16).arg(target->metaObject()->className()).toStdString());
    if (step.status_before) player->status_text = QString::fromLatin1(step.status_before);
    player->calls.clear();
    press_media_key(target, step.key);
    EXPECT_EQ(window.selected_row(), step.row);
    EXPECT_EQ(player->count("play"), step.plays) << player->calls.join(' ').toStdString();
    EXPECT_EQ(player->count("stop"), step.stops) << player->calls.join(' ').toStdString();
  }

  // A held key acts once, not with every repeat.
  player->calls.clear();
  press_media_key(list(), Qt::Key_MediaNext, /*held=*/true);
  EXPECT_EQ(window.selected_row(), 1);
  EXPECT_TRUE(player->calls.isEmpty()) << player->calls.join(' ').toStdString();
}

// The volume from the keyboard: the arrows on the volume control, reached with Tab, and the
// keyboard's own volume keys wherever the focus is.
TEST_F(KeyboardFixture, TheVolumeAnswersTheArrowsAndTheVolumeKeys) {
  QWidget* volume = window.findChild<QWidget*>(QStringLiteral("VolumeButton"));
  ASSERT_NE(volume, nullptr);
  while (focused() != volume && focused() != nullptr && focused_name() != "TvViewButton")
    QTest::keyClick(focused(), Qt::Key_Tab);
  ASSERT_EQ(focused(), volume);
  const int start = player->volume_value;
  const struct {
    Qt::Key key;
    int change;
  } arrows[] = {{Qt::Key_Right, 5}, {Qt::Key_Up, 5}, {Qt::Key_Left, -5}, {Qt::Key_Down, -5}, {Qt::Key_Down, -5}};
  int expected = start;
  for (const auto& a : arrows) {
    QTest::keyClick(volume, a.key);
    expected += a.change;
    EXPECT_EQ(player->volume_value, expected) << a.key;
  }
  EXPECT_EQ(volume->toolTip(), QString::number(expected) + "%");

  QTest::keyClick(list(), Qt::Key_VolumeUp);
  EXPECT_EQ(player->volume_value, expected + 5);
  QTest::keyClick(list(), Qt::Key_VolumeDown);
  EXPECT_EQ(player->volume_value, expected);
  QTest::keyClick(list(), Qt::Key_VolumeMute);
  EXPECT_TRUE(player->muted);
  QTest::keyClick(list(), Qt::Key_VolumeMute);
  EXPECT_FALSE(player->muted);
}
