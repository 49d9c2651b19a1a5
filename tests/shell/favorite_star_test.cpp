// The star in the player bar: it makes the channel in the player a favourite or no longer one,
// with the context menu's questions, and shows which, also after a change from the menu.
#include "playback/player_control.h"
#include "shell/channel_table_model.h"
#include "shell/command_wiring.h"
#include "shell/favorite_star.h"
#include "shell/main_window.h"
#include "shell_fixture.h"
#include "stand_in_player.h"
#include "widgets/messages.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>

using namespace shell_test;

TEST(FavoriteStar, ShowsWhetherTheChannelInThePlayerIsAFavourite) {
  AppState s = state_with({{.name = QStringLiteral("Plain")}, {.name = QStringLiteral("Liked"), .favorited = 1}});
  EXPECT_EQ(favorite_star(s.catalogue, -1), (FavoriteStar{false, false, QStringLiteral("Add to favorites")}));
  EXPECT_EQ(favorite_star(s.catalogue, 2), (FavoriteStar{false, false, QStringLiteral("Add to favorites")}));
  EXPECT_EQ(favorite_star(s.catalogue, 0), (FavoriteStar{true, false, QStringLiteral("Add to favorites")}));
  EXPECT_EQ(favorite_star(s.catalogue, 1), (FavoriteStar{true, true, QStringLiteral("Remove from favorites")}));
}

TEST(FavoriteStar, AsksAsTheMenuDoesAndRebuildsOnlyTheFavoritesView) {
  RecordingMessageSink sink;
  AppState s = state_with({{.name = QStringLiteral("Plain")}, {.name = QStringLiteral("Liked"), .favorited = 1}});
  Catalogue& c = s.catalogue;
  c.favorites = {2};

  // No: nothing changes.
  sink.answers = {false, false};
  EXPECT_FALSE(favorite_star_clicked(c, 0));
  EXPECT_FALSE(favorite_star_clicked(c, 1));
  EXPECT_EQ(c.channels[0].favorited, 0);
  EXPECT_EQ(c.channels[1].favorited, 1);
  ASSERT_EQ(sink.shown.size(), 2u);
  EXPECT_EQ(sink.shown[0].text.toStdString(), "Would you like to add Plain to your favorites?");
  EXPECT_EQ(sink.shown[1].text.toStdString(), "Would you like to remove Liked from your favorites?");

  // Yes: the channel and the favourites id list change; the TV view stays as it is, so the channel
  // keeps playing.
  sink.answers = {true, true};
  EXPECT_FALSE(favorite_star_clicked(c, 0));
  EXPECT_EQ(c.channels[0].favorited, 1);
  EXPECT_FALSE(favorite_star_clicked(c, 1));
  EXPECT_EQ(c.channels[1].favorited, 0);
  EXPECT_EQ(c.favorites, std::vector<int32_t>({1}));

  // In the Favorites view a channel that is no longer a favourite leaves the list.
  c.filter.group_id = 0;
  c.filter.favorited = 1;
  sink.answers = {true};
  EXPECT_TRUE(favorite_star_clicked(c, 0));
  EXPECT_EQ(c.channels[0].favorited, 0);
  EXPECT_FALSE(favorite_star_clicked(c, -1)) << "no channel in the player: no question";
  EXPECT_EQ(sink.shown.size(), 5u);
}

namespace {
// Lets a test look at the window while a question is up.
struct LookingSink : RecordingMessageSink {
  std::function<void()> while_asking;
  bool ask(QWidget* parent, const QString& title, const QString& text) override {
    if (while_asking) while_asking();
    return RecordingMessageSink::ask(parent, title, text);
  }
};

struct StarFixture : ::testing::Test {
  AppState state = state_with({{.name = QStringLiteral("Alpha")}, {.name = QStringLiteral("Beta")}});
  MainWindow window{state};
  PlayerControl* control = new PlayerControl(state, &window, &window);
  StandInPlayer* player = new StandInPlayer(control);
  LookingSink sink;

  void SetUp() override {
    window.attach_player_control(control);
    control->attach(player);
    wire_commands(window, {.player = control});
    window.rebuild_view();
    window.show();
    QCoreApplication::processEvents();
  }
  QToolButton* star() { return window.favorited_button(); }
  bool star_filled() { return star()->isEnabled() && star()->isChecked(); }
  QAction* entry(const char* name) { return window.findChild<QAction*>(QString::fromLatin1(name)); }
};
}  // namespace

TEST_F(StarFixture, TheStarMarksThePlayingChannelAndFollowsTheMenu) {
  EXPECT_FALSE(star()->isEnabled()) << "no channel in the player";
  window.select_row(0);
  window.play_button()->click();
  ASSERT_TRUE(star()->isEnabled());
  EXPECT_FALSE(star()->isChecked());
  EXPECT_EQ(star()->toolTip(), QStringLiteral("Add to favorites"));

  // The question comes before any change; No leaves everything as it was.
  bool checked_while_asking = true;
  sink.while_asking = [&] { checked_while_asking = star()->isChecked(); };
  sink.answers = {false};
  QTest::mouseClick(star(), Qt::LeftButton);
  EXPECT_FALSE(checked_while_asking);
  EXPECT_FALSE(star()->isChecked());
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text.toStdString(), "Would you like to add Alpha to your favorites?");

  sink.answers = {true};
  QTest::mouseClick(star(), Qt::LeftButton);
  EXPECT_TRUE(star_filled());
  EXPECT_EQ(star()->toolTip(), QStringLiteral("Remove from favorites"));
  EXPECT_EQ(state.catalogue.channels[0].favorited, 1);
  EXPECT_EQ(player->url, QStringLiteral("http://127.0.0.1:9/stream")) << "the channel goes on playing";
  EXPECT_EQ(window.selected_row(), 0);
  window.prepare_channel_menu(0);
  EXPECT_FALSE(entry("AddFavoriteAction")->isEnabled()) << "the menu knows it is a favourite now";

  // Another channel shows its own state; the menu's Add to Favorites fills the star.
  window.select_row(1);
  EXPECT_FALSE(star()->isChecked());
  window.prepare_channel_menu(1);
  sink.answers = {true};
  entry("AddFavoriteAction")->trigger();
  EXPECT_TRUE(star_filled());

  // In the Favorites view the star takes the channel out of the list, as "Remove from Fav" does.
  window.findChild<QToolButton*>(QStringLiteral("FavoritesViewButton"))->click();
  ASSERT_EQ(window.model()->rowCount(), 2);
  window.select_row(0);
  EXPECT_TRUE(star_filled());
  sink.answers = {true};
  QTest::mouseClick(star(), Qt::LeftButton);
  EXPECT_EQ(window.model()->rowCount(), 1);
  EXPECT_FALSE(star()->isEnabled()) << "the rebuilt list has no channel in the player";
  EXPECT_EQ(player->url, QString());

  // The menu's Remove from Fav on the last one.
  window.select_row(0);
  ASSERT_TRUE(star_filled());
  window.prepare_channel_menu(0);
  sink.answers = {true};
  entry("RemoveFavoriteAction")->trigger();
  EXPECT_EQ(window.model()->rowCount(), 0);
  EXPECT_FALSE(star()->isChecked());
  EXPECT_FALSE(star()->isEnabled());
  EXPECT_TRUE(sink.answers.empty());
}
