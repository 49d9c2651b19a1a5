// The main window is one window on the desktop from its first showing to the end: the video
// surface that joins it after the first paint does not make the platform window anew, so a close
// sent in that moment reaches the window and ends the program.
#include "../../bench/generated_channel_file.h"
#include "test_env.h"
#include "x_desktop.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

#include <set>

TEST(OneWindow, KeepsItsPlatformWindowFromTheFirstShowingAndEndsOnACloseSentAtOnce) {
  QProcess window_manager;
  window_manager.start(QStringLiteral("openbox"), {});
  ASSERT_TRUE(window_manager.waitForStarted(10000)) << "openbox did not start";
  QThread::msleep(500);
  // A current catalogue: no question comes up beside the window.
  ASSERT_TRUE(quovi_test::write_all(
      quovi_test::catalogue_folder() + "/channels.dat",
      QByteArray::fromStdString(bench::channel_file_of(bench::members_stamped(40, QDateTime::currentDateTime())))));

  QProcess program;
  QProcessEnvironment env = quovi_test::program_environment();
  env.insert("QT_QPA_PLATFORM", "xcb");
  program.setProcessEnvironment(env);
  program.start(QStringLiteral(QUOVI_PROGRAM), {});
  ASSERT_TRUE(program.waitForStarted(10000));

  XDesktop desktop;
  std::set<xcb_window_t> seen;
  const auto look = [&] {
    for (xcb_window_t window : desktop.windows_of(program.processId())) seen.insert(window);
  };
  const QDeadlineTimer shown(20000);
  while (seen.empty() && !shown.hasExpired()) {
    look();
    QThread::msleep(5);
  }
  ASSERT_EQ(seen.size(), 1u) << "no window, or more than one at once";
  const xcb_window_t first = *seen.begin();

  // The user closes the window as soon as it shows, while the player is still being made.
  QThread::msleep(100);
  desktop.close(first);
  const QDeadlineTimer ended(15000);
  while (program.state() != QProcess::NotRunning && !ended.hasExpired()) {
    look();
    program.waitForFinished(5);
  }
  EXPECT_EQ(program.state(), QProcess::NotRunning) << "the close was lost: the program goes on";
  EXPECT_EQ(seen, std::set<xcb_window_t>{first}) << "the window was made anew";
  if (program.state() != QProcess::NotRunning) {
    program.kill();
    program.waitForFinished(5000);
  }
  window_manager.kill();
  window_manager.waitForFinished(5000);
}
