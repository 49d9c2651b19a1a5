// The program's start under a real X server: the titles the windows carry there are exactly the
// captions the program sets, with nothing appended by the toolkit. It runs in a process of its own
// (tests/CMakeLists.txt), as the program does.
#include "dialogs/filter_dialog.h"
#include "shell/desktop_identity.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "widgets/messages.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <cstring>

namespace {
xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply =
      xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
  const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
  std::free(reply);
  return found;
}

QByteArray x_property(QWidget* window, const char* name, const char* type) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11) return "(no X connection)";
  xcb_connection_t* connection = x11->connection();
  const xcb_get_property_cookie_t cookie = xcb_get_property(
      connection, 0, static_cast<xcb_window_t>(window->winId()), atom(connection, name), atom(connection, type), 0, 1024);
  xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
  if (!reply) return "(no reply)";
  const QByteArray value(static_cast<const char*>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
  std::free(reply);
  return value;
}

// The title the window manager and the task bar read.
QString title_on_the_x_server(QWidget* window) {
  return QString::fromUtf8(x_property(window, "_NET_WM_NAME", "UTF8_STRING"));
}

// The class in WM_CLASS ("instance\0class\0"), by which an X desktop finds the launcher.
QString window_class_on_the_x_server(QWidget* window) {
  const QList<QByteArray> parts = x_property(window, "WM_CLASS", "STRING").split('\0');
  return parts.size() > 1 ? QString::fromLatin1(parts[1]) : QString();
}

// What the installed launcher says about the windows it starts.
QString launcher_window_class() {
  QFile desktop(QStringLiteral(QUOVI_TEST_DATA_DIR "/../../packaging/org.talvex.Quovi.desktop"));
  if (!desktop.open(QIODevice::ReadOnly)) return QStringLiteral("(no desktop file)");
  for (const QByteArray& line : desktop.readAll().split('\n'))
    if (line.startsWith("StartupWMClass=")) return QString::fromUtf8(line.mid(15).trimmed());
  return QString();
}

MainWindow* shown_main_window() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* window = qobject_cast<MainWindow*>(w); window && window->isVisible()) return window;
  return nullptr;
}
}  // namespace

TEST(WindowTitles, AreExactlyTheCaptionsTheProgramSets) {
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  RecordingMessageSink messages;  // answers the question about the missing catalogue with No
  apply_desktop_identity();       // as the program's entry does

  QStringList seen;
  QString window_class;
  QTimer look;
  look.setInterval(20);
  QObject::connect(&look, &QTimer::timeout, [&] {
    MainWindow* window = shown_main_window();
    if (!window || !QTest::qWaitForWindowExposed(window)) return;
    look.stop();
    seen << window->windowTitle() << title_on_the_x_server(window);
    window_class = window_class_on_the_x_server(window);
    auto* filter = window->findChild<FilterDialog*>();
    if (filter) {
      filter->show();
      if (QTest::qWaitForWindowExposed(filter)) seen << filter->windowTitle() << title_on_the_x_server(filter);
      filter->hide();
    }
    window->close();
  });
  look.start();
  QTimer give_up;
  give_up.setSingleShot(true);
  QObject::connect(&give_up, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  give_up.start(60000);

  const int exit_code = run_program(*qApp);
  give_up.stop();
  EXPECT_EQ(exit_code, 0);
  // Without a catalogue yet, the window still starts in a view: TV, as none was stored.
  EXPECT_EQ(seen.join(QLatin1Char('|')).toStdString(),
            "Quovi Pro - 5.1.5.0 - Tv|Quovi Pro - 5.1.5.0 - Tv|Filter|Filter");
  // The desktop still matches the windows to the launcher: by the desktop file's name (Wayland)
  // and by the window class the launcher names (X11).
  EXPECT_EQ(QGuiApplication::desktopFileName().toStdString(), "org.talvex.Quovi");
  EXPECT_EQ(window_class.toStdString(), launcher_window_class().toStdString());
  EXPECT_FALSE(window_class.isEmpty());
}
