// The end of the program with a real player in the window.
#include "playback/player_control.h"
#include "playback/video_widget.h"
#include "shell/command_wiring.h"
#include "shell/main_window.h"
#include "shell_fixture.h"
#include "widgets/messages.h"

#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

using namespace shell_test;

TEST(WindowClose, ClosingWhileTheVideoIsFullScreenEndsTheProgram) {
  RecordingMessageSink messages;
  AppState state = state_with_names({QStringLiteral("Alpha")});
  MainWindow window(state);
  auto* control = new PlayerControl(state, &window, &window);
  window.attach_player_control(control);
  wire_commands(window, {.player = control});
  ASSERT_TRUE(control->createPlayer(window.video_area()));
  VideoWidget* video = control->videoWidget();
  ASSERT_TRUE(video);
  window.show();
  video->enterFullScreen();
  ASSERT_TRUE(video->isWindow());
  ASSERT_TRUE(video->isVisible());
  ASSERT_TRUE(control->player()->fullScreen());

  // The program's message loop, closed as the user closes the window; it must end by itself.
  QTimer::singleShot(0, &window, [&] { window.close(); });
  QTimer give_up;
  give_up.setSingleShot(true);
  QObject::connect(&give_up, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  give_up.start(5000);
  const int exit_code = QApplication::exec();
  give_up.stop();

  EXPECT_EQ(exit_code, 0) << "a window was left open and the message loop kept running";
  EXPECT_FALSE(video->isWindow());
  EXPECT_FALSE(video->isFullScreenShown());
  EXPECT_FALSE(control->player()->fullScreen());
  EXPECT_EQ(video->parentWidget(), window.video_area());
  for (QWidget* w : QApplication::topLevelWidgets())
    EXPECT_FALSE(w->isVisible() && w->windowType() != Qt::ToolTip) << w->metaObject()->className();
  EXPECT_TRUE(messages.shown.empty());
}
