#include "playback/player_control.h"
#include "playback/video_widget.h"
#include "shell/main_form.h"
#include "shell/main_layout.h"

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
W* child(T_mainForm& form, const char* name) {
  W* w = form.findChild<W*>(QString::fromLatin1(name));
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

TEST(LayoutRule, TinyWindowKeepsSizesAtZero) {
  const Geometry g = layout_for({100, 50});
  EXPECT_EQ(g.list.height(), 0);
  EXPECT_EQ(g.player_panel.size(), QSize(0, 0));
  EXPECT_EQ(g.video_area.size(), QSize(0, 0));
}

TEST(MainForm, CreatedWithDesignPlacesCaptionAndStates) {
  AppState state;
  T_mainForm form(state);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Quovi Pro - 5.1.5.0"));
  EXPECT_EQ(form.size(), QSize(999, 489));

  const char* large[] = {"TvAdvToolButton", "RadioAdvToolButton", "VideoAdvToolButton", "FavoritesAdvToolButton",
                         "UpdateAdvToolButton", "SubmitAdvToolButton"};
  const char* captions[] = {"TV", "Radio", "Video", "Favorites", "Update", "Add"};
  for (int i = 0; i < 6; ++i) {
    auto* b = child<QToolButton>(form, large[i]);
    EXPECT_EQ(b->geometry(), QRect(kLargeButtonLefts[i], 2, 61, 80)) << large[i];
    EXPECT_EQ(b->text(), QString::fromLatin1(captions[i]));
  }
  EXPECT_EQ(child(form, "CountriesAdvComboBox")->geometry(), QRect(16, 83, 335, 19));
  EXPECT_EQ(child<QComboBox>(form, "CountriesAdvComboBox")->currentText(), QStringLiteral("All Countries"));
  EXPECT_EQ(child(form, "SearchAdvToolButton")->geometry(), QRect(357, 87, 17, 16));
  EXPECT_EQ(child(form, "FilterAdvToolButton")->geometry(), QRect(376, 86, 17, 16));
  EXPECT_EQ(child(form, "MainPanel")->geometry(), QRect(0, 0, 999, 489));
  EXPECT_EQ(child(form, "MainAdvListView")->geometry(), QRect(15, 110, 386, 359));

  auto* list = child<QTableView>(form, "MainAdvListView");
  const int widths[] = {85, 85, 45, 40, 120};
  for (int c = 0; c < 5; ++c) EXPECT_EQ(list->columnWidth(c), widths[c]);
  EXPECT_EQ(list->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Rating"));

  EXPECT_TRUE(child(form, "ClearFilterLabel")->isHidden());
  EXPECT_FALSE(child(form, "RightClickLabel")->isHidden());
  EXPECT_EQ(child<QLabel>(form, "StatusHTMLabel")->text(), QStringLiteral("Stopped"));
  EXPECT_EQ(child<QLabel>(form, "ChannelHTMLabel")->text(), QStringLiteral("<P align=\"right\">No channel</P>"));
  EXPECT_TRUE(child(form, "PlayAdvToolButton")->isHidden());
  EXPECT_FALSE(child(form, "PauseAdvToolButton")->isHidden());
  EXPECT_FALSE(child(form, "MuteAdvToolButton")->isHidden());
  EXPECT_TRUE(child(form, "UnmuteAdvToolButton")->isHidden());
  EXPECT_EQ(child(form, "SoundAdvToolButton")->size(), QSize(61, 16));
  EXPECT_EQ(child(form, "FullscreenAdvToolButton")->size(), QSize(10, 10));
  EXPECT_EQ(child(form, "FavoritedAdvToolButton")->size(), QSize(12, 10));
  EXPECT_EQ(child(form, "MuteAdvToolButton")->size(), QSize(15, 15));
  EXPECT_EQ(child<QLabel>(form, "FulscreenLabel")->text(), QStringLiteral("press Esc to exit full screen"));
  EXPECT_EQ(child(form, "PlayAdvToolButton")->toolTip(), QStringLiteral("Play"));
  EXPECT_EQ(child(form, "SearchAdvToolButton")->toolTip(), QStringLiteral("Search"));
  EXPECT_EQ(child(form, "UpdateAdvToolButton")->toolTip(), QStringLiteral("Update channels"));
}

TEST(MainForm, ResizeFollowsTheRule) {
  AppState state;
  T_mainForm form(state);
  form.show();  // a hidden window gets its resize only when shown
  form.resize(1200, 600);
  QCoreApplication::processEvents();
  EXPECT_EQ(child(form, "MainAdvListView")->geometry(), QRect(15, 110, 386, 470));
  EXPECT_EQ(child(form, "PlayerAdvPanel")->geometry(), QRect(415, 44, 775, 499));
  EXPECT_EQ(child(form, "PlayerInsideAdvPanel")->geometry(), QRect(10, 11, 755, 464));
  EXPECT_EQ(child(form, "StatusHTMLabel")->geometry().top(), 478);
  EXPECT_EQ(child(form, "ChannelHTMLabel")->geometry(), QRect(700, 478, 65, 17));
  EXPECT_EQ(child(form, "ButtonsPanel")->geometry(), QRect(410, 547, 206, 45));
  EXPECT_EQ(child(form, "SiteLabel")->pos(), QPoint(1020, 560));
  EXPECT_EQ(child(form, "MailLabel")->pos(), QPoint(1035, 575));
  EXPECT_EQ(child(form, "ClearFilterLabel")->y(), 582);
  EXPECT_EQ(child(form, "RightClickLabel")->pos(), QPoint(305, 582));
  // The fixed parts stay where they were designed.
  EXPECT_EQ(child(form, "CountriesAdvComboBox")->geometry(), QRect(16, 83, 335, 19));
  EXPECT_EQ(child(form, "SubmitAdvToolButton")->geometry(), QRect(322, 2, 61, 80));
}

TEST(MainForm, VideoWidgetFillsTheVideoArea) {
  AppState state;
  T_mainForm form(state);
  auto* control = new PlayerControl(state, &form, &form);
  form.attach_player_control(control);
  ASSERT_TRUE(control->createPlayer(form.video_area()));
  QWidget* video = control->videoWidget();
  ASSERT_TRUE(video);
  form.resize(1200, 600);
  form.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(video->parentWidget(), form.video_area());
  EXPECT_EQ(video->geometry(), form.video_area()->rect().adjusted(1, 1, -1, -1));
}
