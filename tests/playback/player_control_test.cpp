// The player control's rules against a scripted stand-in of the player.
#include "playback/player_control.h"

#include "playback/player_component.h"
#include "playback/stream_recorder.h"
#include "views/channel_list_state.h"
#include "widgets/messages.h"

#include "wait_until.h"

#include <gtest/gtest.h>

#include <QFile>
#include <functional>
#include <QStringList>

namespace {
// Does what it is told and writes it down; the test decides the status texts.
class ScriptedPlayer : public PlayerComponent {
 public:
  QString URL() const override { return url; }
  void setURL(const QString& u) override {
    url = u;
    calls << "url:" + u;
  }
  QString status() const override { return status_text; }
  void play() override { calls << "play"; }
  void pause() override { calls << "pause"; }
  void stop() override { calls << "stop"; }
  int volume() const override { return volume_value; }
  void setVolume(int v) override { volume_value = v; }
  bool mute() const override { return muted; }
  void setMute(bool m) override { muted = m; }
  bool autoStart() const override { return auto_start; }
  void setAutoStart(bool on) override { auto_start = on; }
  QString uiMode() const override { return ui_mode; }
  void setUiMode(const QString& m) override { ui_mode = m; }
  bool stretchToFit() const override { return stretch; }
  void setStretchToFit(bool on) override { stretch = on; }
  bool fullScreen() const override { return full_screen; }
  void setFullScreen(bool on) override { full_screen = on; }
  bool hasCurrentMedia() const override { return !url.isEmpty(); }
  QString currentMedia() const override { return url; }
  int errorCount() const override { return int(errors.size()); }
  PlayerError error(int i) const override { return errors.value(i); }
  void clearErrors() override { errors.clear(); }

  void raiseStatus(const QString& text) {
    status_text = text;
    Q_EMIT StatusChange();
  }
  void raiseError(const PlayerError& e) {
    errors = {e};
    Q_EMIT Error();
  }

  QString url;
  QString status_text = QStringLiteral("Stopped");
  QStringList calls;
  int volume_value = 100;
  bool muted = false;
  bool auto_start = true;
  QString ui_mode = QStringLiteral("full");
  bool stretch = false;
  bool full_screen = false;
  QList<PlayerError> errors;
  QByteArray recorded;  // what a recording gets written into it

  void startRecording(const QString& path) override {
    QFile file(path);
    if (file.open(QIODevice::Append)) file.write(recorded);
  }
};

Channel channel(int id, const char* url, bool user_defined) {
  Channel item;
  item.id = id;
  item.url = PackedText(url);
  item.user_defined = user_defined ? 1 : 0;
  return item;
}

// What the window would show, driven by the control's signals.
struct WindowState {
  QString status_line = QStringLiteral("Stopped");
  bool pause_shown = true;
  bool video_visible = true;
  int volume_shown = -1;
  bool unmute_shown = false;
  QList<std::pair<int, int>> submitted;
  QList<std::pair<int, int>> reported;
  qsizetype messages_when_reported = -1;
};

class PlayerControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& channels = state.catalogue.channels;
    channels.push_back(channel(10, "http://a.example/tv", false));
    channels.push_back(channel(11, "http://b.example/user", true));
    channels.push_back(channel(12, "http://c.example/radio", false));
    state.visible = {2, 1, 0};  // row 0 -> channel 2, row 1 -> the user channel, row 2 -> channel 0
    control.setSelectedRowSource([this] { return selected_row; });
    QObject::connect(&control, &PlayerControl::statusTextChanged, [this](const QString& s) { window.status_line = s; });
    QObject::connect(&control, &PlayerControl::playPauseChanged, [this](bool playing) { window.pause_shown = playing; });
    QObject::connect(&control, &PlayerControl::videoVisibleChanged, [this](bool v) { window.video_visible = v; });
    QObject::connect(&control, &PlayerControl::volumeShown, [this](int v) { window.volume_shown = v; });
    QObject::connect(&control, &PlayerControl::muteChanged, [this](bool m) { window.unmute_shown = m; });
    QObject::connect(&control, &PlayerControl::submitUserChannel, [this](int row, int index) {
      window.submitted.append({row, index});
      if (on_submit) on_submit();
    });
    QObject::connect(&control, &PlayerControl::reportBrokenChannel, [this](int row, int index) {
      window.reported.append({row, index});
      window.messages_when_reported = messages.shown.size();
    });
  }
  void create() {
    control.attach(&player);
    player.calls.clear();
  }

  ChannelListState state;
  RecordingMessageSink messages;
  ScriptedPlayer player;
  PlayerControl control{state, nullptr};
  WindowState window;
  int selected_row = -1;
  std::function<void()> on_submit;
};
}  // namespace

TEST_F(PlayerControlTest, CreationSetsUpThePlayer) {
  window.video_visible = true;
  control.attach(&player);
  EXPECT_EQ(player.ui_mode, "none");
  EXPECT_EQ(player.volume_value, 30);
  EXPECT_FALSE(player.auto_start);
  EXPECT_TRUE(player.stretch);
  EXPECT_EQ(player.calls, QStringList{"stop"});
  EXPECT_EQ(window.volume_shown, 30);
  EXPECT_FALSE(window.video_visible);
  EXPECT_TRUE(window.pause_shown);
  EXPECT_FALSE(window.unmute_shown);
  EXPECT_EQ(window.status_line, "Stopped");
}

TEST_F(PlayerControlTest, LoadingAndPlayingARow) {
  create();
  control.loadRow(1);
  EXPECT_EQ(player.url, "http://b.example/user");
  EXPECT_FALSE(window.pause_shown);
  EXPECT_EQ(player.calls, QStringList{"url:http://b.example/user"});  // loaded, not played
  control.play();
  EXPECT_TRUE(window.pause_shown);
  EXPECT_EQ(player.calls.last(), "play");
  control.loadRow(-1);
  EXPECT_EQ(player.url, "");
  EXPECT_TRUE(window.pause_shown);
  control.loadRow(7);  // beyond the list: the no-channel state
  EXPECT_EQ(player.url, "");
  control.watchRow(0);
  EXPECT_EQ(player.calls.mid(player.calls.size() - 2), (QStringList{"url:http://c.example/radio", "play"}));
  EXPECT_TRUE(window.pause_shown);
}

TEST_F(PlayerControlTest, PausePausesVideosAndStopsEverythingElse) {
  create();
  const std::pair<uint16_t, const char*> cases[] = {{3, "pause"}, {1, "stop"}, {2, "stop"}, {0, "stop"}};
  for (auto [group, action] : cases) {
    state.catalogue.filter.group_id = group;
    control.loadRow(0);
    control.play();
    player.calls.clear();
    control.pause();
    EXPECT_EQ(player.calls, QStringList{action}) << group;
    EXPECT_FALSE(window.pause_shown) << group;
  }
}

TEST_F(PlayerControlTest, PauseWithNothingLoadedChangesNothing) {
  create();
  state.catalogue.filter.group_id = 3;
  control.pause();
  EXPECT_TRUE(player.calls.isEmpty());
  EXPECT_TRUE(window.pause_shown);
}

TEST_F(PlayerControlTest, StatusChangesDriveStatusLineButtonsAndVideo) {
  create();
  state.catalogue.filter.group_id = 3;
  control.loadRow(0);
  control.play();
  player.calls.clear();

  player.raiseStatus("Connecting...");
  EXPECT_EQ(window.status_line, "Connecting...");
  EXPECT_FALSE(window.video_visible);
  player.raiseStatus("now PLAYING live");
  EXPECT_TRUE(window.video_visible);
  EXPECT_TRUE(window.pause_shown);
  player.raiseStatus("Buffering...");
  EXPECT_FALSE(window.video_visible);
  player.raiseStatus("paused");  // not the exact text: no Pause command
  EXPECT_TRUE(player.calls.isEmpty());
  EXPECT_TRUE(window.pause_shown);

  player.raiseStatus("Paused");
  EXPECT_EQ(player.calls, QStringList{"pause"});
  EXPECT_FALSE(window.pause_shown);
  EXPECT_FALSE(window.video_visible);

  // With nothing loaded the Pause command leaves the buttons alone.
  control.loadRow(-1);
  player.calls.clear();
  player.raiseStatus("Stopped");
  EXPECT_EQ(window.status_line, "Stopped");
  EXPECT_TRUE(player.calls.isEmpty());
  EXPECT_TRUE(window.pause_shown);
}

TEST_F(PlayerControlTest, AUserChannelIsSubmittedOnceWhenFirstSeenPlaying) {
  create();
  auto& user = state.catalogue.channels[1];
  selected_row = 1;
  control.loadRow(1);
  control.play();
  // A second "Playing" while the submission runs (its request lets events through) sends nothing.
  on_submit = [&] {
    EXPECT_EQ(user.sent, 0);  // set only once the request has returned
    player.raiseStatus("Buffering...");
    player.raiseStatus("Playing");
  };
  player.raiseStatus("Playing");
  on_submit = nullptr;
  EXPECT_EQ(window.submitted, (QList<std::pair<int, int>>{{1, 1}}));
  EXPECT_EQ(user.sent, 1);
  player.raiseStatus("Stopped");
  player.raiseStatus("Playing");
  EXPECT_EQ(window.submitted.size(), 1);
}

TEST_F(PlayerControlTest, CatalogueChannelsAndUnselectedListsSubmitNothing) {
  create();
  selected_row = 0;
  player.raiseStatus("Playing");
  selected_row = -1;
  player.raiseStatus("Stopped");
  player.raiseStatus("Playing");
  EXPECT_TRUE(window.submitted.isEmpty());
  EXPECT_EQ(state.catalogue.channels[1].sent, 0);
}

TEST_F(PlayerControlTest, AnErrorIsShownThenReported) {
  create();
  selected_row = 2;
  player.raiseError({-13, "Cannot play this channel: Connection refused (loading failed).", false});
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
  EXPECT_EQ(messages.shown[0].text, "Cannot play this channel: Connection refused (loading failed).");
  EXPECT_EQ(window.reported, (QList<std::pair<int, int>>{{2, 0}}));
  EXPECT_EQ(window.messages_when_reported, 1);  // after the message

  selected_row = -1;
  player.raiseError({-13, "again", false});
  EXPECT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(window.reported.size(), 1);

  // A refused address is shown like an error but no channel is reported.
  selected_row = 0;
  player.raiseError({0, "not a network stream", true});
  EXPECT_EQ(messages.shown.size(), 3u);
  EXPECT_EQ(window.reported.size(), 1);

  // So is a failure of this computer: it says nothing about the channel.
  PlayerError local{-14, "Cannot play this channel on this computer: no sound device could be opened."};
  local.local_failure = true;
  player.raiseError(local);
  EXPECT_EQ(messages.shown.size(), 4u);
  EXPECT_EQ(messages.shown[3].text, local.description);
  EXPECT_EQ(window.reported.size(), 1);
}

TEST_F(PlayerControlTest, VolumeMuteAndFullScreen) {
  create();
  control.volumeReleasedAt(30);
  EXPECT_EQ(player.volume_value, 49);
  EXPECT_EQ(window.volume_shown, 49);
  control.volumeReleasedAt(-20);
  EXPECT_EQ(player.volume_value, 0);
  control.volumeReleasedAt(81);
  EXPECT_EQ(player.volume_value, 100);

  control.mute();
  EXPECT_TRUE(player.muted);
  EXPECT_TRUE(window.unmute_shown);
  control.volumeReleasedAt(9);  // changing the volume does not unmute
  EXPECT_EQ(player.volume_value, 15);
  EXPECT_TRUE(player.muted);
  EXPECT_TRUE(window.unmute_shown);
  control.unmute();
  EXPECT_FALSE(player.muted);
  EXPECT_FALSE(window.unmute_shown);

  control.fullScreen();  // nothing loaded
  EXPECT_FALSE(player.full_screen);
  control.loadRow(0);
  for (const char* refused : {"Ready", "Stopped"}) {
    player.status_text = refused;
    control.fullScreen();
    EXPECT_FALSE(player.full_screen) << refused;
  }
  player.status_text = "Paused";
  control.fullScreen();
  EXPECT_TRUE(player.full_screen);
}

TEST_F(PlayerControlTest, WithoutAPlayerOnlyTheVolumeDisplayChanges) {
  control.play();
  control.pause();
  control.mute();
  control.fullScreen();
  EXPECT_TRUE(window.pause_shown);
  EXPECT_FALSE(window.unmute_shown);
  control.volumeReleasedAt(30);
  EXPECT_EQ(window.volume_shown, 49);
  control.loadRow(1);  // the buttons follow the selection even so
  EXPECT_FALSE(window.pause_shown);
}

TEST_F(PlayerControlTest, NowPlayingIsCleanedKeptPerChannelAndClearedOnStopAndAnotherChannel) {
  create();
  QStringList shown;
  QObject::connect(&control, &PlayerControl::now_playing_changed, [&](const QString& t) { shown << t; });
  control.loadRow(0);  // the radio channel
  control.play();
  player.raiseStatus(QStringLiteral("Playing"));
  Q_EMIT player.nowPlayingChanged(QStringLiteral("First\x01 \u202ESong\n"));
  Q_EMIT player.nowPlayingChanged(QStringLiteral("First Song"));  // the same title again
  Q_EMIT player.nowPlayingChanged(QStringLiteral("Second Song"));
  EXPECT_EQ(shown, (QStringList{"First Song", "Second Song"}));
  EXPECT_EQ(control.nowPlaying(), "Second Song");

  // Stopped: the title goes; the history stays with the channel.
  player.raiseStatus(QStringLiteral("Stopped"));
  EXPECT_EQ(control.nowPlaying(), "");
  EXPECT_EQ(shown.last(), "");

  // Another channel: its own (empty) history; the first one's is there again when it comes back.
  player.raiseStatus(QStringLiteral("Playing"));
  Q_EMIT player.nowPlayingChanged(QStringLiteral("Third Song"));
  control.loadRow(2);
  EXPECT_EQ(control.nowPlaying(), "");
  EXPECT_EQ(shown.last(), "");
  EXPECT_TRUE(control.recentTitles().empty());
  control.loadRow(0);
  const auto titles = control.recentTitles();
  ASSERT_EQ(titles.size(), 3u);
  EXPECT_EQ(titles[0].title, "First Song");
  EXPECT_EQ(titles[2].title, "Third Song");
}

TEST_F(PlayerControlTest, ARecordingThatGotNothingLeavesNoFileBehind) {
  create();
  control.loadRow(0);
  control.play();
  player.raiseStatus(QStringLiteral("Playing"));
  for (const QByteArray& recorded : {QByteArray(), QByteArray("stream bytes")}) {
    SCOPED_TRACE(recorded.isEmpty() ? "nothing recorded" : "something recorded");
    player.recorded = recorded;
    control.toggleRecording();
    ASSERT_TRUE(control.recorder()->recording());
    const QString path = control.recorder()->path();
    ASSERT_TRUE(QFile::exists(path));
    control.toggleRecording();
    ASSERT_FALSE(control.recorder()->recording());
    EXPECT_TRUE(QFile::exists(path)) << "the player may still be writing";
    quovi_test::wait_until([] { return false; }, StreamRecorder::kEmptyFileCheckDelay + 300);
    EXPECT_EQ(QFile::exists(path), !recorded.isEmpty());
    // File names count seconds: the next start gets a name of its own.
    quovi_test::wait_until([] { return false; }, 1000);
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PlayerControlTest, ARecordingGoesOnIntoANewFileWhenADroppedStreamComesBack) {
  create();
  control.loadRow(0);
  control.play();
  player.raiseStatus(QStringLiteral("Playing"));
  player.recorded = "stream bytes";
  control.toggleRecording();
  const QString first = control.recorder()->path();
  ASSERT_FALSE(first.isEmpty());
  quovi_test::wait_until([] { return false; }, 1100);  // file names count seconds
  player.raiseStatus(QStringLiteral("Reconnecting..."));
  EXPECT_FALSE(control.recorder()->recording());
  player.raiseStatus(QStringLiteral("Playing"));
  ASSERT_TRUE(control.recorder()->recording());
  EXPECT_NE(control.recorder()->path(), first);

  // The record button during the drop, a stop, or another channel: nothing starts when it is back.
  struct Case {
    const char* name;
    std::function<void()> act;
  };
  const Case cases[] = {
      {"record button", [&] { control.toggleRecording(); }},
      {"stopped", [&] { player.raiseStatus(QStringLiteral("Stopped")); }},
      {"another channel", [&] { control.loadRow(2); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    control.loadRow(0);
    control.play();
    player.raiseStatus(QStringLiteral("Playing"));
    quovi_test::wait_until([] { return false; }, 1100);
    control.toggleRecording();
    ASSERT_TRUE(control.recorder()->recording());
    player.raiseStatus(QStringLiteral("Reconnecting..."));
    c.act();
    player.raiseStatus(QStringLiteral("Playing"));
    EXPECT_FALSE(control.recorder()->recording());
  }
  EXPECT_TRUE(messages.shown.empty());
}
