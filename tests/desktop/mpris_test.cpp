// The player on a private session bus, driven the way desktop shells and playerctl drive it.
#include "../playback/local_http_server.h"
#include "../shell/shell_fixture.h"
#include "../shell/tone_window.h"
#include "../shell/stand_in_player.h"
#include "desktop/mpris_service.h"
#include "playback/player_control.h"
#include "playback/volume_button.h"
#include "private_bus.h"
#include "shell/command_wiring.h"
#include "shell/main_window.h"
#include "widgets/messages.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDialog>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include <limits>
#include <memory>

using namespace shell_test;
using quovi_test::wait_until;

namespace {
const QString kService = QStringLiteral("org.mpris.MediaPlayer2.quovi");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

// Writes down every PropertiesChanged of the player's object.
class ChangeRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QVariantMap> changes;

 public Q_SLOTS:
  void changed(const QString& interface, const QVariantMap& properties, const QStringList&) {
    if (interface == kPlayer) changes << properties;
  }
};

// Values read from the bus arrive as D-Bus arguments where they are maps.
QVariantMap as_map(const QVariant& value) {
  if (value.canConvert<QDBusArgument>()) return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
  return value.toMap();
}

struct MprisFixture : ::testing::Test {
  PrivateSessionBus bus;
  AppState state = state_with({{.name = QStringLiteral("Alpha"), .url = QStringLiteral("http://127.0.0.1:9/alpha")},
                               {.name = QStringLiteral("Beta"), .url = QStringLiteral("http://127.0.0.1:9/beta")},
                               {.name = QStringLiteral("Gamma"), .url = QStringLiteral("http://127.0.0.1:9/gamma")}});
  MainWindow window{state};
  PlayerControl* control = new PlayerControl(state, &window, &window);
  StandInPlayer* player = new StandInPlayer(control);
  RecordingMessageSink sink;
  std::unique_ptr<MprisService> mpris;
  QDBusConnection client{QString()};

  void SetUp() override {
    ASSERT_TRUE(bus.running()) << "dbus-daemon did not start";
    window.attach_player_control(control);
    control->attach(player);
    mpris = std::make_unique<MprisService>(control, QStringLiteral("org.talvex.Quovi"), bus.connect("quovi"), nullptr);
    ASSERT_EQ(mpris->service_name(), kService);
    wire_commands(window, {.player = control, .mpris = mpris.get()});
    window.rebuild_view();
    window.show();
    client = bus.connect(QStringLiteral("client"));
    ASSERT_TRUE(client.isConnected());
  }
  void TearDown() override { mpris.reset(); }

  // A call from the client, answered while the test's event loop runs.
  QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, interface, method);
    message.setArguments(arguments);
    QDBusPendingCall pending = client.asyncCall(message);
    wait_until([&] { return pending.isFinished(); }, 10000);
    return pending.reply();
  }
  QVariant get(const QString& interface, const QString& property) {
    const QDBusMessage reply = call(kProperties, QStringLiteral("Get"), {interface, property});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
  }
  QVariantMap metadata() { return as_map(get(kPlayer, QStringLiteral("Metadata"))); }
  // Lets the commands that the calls queued run.
  static void settle() { wait_until([] { return false; }, 50); }
};
}  // namespace

// Every control playerctl has reaches the player as the window's own buttons and list would.
TEST_F(MprisFixture, PlayerctlControlsReachThePlayer) {
  const QString alpha = QStringLiteral("http://127.0.0.1:9/alpha"), beta = QStringLiteral("http://127.0.0.1:9/beta");
  const struct {
    const char* command;
    const char* status_before;  // the player's status when the command comes; null: as it is
    int selected_row;           // afterwards
    QString url;                // in the player afterwards
    int plays, stops, pauses;   // player calls the command made
  } steps[] = {
      {"next", nullptr, 0, alpha, 1, 0, 0},      // nothing selected: the first row
      {"next", nullptr, 1, beta, 1, 0, 0},       //
      {"previous", nullptr, 0, alpha, 1, 0, 0},  //
      {"previous", nullptr, 0, alpha, 0, 0, 0},  // the first row has none before it
      {"play-pause", "Playing", 0, alpha, 0, 1, 0},     // live TV: pausing stops
      {"play-pause", "Connecting...", 0, alpha, 0, 1, 0},  // on its way counts as playing
      {"play-pause", "Ready", 0, alpha, 1, 0, 0},
      {"pause", nullptr, 0, alpha, 0, 1, 0},
      {"play", nullptr, 0, alpha, 1, 0, 0},
      {"stop", nullptr, 0, alpha, 0, 2, 0},  // the Pause button's stop, then the player's own
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.command);
    if (step.status_before) player->status_text = QString::fromLatin1(step.status_before);
    player->calls.clear();
    const auto output = bus.run(QStringLiteral("playerctl"), {QStringLiteral("--player=quovi"),
                                                              QString::fromLatin1(step.command)});
    ASSERT_TRUE(output.has_value()) << bus.last_error().toStdString();
    settle();
    EXPECT_EQ(window.selected_row(), step.selected_row);
    EXPECT_EQ(player->url, step.url);
    EXPECT_EQ(player->count(QStringLiteral("play")), step.plays) << player->calls.join(' ').toStdString();
    EXPECT_EQ(player->count(QStringLiteral("stop")), step.stops) << player->calls.join(' ').toStdString();
    EXPECT_EQ(player->count(QStringLiteral("pause")), step.pauses) << player->calls.join(' ').toStdString();
  }

  // What playerctl shows of the channel and the player.
  player->raise_status(QStringLiteral("Playing"));
  mpris->set_now_playing(QStringLiteral("Some Artist - Some Song"));
  const auto shown = bus.run(QStringLiteral("playerctl"), {QStringLiteral("--player=quovi"), QStringLiteral("metadata"),
                                                           QStringLiteral("--format"),
                                                           QStringLiteral("{{status}}|{{title}}|{{artist}}|{{xesam:url}}")});
  ASSERT_TRUE(shown.has_value()) << bus.last_error().toStdString();
  EXPECT_EQ(*shown, QStringLiteral("Playing|Alpha|Some Artist - Some Song|") + alpha);
}

TEST_F(MprisFixture, VolumeIsSetAndReadInBothDirections) {
  // Set by the desktop: the player and the window's volume control follow.
  const struct {
    double set;
    int player_volume;
  } cases[] = {{0.5, 50}, {0.123, 12}, {1.7, 100}, {-0.4, 0}, {1.0, 100}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.set);
    const QDBusMessage reply = call(kProperties, QStringLiteral("Set"),
                                    {kPlayer, QStringLiteral("Volume"), QVariant::fromValue(QDBusVariant(c.set))});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(player->volume_value, c.player_volume);
    EXPECT_EQ(window.sound_button()->toolTip(), QStringLiteral("%1%").arg(c.player_volume));
    EXPECT_DOUBLE_EQ(get(kPlayer, QStringLiteral("Volume")).toDouble(), c.player_volume / 100.0);
  }
  // A value that is no number changes nothing.
  call(kProperties, QStringLiteral("Set"),
       {kPlayer, QStringLiteral("Volume"), QVariant::fromValue(QDBusVariant(std::numeric_limits<double>::quiet_NaN()))});
  EXPECT_EQ(player->volume_value, 100);

  // Set in the window: the desktop reads it, and playerctl sets it too.
  control->volumeReleasedAt(18);
  const int shown = player->volume_value;
  ASSERT_NE(shown, 100);
  EXPECT_DOUBLE_EQ(get(kPlayer, QStringLiteral("Volume")).toDouble(), shown / 100.0);
  ASSERT_TRUE(bus.run(QStringLiteral("playerctl"), {QStringLiteral("--player=quovi"), QStringLiteral("volume"),
                                                    QStringLiteral("0.25")}));
  EXPECT_TRUE(wait_until([&] { return player->volume_value == 25; }, 5000));
}

// Status, channel and now-playing title follow the player, and each change is announced.
TEST_F(MprisFixture, StatusAndMetadataFollowThePlayerAndAreAnnounced) {
  ChangeRecorder recorder;
  ASSERT_TRUE(client.connect(kService, kPath, kProperties, QStringLiteral("PropertiesChanged"), &recorder,
                             SLOT(changed(QString, QVariantMap, QStringList))));
  // The connection is made on the bus before anything changes.
  call(kProperties, QStringLiteral("Get"), {kPlayer, QStringLiteral("PlaybackStatus")});

  EXPECT_EQ(metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(),
            QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
  EXPECT_FALSE(get(kPlayer, QStringLiteral("CanPlay")).toBool());
  EXPECT_EQ(get(kPlayer, QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Stopped"));

  // What each change shows afterwards, and what the announcement of it carries.
  const auto title = [&] { return metadata().value(QStringLiteral("xesam:title")).toString(); };
  const auto artist = [&] { return metadata().value(QStringLiteral("xesam:artist")).toStringList(); };
  const auto status = [&] { return get(kPlayer, QStringLiteral("PlaybackStatus")).toString(); };
  // The property as the last announcement that named it gave it; nothing when none did.
  const auto announced = [&](const char* property) {
    const QString name = QString::fromLatin1(property);
    const auto named = [&] {
      for (auto change = recorder.changes.crbegin(); change != recorder.changes.crend(); ++change)
        if (change->contains(name)) return change->value(name);
      return QVariant();
    };
    wait_until([&] { return named().isValid(); }, 5000);
    return named();
  };

  window.select_row(1);
  EXPECT_EQ(title(), QStringLiteral("Beta"));
  const QVariantMap beta = metadata();
  EXPECT_EQ(beta.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(),
            QStringLiteral("/org/talvex/Quovi/Channel/2"));
  EXPECT_EQ(beta.value(QStringLiteral("xesam:url")).toString(), QStringLiteral("http://127.0.0.1:9/beta"));
  EXPECT_FALSE(beta.contains(QStringLiteral("xesam:artist")));
  EXPECT_TRUE(get(kPlayer, QStringLiteral("CanPlay")).toBool());
  EXPECT_EQ(as_map(announced("Metadata")).value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Beta"));
  EXPECT_EQ(announced("CanPlay"), QVariant(true));

  recorder.changes.clear();
  player->raise_status(QStringLiteral("Connecting..."));
  EXPECT_EQ(status(), QStringLiteral("Playing"));
  EXPECT_EQ(announced("PlaybackStatus").toString(), QStringLiteral("Playing"));
  recorder.changes.clear();
  player->raise_status(QStringLiteral("Playing"));  // the desktop saw "Playing" already
  settle();
  EXPECT_TRUE(recorder.changes.isEmpty());

  // The station's title comes from the player, as the window gets it.
  Q_EMIT player->nowPlayingChanged(QStringLiteral("Band - Song"));
  EXPECT_EQ(artist(), QStringList{QStringLiteral("Band - Song")});
  EXPECT_EQ(as_map(announced("Metadata")).value(QStringLiteral("xesam:artist")).toStringList(),
            QStringList{QStringLiteral("Band - Song")});

  recorder.changes.clear();
  control->applyVolume(70);
  EXPECT_DOUBLE_EQ(announced("Volume").toDouble(), 0.7);

  recorder.changes.clear();
  player->raise_status(QStringLiteral("Paused"));
  EXPECT_EQ(status(), QStringLiteral("Paused"));
  EXPECT_EQ(announced("PlaybackStatus").toString(), QStringLiteral("Paused"));

  // Another channel forgets the last one's title.
  recorder.changes.clear();
  window.select_row(2);
  EXPECT_EQ(title(), QStringLiteral("Gamma"));
  EXPECT_TRUE(artist().isEmpty());
  EXPECT_EQ(as_map(announced("Metadata")).value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Gamma"));

  recorder.changes.clear();
  window.clear_selection();
  EXPECT_EQ(metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(),
            QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
  EXPECT_FALSE(get(kPlayer, QStringLiteral("CanPlay")).toBool());
  EXPECT_EQ(announced("CanPlay"), QVariant(false));
}

TEST_F(MprisFixture, RootInterfaceRaisesAndQuits) {
  EXPECT_EQ(get(kRoot, QStringLiteral("Identity")).toString(), QStringLiteral("Quovi Pro"));
  EXPECT_EQ(get(kRoot, QStringLiteral("DesktopEntry")).toString(), QStringLiteral("org.talvex.Quovi"));
  EXPECT_TRUE(get(kRoot, QStringLiteral("CanQuit")).toBool());
  EXPECT_TRUE(get(kRoot, QStringLiteral("CanRaise")).toBool());
  EXPECT_FALSE(get(kRoot, QStringLiteral("HasTrackList")).toBool());
  EXPECT_TRUE(get(kPlayer, QStringLiteral("CanControl")).toBool());
  EXPECT_FALSE(get(kPlayer, QStringLiteral("CanSeek")).toBool());

  // An address from outside is refused with an error, not silently dropped.
  const QDBusMessage open = call(kPlayer, QStringLiteral("OpenUri"), {QStringLiteral("http://127.0.0.1:9/other")});
  EXPECT_EQ(open.type(), QDBusMessage::ErrorMessage);
  EXPECT_TRUE(player->url.isEmpty());

  // A second copy of the program takes a name of its own.
  MprisService second(control, QStringLiteral("org.talvex.Quovi"), bus.connect(QStringLiteral("second")), nullptr);
  EXPECT_EQ(second.service_name(), kService + QStringLiteral(".instance") +
                                       QString::number(QCoreApplication::applicationPid()));

  window.showMinimized();
  ASSERT_EQ(call(kRoot, QStringLiteral("Raise")).type(), QDBusMessage::ReplyMessage);
  EXPECT_TRUE(wait_until([&] { return !window.isMinimized(); }, 5000));

  ASSERT_EQ(call(kRoot, QStringLiteral("Quit")).type(), QDBusMessage::ReplyMessage);
  EXPECT_TRUE(wait_until([&] { return !window.isVisible(); }, 5000)) << "the window closes as its close box does";
}

// With the real player and a stream from a local server: the desktop sees it play, and its
// PlayPause stops it.
TEST(MprisWithPlayer, TheDesktopSeesARealStreamPlayAndStopsIt) {
  PrivateSessionBus bus;
  ASSERT_TRUE(bus.running()) << "dbus-daemon did not start";
  ToneWindow tone;
  MainWindow& window = tone.window;
  PlayerControl* control = tone.control;
  ASSERT_TRUE(control->createPlayer(window.video_area()));
  MprisService mpris(control, QStringLiteral("org.talvex.Quovi"), bus.connect(QStringLiteral("quovi")), nullptr);
  wire_commands(window, {.player = control, .mpris = &mpris});
  window.rebuild_view();
  window.show();

  const auto playerctl = [&](const QString& command) {
    return bus.run(QStringLiteral("playerctl"), {QStringLiteral("--player=quovi"), command}).value_or(QString());
  };
  EXPECT_EQ(playerctl(QStringLiteral("status")), QStringLiteral("Stopped"));
  ASSERT_TRUE(bus.run(QStringLiteral("playerctl"), {QStringLiteral("--player=quovi"), QStringLiteral("next")}))
      << bus.last_error().toStdString();
  ASSERT_TRUE(wait_until([&] { return window.status_label()->text() == QLatin1String("Playing"); }))
      << window.status_label()->text().toStdString();
  EXPECT_EQ(playerctl(QStringLiteral("status")), QStringLiteral("Playing"));

  ASSERT_TRUE(bus.run(QStringLiteral("playerctl"), {QStringLiteral("--player=quovi"), QStringLiteral("play-pause")}));
  EXPECT_TRUE(wait_until([&] { return window.status_label()->text() == QLatin1String("Stopped"); }, 5000))
      << window.status_label()->text().toStdString();
  EXPECT_EQ(playerctl(QStringLiteral("status")), QStringLiteral("Stopped"));
  EXPECT_TRUE(tone.messages.shown.empty());
}

// Channel ids come from files; whatever they hold, each channel gets a track id of its own that
// the bus takes (a malformed path would keep the whole Metadata off the bus).
TEST(MprisMetadata, EveryChannelIdGivesAValidTrackIdOfItsOwn) {
  QStringList paths;
  for (const int id : {0, 7, -7, std::numeric_limits<int>::max(), std::numeric_limits<int>::min()}) {
    MprisTrack track;
    track.channel_id = id;
    track.name = QStringLiteral("Name");
    const QString path = mpris_metadata(track, {}).value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
    EXPECT_TRUE(path.startsWith(QStringLiteral("/org/talvex/Quovi/Channel/"))) << id << " " << path.toStdString();
    paths << path;
  }
  paths.removeDuplicates();
  EXPECT_EQ(paths.size(), 5);
}

// An error box waits for its answer: the desktop's Next is refused instead of playing on behind it
// (and stacking another box for the next dead channel); once the box is gone, Next works again.
TEST_F(MprisFixture, CommandsWaitForNoBoxWhileOneIsOpen) {
  QDialog box(&window);
  box.setModal(true);
  box.show();
  ASSERT_TRUE(bus.run(QStringLiteral("playerctl"), {QStringLiteral("--player=quovi"), QStringLiteral("next")}))
      << bus.last_error().toStdString();
  settle();
  EXPECT_EQ(window.selected_row(), -1);
  EXPECT_EQ(player->count(QStringLiteral("play")), 0);
  box.close();
  ASSERT_TRUE(bus.run(QStringLiteral("playerctl"), {QStringLiteral("--player=quovi"), QStringLiteral("next")}));
  settle();
  EXPECT_EQ(window.selected_row(), 0);
  EXPECT_EQ(player->count(QStringLiteral("play")), 1);
}

// Without a session bus the program plays and answers its media keys as ever.
TEST(MprisWithoutBus, NothingIsPublishedAndNothingFails) {
  qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quovi-test-no-session-bus");
  AppState state = state_with_names({QStringLiteral("Alpha"), QStringLiteral("Beta")});
  MainWindow window{state};
  auto* control = new PlayerControl(state, &window, &window);
  auto* player = new StandInPlayer(control);
  window.attach_player_control(control);
  control->attach(player);
  MprisService mpris(control, QStringLiteral("org.talvex.Quovi"));
  EXPECT_TRUE(mpris.service_name().isEmpty());
  wire_commands(window, {.player = control, .mpris = &mpris});
  window.rebuild_view();
  window.show();

  QTest::keyClick(window.channel_list(), Qt::Key_MediaNext);
  EXPECT_EQ(window.selected_row(), 0);
  EXPECT_EQ(player->count(QStringLiteral("play")), 1);
  player->raise_status(QStringLiteral("Playing"));
  mpris.set_now_playing(QStringLiteral("Song"));
  control->applyVolume(40);
  EXPECT_EQ(mpris.playback_status(), QStringLiteral("Playing"));
  EXPECT_DOUBLE_EQ(mpris.volume(), 0.4);
}

#include "mpris_test.moc"
