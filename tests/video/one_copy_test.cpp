// A second start of the program while it runs, on a desktop as users have it (a window manager
// and a session bus): the second start hands its playlist to the first and ends at once, the first
// comes to the front and adds it, and what the user does in the first afterwards is what is saved.
#include "../../bench/generated_channel_file.h"
#include "../desktop/private_bus.h"
#include "catalogue/catalogue_paths.h"
#include "test_env.h"
#include "window_manager.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <cstdlib>
#include <cstring>

namespace {
// The X server as the window manager sees it, on a connection of the test's own.
class Desktop {
 public:
  Desktop() : connection_(xcb_connect(nullptr, nullptr)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  }
  ~Desktop() { xcb_disconnect(connection_); }

  // The window the window manager made active, and the process it belongs to.
  xcb_window_t active_window() {
    const QByteArray active = property(root_, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW);
    xcb_window_t window = XCB_WINDOW_NONE;
    if (active.size() >= 4) std::memcpy(&window, active.data(), 4);
    return window;
  }
  qint64 active_process() {
    const xcb_window_t window = active_window();
    if (window == XCB_WINDOW_NONE) return 0;
    const QByteArray pid = property(window, "_NET_WM_PID", XCB_ATOM_CARDINAL);
    if (pid.size() < 4) return 0;
    uint32_t value;
    std::memcpy(&value, pid.data(), 4);
    return value;
  }

  // A window of another application, mapped now, which the window manager makes active.
  void open_other_window() {
    const xcb_window_t window = xcb_generate_id(connection_);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, root_, 0, 0, 1000, 700, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const uint32_t pid = static_cast<uint32_t>(QCoreApplication::applicationPid());
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
    xcb_map_window(connection_, window);
    xcb_flush(connection_);
  }

 private:
  xcb_atom_t atom(const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return found;
  }
  QByteArray property(xcb_window_t window, const char* name, xcb_atom_t type) {
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(connection_, xcb_get_property(connection_, 0, window, atom(name), type, 0, 16), nullptr);
    if (!reply) return {};
    const QByteArray value(static_cast<const char*>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
    std::free(reply);
    return value;
  }

  xcb_connection_t* connection_;
  xcb_window_t root_ = 0;
};

bool wait_for(const std::function<bool()>& condition, int timeout_ms) {
  const QDeadlineTimer deadline(timeout_ms);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QThread::msleep(50);
  }
  return true;
}

// What the user does, one step at a time: xdotool's commands, to the window that has the focus.
void act(const QList<QStringList>& steps) {
  for (const QStringList& step : steps) {
    QProcess::execute(QStringLiteral("xdotool"), step);
    QThread::msleep(300);
  }
}
}  // namespace

TEST(OneCopy, ASecondStartHandsItsPlaylistToTheFirstAndWhatTheFirstSavesSurvives) {
  PrivateSessionBus bus;
  ASSERT_TRUE(bus.running()) << "dbus-daemon did not start";
  WindowManager window_manager;
  ASSERT_TRUE(window_manager.running()) << "openbox did not start";

  // A current catalogue, so that no download question stands in the way.
  const std::string channels =
      bench::channel_file_of(bench::members_stamped(40, QDateTime::currentDateTime().addSecs(-3600)));
  ASSERT_TRUE(quovi_test::write_all(quovi_test::catalogue_folder() + "/channels.dat", QByteArray::fromStdString(channels)));
  const QString playlist = quovi_test::sandbox_root() + "/evening.m3u";
  ASSERT_TRUE(quovi_test::write_all(playlist, "#EXTM3U\n#EXTINF:-1,Evening Radio\nhttp://127.0.0.1:9/evening\n"));

  QProcessEnvironment env = quovi_test::program_environment();
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
  QProcess first;
  first.setProcessEnvironment(env);
  first.start(QStringLiteral(QUOVI_PROGRAM), {});
  ASSERT_TRUE(first.waitForStarted(10000));
  QDBusConnection client = bus.connect(QStringLiteral("client"));
  const QString name = QStringLiteral("org.talvex.Quovi");
  ASSERT_TRUE(wait_for([&] { return client.interface()->isServiceRegistered(name).value(); }, 20000))
      << first.readAllStandardError().toStdString();
  Desktop desktop;
  ASSERT_TRUE(wait_for([&] { return desktop.active_process() == first.processId(); }, 20000)) << "no window";
  // The user went on to another application.
  desktop.open_other_window();
  ASSERT_TRUE(wait_for([&] { return desktop.active_process() == QCoreApplication::applicationPid(); }, 10000));

  // The file manager opens the playlist with the program, from another folder.
  QProcess second;
  second.setProcessEnvironment(env);
  second.setWorkingDirectory(quovi_test::sandbox_root());
  second.start(QStringLiteral(QUOVI_PROGRAM), {QStringLiteral("evening.m3u")});
  ASSERT_TRUE(second.waitForFinished(5000)) << "the second start goes on as a copy of its own";
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();

  // The first copy comes to the front and adds the playlist.
  EXPECT_TRUE(wait_for([&] { return desktop.active_process() == first.processId(); }, 10000))
      << "the running copy did not come to the front";
  const QString sources = quovi_test::catalogue_folder() + "/playlists/sources.json";
  ASSERT_TRUE(wait_for([&] { return quovi_test::read_all(sources).contains(playlist.toUtf8()); }, 10000));
  QThread::msleep(1000);
  // The summary of what was read goes; then the first row of the list becomes a favourite from its
  // menu, as the user does it.
  const QString window = QString::number(desktop.active_window());
  act({{"key", "Return"},
       {"mousemove", "--window", window, "60", "137", "click", "1"},
       {"key", "Down"},
       {"key", "Up"},
       {"key", "shift+F10"},
       {"key", "Down"},
       {"key", "Down"},
       {"key", "Return"},
       {"key", "y"}});

  const QDBusMessage quit = QDBusMessage::createMethodCall(
      "org.mpris.MediaPlayer2.quovi", "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2", "Quit");
  EXPECT_EQ(client.call(quit, QDBus::Block, 10000).type(), QDBusMessage::ReplyMessage);
  EXPECT_TRUE(first.waitForFinished(20000));
  EXPECT_EQ(first.exitCode(), 0);
  const QByteArray favorites = quovi_test::read_all(favorites_path(app_data_folder()));
  EXPECT_TRUE(QRegularExpression("^\\d+\r\n$").match(QString::fromLatin1(favorites)).hasMatch())
      << "favorites.dat: " << favorites.toStdString();
}
