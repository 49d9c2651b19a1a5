// The desktop's Quit (a player applet's close entry) ends the program as a termination signal
// does, also while a message waits for its answer in its own loop. That message is the download
// question, asked when the window is first activated: it needs a real window, hence this room,
// and a window manager, as on a desktop (without one the program's end took another path).
#include "../desktop/private_bus.h"
#include "test_env.h"
#include "window_manager.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

TEST(DesktopQuit, EndsTheProgramFromInsideTheDownloadQuestionAndWritesTheUserFiles) {
  const QString service = QStringLiteral("org.mpris.MediaPlayer2.quovi");
  PrivateSessionBus bus;
  ASSERT_TRUE(bus.running()) << "dbus-daemon did not start";
  WindowManager window_manager;
  ASSERT_TRUE(window_manager.running()) << "openbox did not start";
  // The sample catalogue is outdated: the question comes. A user channel and its favourite as
  // another editor left them (LF line ends); the program writes CR LF, so a write shows.
  ASSERT_TRUE(QFile::copy(quovi_test::fixture("catalogue/sample-channels.dat"),
                          quovi_test::catalogue_folder() + "/channels.dat"));
  const QString favorites = quovi_test::catalogue_folder() + "/favorites.dat";
  ASSERT_TRUE(quovi_test::write_all(favorites, "100001\n"));
  ASSERT_TRUE(quovi_test::write_all(quovi_test::catalogue_folder() + "/userdef.dat",
                                    "100001|1|0|Mine|http://a/|128|1||33|12|\n"));

  QProcess program;
  QProcessEnvironment env = quovi_test::program_environment();
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
  program.setProcessEnvironment(env);
  program.start(QStringLiteral(QUOVI_PROGRAM), {});
  ASSERT_TRUE(program.waitForStarted(10000));
  QDBusConnection client = bus.connect(QStringLiteral("client"));
  QDeadlineTimer deadline(20000);
  while (!client.interface()->isServiceRegistered(service) && !deadline.hasExpired()) QThread::msleep(20);
  ASSERT_TRUE(client.interface()->isServiceRegistered(service)) << program.readAllStandardError().toStdString();
  // Given time, the window is up and asking.
  QThread::msleep(4000);

  const QDBusMessage quit = QDBusMessage::createMethodCall(service, QStringLiteral("/org/mpris/MediaPlayer2"),
                                                           QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Quit"));
  EXPECT_EQ(client.call(quit, QDBus::Block, 10000).type(), QDBusMessage::ReplyMessage);
  EXPECT_TRUE(program.waitForFinished(20000)) << "the program goes on after the desktop's Quit";
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
  EXPECT_EQ(quovi_test::read_all(favorites), "100001\r\n");
}
