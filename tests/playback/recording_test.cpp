// Recording the playing stream: the file's name and place, and a recording of a station on
// 127.0.0.1 into the test's own Music folder.
#include "playback/media_player.h"
#include "playback/player_control.h"
#include "playback/recording.h"
#include "playback/stream_recorder.h"
#include "views/channel_list_state.h"
#include "widgets/messages.h"

#include "live_stream_server.h"
#include "test_env.h"
#include "test_media.h"
#include "wait_until.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

using quovi_test::LiveStreamServer;
using quovi_test::wait_until;

TEST(RecordingName, ChannelNameMadeSafeThenDateAndTime) {
  const QDateTime at(QDate(2026, 12, 10), QTime(21, 5, 9));
  struct Case {
    QString channel;
    QString file;
  };
  const Case cases[] = {
      {QStringLiteral("Jazz FM"), QStringLiteral("Jazz FM 2026-12-10 21.05.09.mp3")},
      {QStringLiteral("AC/DC: \"Live\" <1>|2?*\\"), QStringLiteral("AC_DC_ _Live_ _1__2___ 2026-12-10 21.05.09.mp3")},
      {QStringLiteral("../../etc/passwd"), QStringLiteral("_.._etc_passwd 2026-12-10 21.05.09.mp3")},
      {QStringLiteral("..."), QStringLiteral("Recording 2026-12-10 21.05.09.mp3")},
      {QStringLiteral(". . hidden ."), QStringLiteral("hidden 2026-12-10 21.05.09.mp3")},
      {QStringLiteral(" Tab\tand\nnew line \x01 "), QStringLiteral("Tab and new line 2026-12-10 21.05.09.mp3")},
      {QString(), QStringLiteral("Recording 2026-12-10 21.05.09.mp3")},
      // At most 255 bytes with a number and the extension: 226 for the name, cut between characters.
      {QString(300, QLatin1Char('x')), QString(226, QLatin1Char('x')) + QStringLiteral(" 2026-12-10 21.05.09.mp3")},
      {QString(80, QChar(0x0E01)), QString(75, QChar(0x0E01)) + QStringLiteral(" 2026-12-10 21.05.09.mp3")},
      {QString(80, QChar(0x65B0)), QString(75, QChar(0x65B0)) + QStringLiteral(" 2026-12-10 21.05.09.mp3")},
      // Beyond the basic plane: whole characters stay, halves and tag characters go, and the
      // length bound never cuts one in two.
      {QStringLiteral("Radio \U0001F3B5 Paradise"), QStringLiteral("Radio \U0001F3B5 Paradise 2026-12-10 21.05.09.mp3")},
      {QStringLiteral("Lone ") + QChar(0xD83C) + QStringLiteral("half") + QChar(0xDFB5),
       QStringLiteral("Lone half 2026-12-10 21.05.09.mp3")},
      {QStringLiteral("Flag \U000E0067\U000E0062"), QStringLiteral("Flag 2026-12-10 21.05.09.mp3")},
      {QString(225, QLatin1Char('x')) + QStringLiteral("\U0001F3B5"),
       QString(225, QLatin1Char('x')) + QStringLiteral(" 2026-12-10 21.05.09.mp3")},
      {QString(222, QLatin1Char('x')) + QStringLiteral("\U0001F3B5"),
       QString(222, QLatin1Char('x')) + QStringLiteral("\U0001F3B5 2026-12-10 21.05.09.mp3")},
  };
  for (const Case& c : cases) {
    const QString file = recording_file_name(c.channel, at, QStringLiteral("mp3"));
    EXPECT_EQ(file, c.file);
    EXPECT_LE(numbered_file_name(file, 99).toUtf8().size(), 255) << file.toStdString();
  }
  // A longer extension leaves less room.
  EXPECT_EQ(recording_file_name(QString(300, QLatin1Char('x')), at, QStringLiteral("flac")).toUtf8().size(), 250);

  EXPECT_EQ(numbered_file_name(QStringLiteral("Jazz F.M. 2026-12-10 21.05.09.mp3"), 2),
            QStringLiteral("Jazz F.M. 2026-12-10 21.05.09 (2).mp3"));
  EXPECT_EQ(numbered_file_name(QStringLiteral("plain"), 3), QStringLiteral("plain (3)"));
}

TEST(RecordingName, ExtensionFollowsTheStreamAndTheTimeReads) {
  EXPECT_EQ(recording_extension(false, QStringLiteral("mp3")), "mp3");
  EXPECT_EQ(recording_extension(false, QStringLiteral("aac")), "aac");
  EXPECT_EQ(recording_extension(false, QStringLiteral("opus")), "opus");
  EXPECT_EQ(recording_extension(false, QStringLiteral("vorbis")), "ogg");
  EXPECT_EQ(recording_extension(false, QStringLiteral("wmav2")), "mka");
  EXPECT_EQ(recording_extension(false, QString()), "mka");
  EXPECT_EQ(recording_extension(true, QStringLiteral("mp3")), "mkv");
  EXPECT_EQ(recording_time_text(7), "0:07");
  EXPECT_EQ(recording_time_text(750), "12:30");
  EXPECT_EQ(recording_time_text(3723), "1:02:03");
  EXPECT_EQ(recording_time_text(-4), "0:00");
}

namespace {
Channel radio_channel(const QString& url) {
  Channel c;
  c.id = 1;
  c.group_id = kGroupRadio;
  c.name = ShortText::from_text(QStringLiteral("Test/Radio"));
  c.url = PackedText(url.toStdString());
  return c;
}

class RecordingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(tone.isEmpty());
    state.catalogue.channels.push_back(radio_channel(station.url()));
    state.visible = {0};
    MediaPlayerOptions options;
    options.audio_output = QStringLiteral("null");
    ASSERT_TRUE(control.createPlayer(nullptr, options));
    QObject::connect(control.recorder(), &StreamRecorder::timeChanged, [this](const QString& t) { times << t; });
    control.watchRow(0);
    ASSERT_TRUE(wait_until([&] { return control.player()->status() == "Playing"; }));
  }
  QByteArray tone = quovi_test::test_media(QStringLiteral("tone.mp3"));
  LiveStreamServer station{tone, 14000};
  ChannelListState state;
  RecordingMessageSink messages;
  PlayerControl control{state, nullptr};
  QStringList times;
};

// Points the user's Music folder somewhere else, as the user's own settings file would.
void set_music_folder(const QString& folder) {
  const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  QDir().mkpath(config);
  ASSERT_TRUE(quovi_test::write_all(config + QStringLiteral("/user-dirs.dirs"),
                                    "XDG_MUSIC_DIR=\"" + folder.toUtf8() + "\"\n"));
}
}  // namespace

TEST_F(RecordingTest, RecordsThePlayingStationIntoTheMusicFolderUntilStopped) {
  const QString music = quovi_test::sandbox_root() + QStringLiteral("/my music");  // not there yet
  set_music_folder(music);
  control.toggleRecording();
  ASSERT_TRUE(control.recorder()->recording());
  const QFileInfo file(control.recorder()->path());
  EXPECT_EQ(file.absolutePath(), music);
  EXPECT_TRUE(file.fileName().startsWith(QStringLiteral("Test_Radio 20"))) << file.fileName().toStdString();
  EXPECT_EQ(file.suffix(), "mp3");
  ASSERT_TRUE(wait_until([&] { return times.size() >= 3; }, 10000)) << times.join(", ").toStdString();
  EXPECT_EQ(times.first(), "0:00");
  EXPECT_EQ(times[2], "0:02");
  control.toggleRecording();
  EXPECT_FALSE(control.recorder()->recording());
  EXPECT_EQ(times.last(), "");
  // The file is closed by mpv a moment later, with what it had received.
  ASSERT_TRUE(wait_until([&] { return QFileInfo(file.filePath()).size() > 10000; }, 10000))
      << QFileInfo(file.filePath()).size();
  const QByteArray written = quovi_test::read_all(file.filePath());
  EXPECT_TRUE(written.contains(tone.mid(tone.indexOf('\xff'), 2000))) << "the stream's own bytes, not re-encoded";
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(control.player()->status(), "Playing");

  // Another channel ends a recording too; the next start makes a new file.
  control.toggleRecording();
  ASSERT_TRUE(control.recorder()->recording());
  control.loadRow(-1);
  EXPECT_FALSE(control.recorder()->recording());
}

// Two recordings started within one second: the later one gets a numbered file of its own and
// the earlier file is left as it is.
TEST_F(RecordingTest, ARecordingOfTheSameSecondIsNumberedAndOverwritesNothing) {
  const QString music = quovi_test::sandbox_root() + QStringLiteral("/Music");
  set_music_folder(music);
  ASSERT_TRUE(QDir().mkpath(music));
  // Whichever second the start falls in, its first name is taken.
  const QDateTime now = QDateTime::currentDateTime();
  QStringList taken;
  for (const QDateTime& at : {now, now.addSecs(1), now.addSecs(2)}) {
    taken << QDir(music).filePath(recording_file_name(QStringLiteral("Test/Radio"), at, QStringLiteral("mp3")));
    ASSERT_TRUE(quovi_test::write_all(taken.back(), "an earlier recording"));
  }
  control.toggleRecording();
  ASSERT_TRUE(control.recorder()->recording()) << (messages.shown.empty() ? "" : messages.shown[0].text.toStdString());
  EXPECT_TRUE(messages.shown.empty());
  const QString path = control.recorder()->path();
  EXPECT_TRUE(path.endsWith(QStringLiteral(" (2).mp3"))) << path.toStdString();
  EXPECT_FALSE(taken.contains(path));
  control.toggleRecording();
  for (const QString& earlier : taken) EXPECT_EQ(quovi_test::read_all(earlier), "an earlier recording");
}

TEST_F(RecordingTest, AFolderThatCannotBeWrittenGivesAMessageAndPlayingGoesOn) {
  // A folder under a plain file can never be made, whoever runs the test.
  const QString blocker = quovi_test::sandbox_root() + QStringLiteral("/blocker");
  ASSERT_TRUE(quovi_test::write_all(blocker, "file"));
  set_music_folder(blocker + QStringLiteral("/Music"));
  control.toggleRecording();
  EXPECT_FALSE(control.recorder()->recording());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
  EXPECT_TRUE(messages.shown[0].text.contains(blocker)) << messages.shown[0].text.toStdString();
  wait_until([] { return false; }, 1000);
  EXPECT_EQ(control.player()->status(), "Playing");
}

TEST_F(RecordingTest, AFileThePlayerCannotWriteEndsTheRecordingWithAMessage) {
  // mpv only finds out when it opens the file: it says so in its log and plays on.
  auto* player = control.player();
  QString cause;
  QObject::connect(player, &PlayerComponent::recordingFailed, [&](const QString& c) { cause = c; });
  player->startRecording(quovi_test::sandbox_root() + QStringLiteral("/no such folder/x.mp3"));
  ASSERT_TRUE(wait_until([&] { return !cause.isEmpty(); }, 10000));
  EXPECT_TRUE(messages.shown.empty());  // no recording of the window's was running

  // While one is, the recording ends with the player's words, and playing goes on.
  set_music_folder(quovi_test::sandbox_root() + QStringLiteral("/Music"));
  control.toggleRecording();
  ASSERT_TRUE(control.recorder()->recording());
  Q_EMIT player->recordingFailed(cause);
  EXPECT_FALSE(control.recorder()->recording());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, QStringLiteral("The recording was stopped: ") + cause);
  wait_until([] { return false; }, 500);
  EXPECT_EQ(player->status(), "Playing");
}
