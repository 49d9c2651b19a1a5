// The playback widgets under the offscreen platform: the volume control, the whole player made by
// the control inside a shown window (no OpenGL here, so no video surface), the screen saver calls.
#include "playback/media_player.h"
#include "playback/player_control.h"
#include "playback/screen_saver_inhibitor.h"
#include "playback/video_widget.h"
#include "playback/volume.h"
#include "playback/volume_button.h"

#include "local_http_server.h"
#include "test_media.h"
#include "test_env.h"
#include "views/channel_list_state.h"
#include "wait_until.h"
#include "widgets/messages.h"

#include <QPixmap>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QMouseEvent>
#include <QProcess>
#include <QWidget>

using quovi_test::wait_until;

namespace {
void release_at(QWidget* w, int x, Qt::MouseButton button) {
  const QPointF local(x, 8);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 8), w->mapToGlobal(QPointF(5, 8)), button, button,
                    Qt::NoModifier);
  QApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, w->mapToGlobal(local), button, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(w, &release);
}
}  // namespace

TEST(VolumeButton, ReleaseOfAnyButtonSetsTheVolume) {
  ChannelListState state;
  PlayerControl control(state, nullptr);
  int shown_picture = -1;
  VolumeButton button(nullptr, [&](int index) {
    shown_picture = index;
    QPixmap pixmap(61, 16);
    pixmap.fill(Qt::black);
    return QIcon(pixmap);
  });
  QObject::connect(&button, &VolumeButton::releasedAt, &control, &PlayerControl::volumeReleasedAt);
  QObject::connect(&control, &PlayerControl::volumeShown, &button, &VolumeButton::showVolume);
  button.show();
  const struct {
    int x;
    Qt::MouseButton button;
    const char* hint;
    int picture;
  } cases[] = {{30, Qt::LeftButton, "49%", 5}, {3, Qt::RightButton, "5%", 0}, {9, Qt::MiddleButton, "15%", 2},
               {-20, Qt::LeftButton, "0%", 0}, {81, Qt::RightButton, "100%", 10}};
  for (const auto& c : cases) {
    release_at(&button, c.x, c.button);
    EXPECT_EQ(button.toolTip(), c.hint) << c.x;
    EXPECT_EQ(shown_picture, c.picture) << c.x;
    EXPECT_FALSE(button.icon().isNull());
  }
  EXPECT_EQ(button.size(), QSize(61, 16));
}

TEST(PlayerInWindow, PlaysWithoutAVideoSurface) {
  quovi_test::LocalHttpServer server;
  server.serve("/tone.mp3", quovi_test::test_media(QStringLiteral("tone.mp3")), "audio/mpeg");

  ChannelListState state;
  Channel radio;
  radio.id = 5;
  radio.url = to_packed(server.url(QStringLiteral("/tone.mp3")));
  state.catalogue.channels.push_back(radio);
  state.visible = {0};
  QWidget window;
  window.resize(400, 300);
  auto* video_area = new QWidget(&window);
  video_area->setGeometry(10, 10, 320, 240);
  RecordingMessageSink messages;
  PlayerControl control(state, &window);
  QString status_line;
  bool video_visible = false;
  QObject::connect(&control, &PlayerControl::statusTextChanged, [&](const QString& s) { status_line = s; });
  QObject::connect(&control, &PlayerControl::videoVisibleChanged, [&](bool v) { video_visible = v; });
  ASSERT_TRUE(control.createPlayer(video_area));
  ASSERT_NE(control.videoWidget(), nullptr);
  EXPECT_EQ(control.videoWidget()->renderSurface(), nullptr);  // no OpenGL under offscreen
  window.show();
  EXPECT_EQ(control.player()->volume(), 30);

  control.watchRow(0);
  ASSERT_TRUE(wait_until([&] { return status_line == "Playing"; })) << status_line.toStdString();
  EXPECT_TRUE(video_visible);
  EXPECT_TRUE(control.videoWidget()->videoShown());

  // Full screen and back on Esc, with the widget back in its place.
  control.fullScreen();
  EXPECT_TRUE(control.videoWidget()->isFullScreenShown());
  EXPECT_TRUE(control.videoWidget()->isWindow());
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(control.videoWidget(), &esc);
  EXPECT_FALSE(control.videoWidget()->isFullScreenShown());
  EXPECT_FALSE(control.player()->fullScreen());
  EXPECT_EQ(control.videoWidget()->parentWidget(), video_area);
  EXPECT_EQ(control.videoWidget()->geometry(), video_area->rect());

  control.pause();  // not the Video group: stops
  ASSERT_TRUE(wait_until([&] { return status_line == "Stopped"; }));
  EXPECT_FALSE(video_visible);
  EXPECT_TRUE(messages.shown.empty());
}

namespace {
// Stands in for the desktop's screen saver on a private bus.
class FakeScreenSaver : public QDBusVirtualObject {
 public:
  QStringList calls;
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.interface() != QLatin1String("org.freedesktop.ScreenSaver")) return false;
    const QList<QVariant> args = message.arguments();
    if (message.member() == QLatin1String("Inhibit") && args.size() == 2) {
      calls << "Inhibit " + args[0].toString();
      connection.send(message.createReply(QVariant::fromValue(uint(42))));
      return true;
    }
    if (message.member() == QLatin1String("UnInhibit") && args.size() == 1) {
      calls << "UnInhibit " + QString::number(args[0].toUInt());
      connection.send(message.createReply());
      return true;
    }
    return false;
  }
};
}  // namespace

TEST(ScreenSaver, InhibitedWhileActiveOnly) {
  QProcess daemon;
  daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                               QStringLiteral("--print-address")});
  if (!daemon.waitForStarted(5000) || !daemon.waitForReadyRead(5000)) GTEST_SKIP() << "no dbus-daemon";
  const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
  {
    QDBusConnection service_bus = QDBusConnection::connectToBus(address, QStringLiteral("screen-saver"));
    QDBusConnection player_bus = QDBusConnection::connectToBus(address, QStringLiteral("player"));
    ASSERT_TRUE(service_bus.isConnected());
    ASSERT_TRUE(player_bus.isConnected());

    // Before the service exists, asking fails quietly.
    ScreenSaverInhibitor inhibitor(player_bus, nullptr);
    int answers = 0;
    QObject::connect(&inhibitor, &ScreenSaverInhibitor::serviceAnswered, [&] { ++answers; });
    inhibitor.setActive(true);
    ASSERT_TRUE(wait_until([&] { return answers == 1; }, 10000));
    EXPECT_FALSE(inhibitor.isInhibiting());
    inhibitor.setActive(false);

    FakeScreenSaver saver;
    ASSERT_TRUE(service_bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
    ASSERT_TRUE(service_bus.registerVirtualObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &saver));
    inhibitor.setActive(true);
    ASSERT_TRUE(wait_until([&] { return inhibitor.isInhibiting(); }, 10000));
    inhibitor.setActive(true);  // no second inhibition
    inhibitor.setActive(false);
    ASSERT_TRUE(wait_until([&] { return saver.calls.size() == 2; }, 10000));
    EXPECT_EQ(saver.calls, (QStringList{"Inhibit Quovi Pro", "UnInhibit 42"}));
    EXPECT_FALSE(inhibitor.isInhibiting());

    // Quick changes settle on the last wish.
    inhibitor.setActive(true);
    inhibitor.setActive(false);
    inhibitor.setActive(true);
    ASSERT_TRUE(wait_until([&] { return inhibitor.isInhibiting() && saver.calls.size() >= 3; }, 10000));
    wait_until([] { return false; }, 200);
    EXPECT_TRUE(inhibitor.isInhibiting());
    EXPECT_EQ(saver.calls.count("Inhibit Quovi Pro") - saver.calls.count("UnInhibit 42"), 1);
  }
  QDBusConnection::disconnectFromBus(QStringLiteral("screen-saver"));
  QDBusConnection::disconnectFromBus(QStringLiteral("player"));
  daemon.terminate();
  daemon.waitForFinished(5000);
}

TEST(ScreenSaver, NoBusDoesNothing) {
  ScreenSaverInhibitor inhibitor(QDBusConnection(QStringLiteral("not-connected")), nullptr);
  inhibitor.setActive(true);
  wait_until([] { return false; }, 100);
  EXPECT_FALSE(inhibitor.isInhibiting());
}

TEST(PlayerInWindow, AFailingChannelIsShownThenReported) {
  ChannelListState state;
  Channel tv;
  tv.id = 8;
  tv.url = to_packed(QStringLiteral("http://127.0.0.1:%1/live").arg(quovi_test::LocalHttpServer::refused_port()));
  state.catalogue.channels.push_back(tv);
  state.visible = {0};
  state.catalogue.filter.group_id = 1;
  QWidget window;
  auto* video_area = new QWidget(&window);
  RecordingMessageSink messages;
  PlayerControl control(state, &window);
  control.setSelectedRowSource([] { return 0; });
  QList<int> reported;
  QString status_line;
  QObject::connect(&control, &PlayerControl::reportBrokenChannel, [&](int row, int) { reported << row; });
  QObject::connect(&control, &PlayerControl::statusTextChanged, [&](const QString& s) { status_line = s; });
  ASSERT_TRUE(control.createPlayer(video_area));
  window.show();

  control.watchRow(0);
  ASSERT_TRUE(wait_until([&] { return !reported.isEmpty(); }));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
  EXPECT_TRUE(messages.shown[0].text.contains("Connection refused")) << messages.shown[0].text.toStdString();
  EXPECT_EQ(reported, QList<int>{0});
  EXPECT_EQ(status_line, "Stopped");

  // An address that is not a network stream: the same kind of message, no report.
  state.catalogue.channels[0].url = to_packed(QStringLiteral("file:///etc/hostname"));
  control.watchRow(0);
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[1].kind, MessageKind::Error);
  wait_until([] { return false; }, 300);
  EXPECT_EQ(reported.size(), 1);
}

// libmpv is there and new enough but refuses to start (here: an output format it does not know).
// The start message names mpv's error and its cause; it does not offer to install libmpv again.
TEST(PlayerInWindow, AStartMpvRefusesNamesMpvsError) {
  ChannelListState state;
  QWidget window;
  auto* video_area = new QWidget(&window);
  RecordingMessageSink messages;
  PlayerControl control(state, &window);
  MediaPlayerOptions options = MediaPlayerOptions::from_environment();
  options.more_options = {{"o", "/nonexistent/quovi/out.no-such-format"}};

  EXPECT_FALSE(control.createPlayer(video_area, options));
  EXPECT_EQ(control.player(), nullptr);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
  const QString& text = messages.shown[0].text;
  EXPECT_TRUE(text.startsWith(QStringLiteral("The media player could not be started. libmpv says: ") +
                              QString::fromUtf8(mpv_error_string(MPV_ERROR_INVALID_PARAMETER))))
      << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("(encode: "))) << text.toStdString();  // the cause from mpv's log
  EXPECT_FALSE(text.contains(QStringLiteral("required"))) << text.toStdString();
}
