#include "playback/player_control.h"
#include "playback/video_widget.h"
#include "shell/main_layout.h"
#include "shell/main_window.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace main_layout;

namespace {
template <typename W = QWidget>
W* child(MainWindow& window, const char* name) {
  W* w = window.findChild<W*>(QString::fromLatin1(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}
}  // namespace

TEST(LayoutRule, FiguresAt1200x600) {
  const Geometry g = layout_for({1200, 600});
  EXPECT_EQ(g.list, QRect(15, 110, 386, 470));
  EXPECT_EQ(g.player_panel, QRect(415, 44, 775, 499));
  EXPECT_EQ(g.video_area, QRect(10, 11, 755, 464));
  EXPECT_EQ(g.status_label, QRect(10, 478, 65, 17));
  EXPECT_EQ(g.channel_label, QRect(700, 478, 65, 17));
  EXPECT_EQ(g.buttons_panel, QRect(410, 547, 206, 45));
  EXPECT_EQ(g.site_link, QPoint(1020, 560));
  EXPECT_EQ(g.mail_link, QPoint(1035, 575));
  EXPECT_EQ(g.clear_filter, QPoint(16, 582));
  EXPECT_EQ(g.right_click, QPoint(305, 582));
}

TEST(LayoutRule, LabelsGrowWithoutLeavingTheVideoArea) {
  // A long channel name widens its label to the left; the right edges stay together.
  const Geometry wide = layout_for({1200, 600}, 65, 300);
  EXPECT_EQ(wide.channel_label.right(), wide.video_area.right());
  EXPECT_EQ(wide.channel_label.width(), 300);
  // Never over the status label, whatever the name.
  const Geometry huge = layout_for({1200, 600}, 90, 5000);
  EXPECT_GE(huge.channel_label.left(), huge.status_label.right());
  EXPECT_EQ(huge.channel_label.right(), huge.video_area.right());
}

TEST(LayoutRule, AtTheSmallestSizeTheLinksStayRightOfTheListAndThePlayerButtons) {
  const Geometry g = layout_for(kMinimumClientSize);
  for (const QPoint link : {g.site_link, g.mail_link}) {
    EXPECT_GT(link.x(), g.list.right());
    EXPECT_GT(link.x(), g.buttons_panel.right());
  }
  EXPECT_GE(g.list.height(), 17 * 9) << "a header and some rows";
  EXPECT_GE(g.video_area.height(), 150);
}

TEST(LayoutRule, TinyWindowKeepsSizesAtZero) {
  const Geometry g = layout_for({100, 50});
  EXPECT_EQ(g.list.height(), 0);
  EXPECT_EQ(g.player_panel.size(), QSize(0, 0));
  EXPECT_EQ(g.video_area.size(), QSize(0, 0));
}

TEST(MainWindowLayout, CreatedWithDesignPlacesCaptionAndStates) {
  AppState state;
  MainWindow window(state);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Quovi Pro - 5.1.5.0"));
  EXPECT_EQ(window.size(), QSize(999, 489));

  const char* large[] = {"TvViewButton", "RadioViewButton", "VideoViewButton", "FavoritesViewButton",
                         "UpdateButton", "SubmitButton"};
  const char* captions[] = {"TV", "Radio", "Video", "Favorites", "Update", "Add"};
  for (int i = 0; i < 6; ++i) {
    auto* b = child<QToolButton>(window, large[i]);
    EXPECT_EQ(b->geometry(), QRect(kLargeButtonLefts[i], 2, 61, 80)) << large[i];
    EXPECT_EQ(b->text(), QString::fromLatin1(captions[i]));
  }
  EXPECT_EQ(child(window, "CountryCombo")->geometry(), QRect(16, 83, 335, 19));
  EXPECT_EQ(child<QComboBox>(window, "CountryCombo")->currentText(), QStringLiteral("All Countries"));
  EXPECT_EQ(child(window, "SearchButton")->geometry(), QRect(357, 87, 17, 16));
  EXPECT_EQ(child(window, "FilterButton")->geometry(), QRect(376, 86, 17, 16));
  EXPECT_EQ(child(window, "MainPanel")->geometry(), QRect(0, 0, 999, 489));
  EXPECT_EQ(child(window, "ChannelList")->geometry(), QRect(15, 110, 386, 359));

  auto* list = child<QTableView>(window, "ChannelList");
  const int widths[] = {85, 85, 45, 40, 120};
  for (int c = 0; c < 5; ++c) EXPECT_EQ(list->columnWidth(c), widths[c]);
  EXPECT_EQ(list->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Rating"));

  EXPECT_TRUE(child(window, "ClearFilterLabel")->isHidden());
  EXPECT_FALSE(child(window, "RightClickLabel")->isHidden());
  EXPECT_EQ(child<QLabel>(window, "PlayerStatusLabel")->text(), QStringLiteral("Stopped"));
  EXPECT_EQ(child<QLabel>(window, "ChannelLabel")->text(), QStringLiteral("<P align=\"right\">No channel</P>"));
  EXPECT_TRUE(child(window, "PlayButton")->isHidden());
  EXPECT_FALSE(child(window, "PauseButton")->isHidden());
  EXPECT_FALSE(child(window, "MuteButton")->isHidden());
  EXPECT_TRUE(child(window, "UnmuteButton")->isHidden());
  EXPECT_EQ(child(window, "VolumeButton")->size(), QSize(61, 16));
  EXPECT_EQ(child(window, "FullscreenButton")->size(), QSize(10, 10));
  EXPECT_EQ(child(window, "FavoriteButton")->size(), QSize(12, 10));
  EXPECT_EQ(child(window, "MuteButton")->size(), QSize(15, 15));
  EXPECT_EQ(child<QLabel>(window, "FullscreenHintLabel")->text(), QStringLiteral("press Esc to exit full screen"));
  EXPECT_EQ(child(window, "PlayButton")->toolTip(), QStringLiteral("Play"));
  EXPECT_EQ(child(window, "SearchButton")->toolTip(), QStringLiteral("Search"));
  EXPECT_EQ(child(window, "UpdateButton")->toolTip(), QStringLiteral("Update channels"));
}

TEST(MainWindowLayout, ResizeFollowsTheRule) {
  AppState state;
  MainWindow window(state);
  window.show();  // a hidden window gets its resize only when shown
  window.resize(1200, 600);
  QCoreApplication::processEvents();
  EXPECT_EQ(child(window, "ChannelList")->geometry(), QRect(15, 110, 386, 470));
  EXPECT_EQ(child(window, "PlayerPanel")->geometry(), QRect(415, 44, 775, 499));
  EXPECT_EQ(child(window, "VideoArea")->geometry(), QRect(10, 11, 755, 464));
  EXPECT_EQ(child(window, "PlayerStatusLabel")->geometry().top(), 478);
  EXPECT_EQ(child(window, "ChannelLabel")->geometry(), QRect(700, 478, 65, 17));
  EXPECT_EQ(child(window, "ButtonsPanel")->geometry(), QRect(410, 547, 206, 45));
  EXPECT_EQ(child(window, "SiteLabel")->pos(), QPoint(1020, 560));
  EXPECT_EQ(child(window, "MailLabel")->pos(), QPoint(1035, 575));
  EXPECT_EQ(child(window, "ClearFilterLabel")->y(), 582);
  EXPECT_EQ(child(window, "RightClickLabel")->pos(), QPoint(305, 582));
  // The fixed parts stay where they were designed.
  EXPECT_EQ(child(window, "CountryCombo")->geometry(), QRect(16, 83, 335, 19));
  EXPECT_EQ(child(window, "SubmitButton")->geometry(), QRect(322, 2, 61, 80));
}

TEST(MainWindowLayout, TheWindowKeepsASizeAtWhichTheLinksDrawOverNothing) {
  AppState state;
  MainWindow window(state);
  window.show();
  QWidget* list = child(window, "ChannelList");
  QWidget* bar = child(window, "ButtonsPanel");
  for (const QSize asked : {QSize(400, 200), QSize(700, 480), QSize(1200, 250), QSize(1200, 600)}) {
    window.resize(asked);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.size(), asked.expandedTo(kMinimumClientSize));
    for (const char* name : {"SiteLabel", "MailLabel"}) {
      const QRect link = child(window, name)->geometry();
      EXPECT_FALSE(link.intersects(list->geometry())) << name << " at " << asked.width() << "x" << asked.height();
      EXPECT_FALSE(link.intersects(bar->geometry())) << name << " at " << asked.width() << "x" << asked.height();
    }
  }
}

TEST(MainWindowLayout, VideoWidgetFillsTheVideoArea) {
  AppState state;
  MainWindow window(state);
  auto* control = new PlayerControl(state, &window, &window);
  window.attach_player_control(control);
  ASSERT_TRUE(control->createPlayer(window.video_area()));
  QWidget* video = control->videoWidget();
  ASSERT_TRUE(video);
  window.resize(1200, 600);
  window.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(video->parentWidget(), window.video_area());
  EXPECT_EQ(video->geometry(), window.video_area()->rect().adjusted(1, 1, -1, -1));
}

// A logo stands just before the name, at most three label heights wide, and gives way before the
// name's own room does.
TEST(LayoutRule, TheLogoStandsJustBeforeTheName) {
  const Geometry g = layout_for({1200, 600}, 65, 40, 34);
  EXPECT_EQ(g.channel_label, QRect(725, 478, 40, 17)) << "the name keeps to its own width";
  EXPECT_EQ(g.channel_logo, QRect(725 - kLogoGap - 34, 478, 34, 17));
  EXPECT_TRUE(layout_for({1200, 600}, 65, 40).channel_logo.isEmpty());

  const Geometry huge = layout_for({1200, 600}, 90, 5000, 500);
  EXPECT_EQ(huge.channel_logo.width(), kLogoMaxWidth);
  EXPECT_GT(huge.channel_logo.left(), huge.status_label.right());
  EXPECT_EQ(huge.channel_logo.right() + kLogoGap + 1, huge.channel_label.left());
  EXPECT_EQ(huge.channel_label.right(), huge.video_area.right());

  // Too little room for both: the name keeps its design width, the logo goes.
  const Geometry narrow = layout_for({500, 300}, 65, 65, 34);
  EXPECT_EQ(narrow.channel_label.width(), kLabelWidth);
  EXPECT_TRUE(narrow.channel_logo.isEmpty());
}

TEST(LayoutRule, ALogoIsShownWithinTheLabelsHeightInItsProportions) {
  const struct {
    QSize picture, shown;
  } cases[] = {
      {{80, 40}, {34, 17}}, {{400, 20}, {51, 2}}, {{16, 16}, {17, 17}}, {{1000, 1}, {51, 1}}, {{0, 0}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(logo_size_for(c.picture), c.shown) << c.picture.width() << "x" << c.picture.height();
}
