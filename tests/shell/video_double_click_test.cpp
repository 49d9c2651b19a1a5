// A double click on the video with a real player in the window: full screen while something
// plays, and back again with another double click or Esc.
#include "playback/player_control.h"
#include "playback/video_widget.h"
#include "shell/command_wiring.h"
#include "shell/main_window.h"
#include "shell_fixture.h"
#include "tone_window.h"
#include "widgets/messages.h"

#include "../playback/local_http_server.h"
#include "../playback/wait_until.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace shell_test;

TEST(VideoDoubleClick, TogglesFullScreenWhileAChannelPlays) {
  ToneWindow tone;
  MainWindow& window = tone.window;
  PlayerControl* control = tone.control;
  wire_commands(window, {.player = control});
  ASSERT_TRUE(control->createPlayer(window.video_area()));
  window.rebuild_view();
  window.show();
  VideoWidget* video = control->videoWidget();
  ASSERT_TRUE(video);

  // Nothing loaded: refused, as the full screen button is.
  QTest::mouseDClick(video, Qt::LeftButton);
  EXPECT_FALSE(video->isFullScreenShown());

  window.select_row(0);
  window.play_button()->click();
  ASSERT_TRUE(quovi_test::wait_until([&] { return window.status_label()->text() == QLatin1String("Playing"); }))
      << window.status_label()->text().toStdString();

  QTest::mouseDClick(video, Qt::RightButton);
  EXPECT_FALSE(video->isFullScreenShown()) << "only the left button";

  QTest::mouseDClick(video, Qt::LeftButton);
  EXPECT_TRUE(video->isFullScreenShown());
  EXPECT_TRUE(video->isWindow());
  EXPECT_TRUE(control->player()->fullScreen());
  EXPECT_EQ(video->windowTitle(), window.windowTitle()) << "the full-screen window goes by the main caption";

  QTest::mouseDClick(video, Qt::LeftButton);
  EXPECT_FALSE(video->isFullScreenShown());
  EXPECT_FALSE(control->player()->fullScreen());
  EXPECT_EQ(video->parentWidget(), window.video_area());

  // Esc leaves as before.
  QTest::mouseDClick(video, Qt::LeftButton);
  ASSERT_TRUE(video->isFullScreenShown());
  QTest::keyClick(video, Qt::Key_Escape);
  EXPECT_FALSE(video->isFullScreenShown());
  EXPECT_EQ(video->parentWidget(), window.video_area());

  // The media keys reach the player from the full-screen video as from the window.
  QTest::mouseDClick(video, Qt::LeftButton);
  ASSERT_TRUE(video->isFullScreenShown());
  ASSERT_EQ(window.status_label()->text().toStdString(), "Playing");
  QKeyEvent press(QEvent::KeyPress, Qt::Key_MediaTogglePlayPause, Qt::NoModifier);
  QApplication::sendEvent(video, &press);
  // Live TV stops, at once (the tone would end by itself after a while).
  EXPECT_EQ(window.status_label()->text().toStdString(), "Stopped");
  EXPECT_TRUE(tone.messages.shown.empty());
}
