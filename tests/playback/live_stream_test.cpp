// The player against a radio station on 127.0.0.1: the station's titles, and staying on air when
// the station drops its listeners and comes back.
#include "playback/media_player.h"

#include "live_stream_server.h"
#include "test_media.h"
#include "wait_until.h"

#include <gtest/gtest.h>
#include <mpv/client.h>

using namespace std::chrono_literals;
using quovi_test::LiveStreamServer;
using quovi_test::test_media;
using quovi_test::wait_until;

namespace {
// tone.mp3 is 56 kbit/s; the station sends it at about twice that, as a real one fills a cache.
constexpr int kStationRate = 14000;

MediaPlayerOptions options(ReconnectPolicy policy = {}) {
  MediaPlayerOptions o;
  o.audio_output = QStringLiteral("null");
  o.reconnect = std::move(policy);
  return o;
}

ReconnectPolicy quick(std::chrono::milliseconds wait, std::chrono::milliseconds give_up) {
  ReconnectPolicy policy;
  policy.waits = {wait};
  policy.give_up_after = give_up;
  return policy;
}

struct Listener {
  explicit Listener(MediaPlayer& p) : player(p) {
    QObject::connect(&player, &PlayerComponent::StatusChange, [this] { statuses << player.status(); });
    QObject::connect(&player, &PlayerComponent::Error, [this] { errors << player.error(0).description; });
    QObject::connect(&player, &PlayerComponent::nowPlayingChanged, [this](const QString& t) { titles << t; });
  }
  bool reaches(const char* status, int ms = 20000) {
    return wait_until([&] { return player.status() == QLatin1String(status); }, ms);
  }
  MediaPlayer& player;
  QStringList statuses, errors, titles;
};

class LiveStreamTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(tone.isEmpty()); }
  QByteArray tone = test_media(QStringLiteral("tone.mp3"));
  LiveStreamServer station{tone, kStationRate};
};
}  // namespace

TEST_F(LiveStreamTest, TheStationsTitlesFollowEveryChangeAndGoWithTheStream) {
  MediaPlayer player(options());
  Listener listener(player);
  station.set_title("First Song");
  player.setURL(station.url());
  ASSERT_TRUE(listener.reaches("Playing"));
  ASSERT_TRUE(wait_until([&] { return player.nowPlaying() == "First Song"; }, 15000))
      << listener.titles.join(" | ").toStdString();
  station.set_title("Second Song");
  ASSERT_TRUE(wait_until([&] { return player.nowPlaying() == "Second Song"; }, 15000))
      << listener.titles.join(" | ").toStdString();
  // The station's address is never shown as a title.
  EXPECT_FALSE(listener.titles.contains(station.url()));
  player.stop();
  EXPECT_EQ(player.nowPlaying(), "");
  EXPECT_EQ(listener.titles.last(), "");
}

// The desktop's sound mixer names the stream from mpv's title: it gets the title as the window
// shows it, a right-to-left override and all, never the station's raw text.
TEST_F(LiveStreamTest, TheMixerGetsTheCleanedTitle) {
  MediaPlayer player(options());
  Listener listener(player);
  station.set_title("\u202Egnos    ${path} tsrif\u202C");
  player.setURL(station.url());
  ASSERT_TRUE(listener.reaches("Playing"));
  // mpv's title is a template: "$$" stands for "$", so the station's text cannot name a property.
  const auto mixer_title = [&] {
    char* raw = nullptr;
    if (mpv_get_property(player.nativeHandle(), "title", MPV_FORMAT_STRING, &raw) < 0) return QString();
    const QString title_template = QString::fromUtf8(raw);
    mpv_free(raw);
    return title_template;
  };
  EXPECT_TRUE(wait_until([&] { return mixer_title() == "gnos $${path} tsrif"; }, 15000)) << mixer_title().toStdString();
  player.stop();
  EXPECT_TRUE(wait_until([&] { return mixer_title() == "Quovi Pro"; }, 5000)) << mixer_title().toStdString();
}

TEST_F(LiveStreamTest, AStationThatDropsAndComesBackIsPlayedAgainWithoutAnError) {
  MediaPlayer player(options(quick(300ms, 60s)));
  Listener listener(player);
  player.setURL(station.url());
  ASSERT_TRUE(listener.reaches("Playing"));
  station.on_air(false);
  ASSERT_TRUE(listener.reaches("Reconnecting...")) << listener.statuses.join(", ").toStdString();
  // A few tries fail while the station is away.
  wait_until([] { return false; }, 1500);
  EXPECT_EQ(player.status(), "Reconnecting...");
  station.on_air(true);
  ASSERT_TRUE(listener.reaches("Playing")) << listener.statuses.join(", ").toStdString();
  EXPECT_TRUE(listener.errors.isEmpty()) << listener.errors.join('\n').toStdString();
  EXPECT_EQ(player.errorCount(), 0);
  EXPECT_FALSE(listener.statuses.contains("Stopped")) << listener.statuses.join(", ").toStdString();

  // Once it plays again a later drop gets the whole time again.
  station.on_air(false);
  ASSERT_TRUE(listener.reaches("Reconnecting..."));
  station.on_air(true);
  ASSERT_TRUE(listener.reaches("Playing"));
  EXPECT_TRUE(listener.errors.isEmpty());
}

TEST_F(LiveStreamTest, TheTriesEndWithTheUsersStopOrPause) {
  for (const bool use_pause : {false, true}) {
    SCOPED_TRACE(use_pause ? "pause" : "stop");
    MediaPlayer player(options(quick(200ms, 60s)));
    Listener listener(player);
    station.on_air(true);
    player.setURL(station.url());
    ASSERT_TRUE(listener.reaches("Playing"));
    station.on_air(false);
    ASSERT_TRUE(listener.reaches("Reconnecting..."));
    use_pause ? player.pause() : player.stop();
    EXPECT_EQ(player.status(), "Stopped");
    const int connections = station.connections();
    station.on_air(true);
    wait_until([] { return false; }, 1000);
    EXPECT_EQ(player.status(), "Stopped");
    EXPECT_EQ(station.connections(), connections);
    EXPECT_TRUE(listener.errors.isEmpty());
  }
}

TEST_F(LiveStreamTest, WhenTheTimeIsUpTheDropEndsAsAFailure) {
  MediaPlayer player(options(quick(200ms, 1500ms)));
  Listener listener(player);
  player.setURL(station.url());
  ASSERT_TRUE(listener.reaches("Playing"));
  station.on_air(false);
  ASSERT_TRUE(listener.reaches("Reconnecting..."));
  ASSERT_TRUE(wait_until([&] { return !listener.errors.isEmpty(); }, 15000)) << listener.statuses.join(", ").toStdString();
  EXPECT_EQ(player.status(), "Stopped");
  EXPECT_EQ(listener.errors.size(), 1);
  EXPECT_GE(station.attempts(), 3);  // the first stream and a few tries
}

TEST_F(LiveStreamTest, AStationThatNeverPlayedFailsAtOnce) {
  station.on_air(false);
  MediaPlayer player(options(quick(200ms, 60s)));
  Listener listener(player);
  player.setURL(station.url());
  ASSERT_TRUE(wait_until([&] { return !listener.errors.isEmpty(); }));
  EXPECT_EQ(player.status(), "Stopped");
  EXPECT_FALSE(listener.statuses.contains("Reconnecting..."));
  // Asked once: neither the player nor its demuxer tries a channel that never played again.
  EXPECT_EQ(station.attempts(), 1);
}
