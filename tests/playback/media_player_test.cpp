// The media player over a real libmpv core, headless: no sound (ao=null) and no video widget.
#include "playback/media_player.h"

#include "local_http_server.h"
#include "test_env.h"
#include "test_media.h"
#include "wait_until.h"

#include <gtest/gtest.h>

#include <QFile>

using quovi_test::LocalHttpServer;
using quovi_test::test_media;
using quovi_test::wait_until;

namespace {
MediaPlayerOptions silent() {
  MediaPlayerOptions options;
  options.audio_output = QStringLiteral("null");
  return options;
}

// Records every status text and error as the player raises them.
struct Recorder {
  explicit Recorder(MediaPlayer& player) {
    QObject::connect(&player, &PlayerComponent::StatusChange, [this, &player] { statuses << player.status(); });
    QObject::connect(&player, &PlayerComponent::Error, [this, &player] {
      errors << player.error(player.errorCount() - 1).description;
    });
  }
  QStringList statuses;
  QStringList errors;
};

class MediaPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const QByteArray tone = test_media(QStringLiteral("tone.mp3"));
    ASSERT_FALSE(tone.isEmpty());
    server.serve("/tone.mp3", tone, "audio/mpeg");
    ASSERT_TRUE(player.isValid());
  }
  LocalHttpServer server;
  MediaPlayer player{silent()};
  Recorder recorder{player};
};
}  // namespace

TEST_F(MediaPlayerTest, WritingTheUrlLoadsNothingUntilPlay) {
  player.setAutoStart(false);
  const QString url = server.url(QStringLiteral("/tone.mp3"));
  player.setURL(url);
  EXPECT_EQ(player.URL(), url);
  EXPECT_EQ(player.status(), "Ready");
  EXPECT_TRUE(player.hasCurrentMedia());
  // Give mpv every chance to open the stream on its own: it must not.
  wait_until([] { return false; }, 700);
  EXPECT_EQ(server.requests(), 0);
  EXPECT_EQ(player.status(), "Ready");
  EXPECT_EQ(recorder.statuses, QStringList{"Ready"});
}

TEST_F(MediaPlayerTest, PlaysPausesStopsAndUnloads) {
  player.setAutoStart(false);
  const QString url = server.url(QStringLiteral("/tone.mp3"));
  player.setURL(url);
  player.play();
  EXPECT_EQ(player.status(), "Connecting...");
  ASSERT_TRUE(wait_until([&] { return player.status() == "Playing"; })) << player.status().toStdString();
  EXPECT_GE(server.requests(), 1);

  player.pause();
  EXPECT_EQ(player.status(), "Paused");
  wait_until([] { return false; }, 300);
  EXPECT_EQ(player.status(), "Paused");
  player.play();
  ASSERT_TRUE(wait_until([&] { return player.status() == "Playing"; }));

  player.stop();
  EXPECT_EQ(player.status(), "Stopped");
  EXPECT_EQ(player.URL(), url);
  wait_until([] { return false; }, 300);
  EXPECT_EQ(player.status(), "Stopped");

  // Playing again after a stop opens the stream afresh.
  player.play();
  ASSERT_TRUE(wait_until([&] { return player.status() == "Playing"; }));
  player.setURL(QString());
  EXPECT_EQ(player.URL(), QString());
  EXPECT_EQ(player.status(), "Stopped");
  EXPECT_FALSE(player.hasCurrentMedia());
  wait_until([] { return false; }, 300);
  EXPECT_EQ(player.status(), "Stopped");
  EXPECT_TRUE(recorder.errors.isEmpty()) << recorder.errors.join('\n').toStdString();

  // One event per change of text, never the same text twice in a row.
  for (qsizetype i = 1; i < recorder.statuses.size(); ++i)
    EXPECT_NE(recorder.statuses[i], recorder.statuses[i - 1]) << recorder.statuses.join(", ").toStdString();
  EXPECT_TRUE(recorder.statuses.contains("Playing"));
}

TEST_F(MediaPlayerTest, AutoStartPlaysOnWrite) {
  player.setAutoStart(true);
  player.setURL(server.url(QStringLiteral("/tone.mp3")));
  ASSERT_TRUE(wait_until([&] { return player.status() == "Playing"; })) << player.status().toStdString();
}

TEST_F(MediaPlayerTest, TheEndOfTheStreamStops) {
  player.setAutoStart(false);
  player.setURL(server.url(QStringLiteral("/tone.mp3")));
  player.play();
  ASSERT_TRUE(wait_until([&] { return player.status() == "Playing"; }));
  ASSERT_TRUE(wait_until([&] { return player.status() == "Stopped"; }, 30000));
  EXPECT_EQ(player.errorCount(), 0);
}

TEST_F(MediaPlayerTest, NetworkFailuresNameTheirCause) {
  struct Case {
    QString url;
    const char* cause;
  };
  const Case cases[] = {
      {QStringLiteral("http://127.0.0.1:%1/tone.mp3").arg(LocalHttpServer::refused_port()), "Connection refused"},
      {server.url(QStringLiteral("/missing.mp3")), "404"},
  };
  player.setAutoStart(false);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url.toStdString());
    const qsizetype errors_before = recorder.errors.size();
    player.setURL(c.url);
    player.play();
    ASSERT_TRUE(wait_until([&] { return recorder.errors.size() > errors_before; }));
    EXPECT_EQ(player.status(), "Stopped");
    ASSERT_EQ(player.errorCount(), 1);  // the queue holds the current load's error only
    const PlayerError error = player.error(0);
    EXPECT_TRUE(error.description.contains(QLatin1String(c.cause))) << error.description.toStdString();
    // mpv's own wording stays beside the cause.
    EXPECT_TRUE(error.description.contains(QString::fromUtf8(mpv_error_string(error.code))))
        << error.description.toStdString();
    EXPECT_FALSE(error.refused_url);
    EXPECT_LT(error.code, 0);
  }
}

TEST_F(MediaPlayerTest, AddressesThatAreNoNetworkStreamNeverReachMpv) {
  const QString file = quovi_test::sandbox_root() + QStringLiteral("/tone.mp3");
  ASSERT_TRUE(quovi_test::write_all(file, test_media(QStringLiteral("tone.mp3"))));
  player.setAutoStart(false);
  for (const QString& url : {file, QStringLiteral("file://") + file, QStringLiteral("av://lavfi:sine")}) {
    SCOPED_TRACE(url.toStdString());
    const qsizetype errors_before = recorder.errors.size();
    player.setURL(url);
    EXPECT_EQ(player.URL(), url);
    player.play();
    ASSERT_EQ(recorder.errors.size(), errors_before + 1);
    EXPECT_TRUE(player.error(0).refused_url);
    EXPECT_EQ(player.status(), "Stopped");
    // Had mpv been given the address, the local file would now be playing.
    wait_until([] { return false; }, 500);
    EXPECT_EQ(player.status(), "Stopped");
  }
}

namespace {
// What mpv itself holds, not what the setters remembered.
double mpv_volume(const MediaPlayer& player) {
  double volume = -1;
  mpv_get_property(player.nativeHandle(), "volume", MPV_FORMAT_DOUBLE, &volume);
  return volume;
}
int mpv_mute(const MediaPlayer& player) {
  int mute = -1;
  mpv_get_property(player.nativeHandle(), "mute", MPV_FORMAT_FLAG, &mute);
  return mute;
}
}  // namespace

TEST_F(MediaPlayerTest, VolumeAndMuteReachMpv) {
  // The setters hand their values to mpv without waiting, so each check waits for mpv to have them.
  struct Step {
    int set;
    double in_mpv;
  };
  for (const Step step : {Step{30, 30}, Step{130, 100}, Step{-5, 0}, Step{77, 77}}) {
    player.setVolume(step.set);
    EXPECT_TRUE(wait_until([&] { return mpv_volume(player) == step.in_mpv; }, 5000))
        << step.set << ": mpv holds " << mpv_volume(player);
    EXPECT_EQ(player.volume(), step.in_mpv);
  }
  for (const bool mute : {true, false, true}) {
    player.setMute(mute);
    EXPECT_TRUE(wait_until([&] { return mpv_mute(player) == (mute ? 1 : 0); }, 5000)) << mute;
    EXPECT_EQ(player.mute(), mute);
  }
  // The volume survives muting and a load.
  player.setAutoStart(false);
  player.setURL(server.url(QStringLiteral("/tone.mp3")));
  player.play();
  ASSERT_TRUE(wait_until([&] { return player.status() == "Playing"; })) << player.status().toStdString();
  EXPECT_EQ(mpv_volume(player), 77);
  EXPECT_EQ(mpv_mute(player), 1);
}

TEST_F(MediaPlayerTest, SettingsAreKept) {
  player.setUiMode(QStringLiteral("none"));
  EXPECT_EQ(player.uiMode(), "none");
  player.setStretchToFit(true);
  EXPECT_TRUE(player.stretchToFit());
  int changes = 0;
  QObject::connect(&player, &PlayerComponent::fullScreenChanged, [&](bool) { ++changes; });
  player.setFullScreen(true);
  player.setFullScreen(true);
  EXPECT_TRUE(player.fullScreen());
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(player.hasCurrentMedia());
}

TEST_F(MediaPlayerTest, PlaylistsLeadOnlyToNetworkStreams) {
  const QString local = quovi_test::sandbox_root() + QStringLiteral("/local.mp3");
  ASSERT_TRUE(quovi_test::write_all(local, test_media(QStringLiteral("tone.mp3"))));
  server.serve("/good.m3u", (server.url(QStringLiteral("/tone.mp3")) + QStringLiteral("\n")).toUtf8(),
               "audio/x-mpegurl");
  server.serve("/local.m3u", (QStringLiteral("file://") + local + QStringLiteral("\n")).toUtf8(), "audio/x-mpegurl");
  player.setAutoStart(false);

  player.setURL(server.url(QStringLiteral("/good.m3u")));
  player.play();
  ASSERT_TRUE(wait_until([&] { return player.status() == "Playing"; })) << player.status().toStdString();
  player.stop();

  player.setURL(server.url(QStringLiteral("/local.m3u")));
  player.play();
  // The local entry is refused: the load ends, never playing, and does not hang in "Connecting...".
  ASSERT_TRUE(wait_until([&] { return player.errorCount() == 1; }));
  EXPECT_EQ(player.status(), "Stopped");
  EXPECT_TRUE(player.error(0).description.contains("unsafe")) << player.error(0).description.toStdString();
  EXPECT_FALSE(recorder.statuses.mid(recorder.statuses.lastIndexOf("Connecting...")).contains("Playing"));
}

// Headers a playlist gave a channel reach its stream's requests: the cookie its host alone (not the
// host a redirect or a live list's segment leads to), the others every request of the stream; the
// next channel none.
TEST_F(MediaPlayerTest, RequestHeadersReachTheirStreamAndTheCookieItsHostAlone) {
  const auto head_of = [&](const std::string& path) -> std::string {
    for (const std::string& head : server.heads())
      if (head.find("GET " + path + " ") == 0) return head;
    return {};
  };
  const auto has_line = [](const std::string& head, const std::string& line) {
    return QString::fromStdString(head + "\r\n").contains(QString::fromStdString("\r\n" + line + "\r\n"), Qt::CaseInsensitive);
  };
  const auto names = [](const std::string& head, const char* name) {
    return QString::fromStdString(head).contains(QStringLiteral("\r\n%1:").arg(QLatin1String(name)), Qt::CaseInsensitive);
  };
  // 127.0.0.1 sends the player on to "localhost", the same server under another host's name.
  server.redirect("/hop", "http://localhost:" + std::to_string(server.port()) + "/tone.mp3");
  server.serve("/other.mp3", test_media(QStringLiteral("tone.mp3")), "audio/mpeg");
  player.setAutoStart(false);
  player.setHttpOptions({"Box/1.0 (X11, Linux)", "http://r.example/",
                         "Origin: https://o.example\nCookie: sid=42; theme=dark\nX-Token: a, b"});
  player.setURL(server.url(QStringLiteral("/hop")));
  player.play();
  ASSERT_TRUE(wait_until([&] { return !head_of("/tone.mp3").empty(); }, 10000)) << server.heads().size();
  const std::string first = head_of("/hop"), moved = head_of("/tone.mp3");
  for (const std::string& head : {first, moved}) {
    EXPECT_TRUE(has_line(head, "User-Agent: Box/1.0 (X11, Linux)")) << head;
    EXPECT_TRUE(has_line(head, "Referer: http://r.example/")) << head;
    EXPECT_TRUE(has_line(head, "Origin: https://o.example")) << head;
    EXPECT_TRUE(has_line(head, "X-Token: a, b")) << head;
  }
  EXPECT_TRUE(has_line(first, "Cookie: sid=42; theme=dark")) << first;
  EXPECT_FALSE(names(moved, "Cookie")) << moved;

  // A live list whose segment lies on another host: the list's request has the cookie, the
  // segment's not.
  const std::string segment = "http://localhost:" + std::to_string(server.port()) + "/segment.mp3";
  server.serve("/segment.mp3", test_media(QStringLiteral("tone.mp3")), "audio/mpeg");
  server.serve("/live.m3u8",
               QByteArray::fromStdString("#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXT-X-MEDIA-SEQUENCE:0\n#EXTINF:5.0,\n" +
                                         segment + "\n#EXT-X-ENDLIST\n"),
               "application/vnd.apple.mpegurl");
  player.setURL(server.url(QStringLiteral("/live.m3u8")));
  player.play();
  ASSERT_TRUE(wait_until([&] { return !head_of("/segment.mp3").empty(); }, 10000)) << server.heads().size();
  EXPECT_TRUE(has_line(head_of("/live.m3u8"), "Cookie: sid=42; theme=dark")) << head_of("/live.m3u8");
  EXPECT_TRUE(has_line(head_of("/segment.mp3"), "Origin: https://o.example")) << head_of("/segment.mp3");
  EXPECT_FALSE(names(head_of("/segment.mp3"), "Cookie")) << head_of("/segment.mp3");

  player.setHttpOptions({});
  player.setURL(server.url(QStringLiteral("/other.mp3")));
  player.play();
  ASSERT_TRUE(wait_until([&] { return !head_of("/other.mp3").empty(); }));
  const std::string other = head_of("/other.mp3");
  for (const char* name : {"Cookie", "Origin", "X-Token", "Referer"}) EXPECT_FALSE(names(other, name)) << name << other;
}

TEST_F(MediaPlayerTest, HttpOptionsReachTheServerForTheirChannelOnly) {
  const auto head_of = [&](const std::string& path) -> std::string {
    for (const std::string& head : server.heads())
      if (head.find("GET " + path + " ") == 0) return head;
    return {};
  };
  const auto has_line = [](const std::string& head, const std::string& line) {
    return QString::fromStdString(head).contains(QString::fromStdString("\r\n" + line + "\r\n"), Qt::CaseInsensitive) ||
           QString::fromStdString(head).endsWith(QString::fromStdString("\r\n" + line), Qt::CaseInsensitive);
  };
  server.serve("/other.mp3", test_media(QStringLiteral("tone.mp3")), "audio/mpeg");
  player.setAutoStart(false);
  player.setHttpOptions({"PlaylistBox/2.1 (test)", "http://referrer.example/page", {}});
  player.setURL(server.url(QStringLiteral("/tone.mp3")));
  player.play();
  ASSERT_TRUE(wait_until([&] { return !head_of("/tone.mp3").empty(); }));
  EXPECT_TRUE(has_line(head_of("/tone.mp3"), "User-Agent: PlaylistBox/2.1 (test)")) << head_of("/tone.mp3");
  EXPECT_TRUE(has_line(head_of("/tone.mp3"), "Referer: http://referrer.example/page")) << head_of("/tone.mp3");

  // The next channel asks for nothing: the player's own agent, and no referrer.
  player.setHttpOptions({});
  player.setURL(server.url(QStringLiteral("/other.mp3")));
  player.play();
  ASSERT_TRUE(wait_until([&] { return !head_of("/other.mp3").empty(); }));
  const std::string other = head_of("/other.mp3");
  EXPECT_EQ(other.find("PlaylistBox"), std::string::npos) << other;
  EXPECT_EQ(QString::fromStdString(other).indexOf(QStringLiteral("Referer:"), 0, Qt::CaseInsensitive), -1) << other;
  EXPECT_NE(QString::fromStdString(other).indexOf(QStringLiteral("User-Agent:"), 0, Qt::CaseInsensitive), -1) << other;
}
