// A real libmpv player behind the player control, with the broken-channel report going to a
// feedback service on 127.0.0.1: what the user is told when a channel cannot be played, and what
// the service hears of it.
#include "playback/media_player.h"
#include "playback/player_control.h"

#include "local_http_server.h"
#include "message_box_probe.h"
#include "requests_answered.h"
#include "services/feedback.h"
#include "services/service_addresses.h"
#include "test_env.h"
#include "test_media.h"
#include "views/channel_list_state.h"
#include "wait_until.h"
#include "widgets/messages.h"

#include <gtest/gtest.h>

#include <QFile>

#include <memory>

using quovi_test::LocalHttpServer;
using quovi_test::test_media;
using quovi_test::wait_until;

namespace {
// A picture drawn nowhere stands in for the screen (there is no video surface here).
MediaPlayerOptions silent() {
  MediaPlayerOptions options;
  options.audio_output = QStringLiteral("null");
  options.video_output = QStringLiteral("null");
  return options;
}

// An audio output that cannot start on any machine: a sound device that does not exist.
MediaPlayerOptions without_sound_device() {
  MediaPlayerOptions options = silent();
  options.audio_output = QStringLiteral("alsa");
  options.audio_device = QStringLiteral("alsa/quovi-no-such-device");
  return options;
}

Channel channel(int id, const QString& url) {
  Channel item;
  item.id = id;
  item.url = to_packed(url);
  item.group_id = 1;
  return item;
}

class PlayerFailures : public ::testing::Test {
 protected:
  void SetUp() override {
    media.serve("/radio.mp3", test_media(QStringLiteral("tone.mp3")), "audio/mpeg");
    media.serve("/testcard.mkv", test_media(QStringLiteral("testcard.mkv")), "video/x-matroska");
    write_service_base(QStringLiteral("feedback"), QStringLiteral("http://127.0.0.1:%1").arg(feedback.port()));
  }

  // The player and its control as the main window wires them: the selected row, and the report
  // of a broken channel sent to the feedback service.
  void start(const MediaPlayerOptions& options, const std::vector<QString>& paths) {
    for (size_t i = 0; i < paths.size(); ++i) {
      state.catalogue.channels.push_back(channel(100 + int(i), media.url(paths[i])));
      state.visible.push_back(int(i));
    }
    control = std::make_unique<PlayerControl>(state, nullptr);
    player = new MediaPlayer(options, control.get());
    ASSERT_TRUE(player->isValid());
    control->setSelectedRowSource([this] { return selected_row; });
    QObject::connect(control.get(), &PlayerControl::statusTextChanged, [this](const QString& s) { statuses << s; });
    QObject::connect(control.get(), &PlayerControl::reportBrokenChannel,
                     [this](int, int index) { report_bad_channel_at(state, index); });
    control->attach(player);
  }

  void watch(int row) {
    selected_row = row;
    statuses.clear();
    control->watchRow(row);
  }
  bool stopped_after_playing() const {
    return statuses.contains(QStringLiteral("Playing")) && statuses.last() == QStringLiteral("Stopped");
  }
  // Reports are sent without waiting for them; the server counts a request before it replies.
  int reports_heard() {
    EXPECT_TRUE(wait_until(quovi_test::all_requests_answered));
    return feedback.requests();
  }

  LocalHttpServer media;
  LocalHttpServer feedback;
  ChannelListState state;
  int selected_row = -1;
  std::unique_ptr<PlayerControl> control;
  MediaPlayer* player = nullptr;
  QStringList statuses;
};
}  // namespace

TEST_F(PlayerFailures, WithoutASoundDeviceVideoPlaysSilentlyAndRadioSaysSoAndNothingIsReported) {
  RecordingMessageSink messages;
  start(without_sound_device(), {QStringLiteral("/testcard.mkv"), QStringLiteral("/radio.mp3"),
                                 QStringLiteral("/gone.mp3")});

  // The picture plays to its end with no sound and no complaint.
  watch(0);
  ASSERT_TRUE(wait_until([&] { return stopped_after_playing() || !messages.shown.empty(); }))
      << statuses.join(", ").toStdString();
  EXPECT_TRUE(messages.shown.empty()) << messages.shown[0].text.toStdString();
  EXPECT_TRUE(stopped_after_playing()) << statuses.join(", ").toStdString();

  // Sound only: stopped, with the cause named.
  watch(1);
  ASSERT_TRUE(wait_until([&] { return !messages.shown.empty(); })) << statuses.join(", ").toStdString();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
  EXPECT_EQ(messages.shown[0].text,
            QStringLiteral("No sound device is available on this computer, so this channel cannot be heard."));
  EXPECT_EQ(player->status(), QStringLiteral("Stopped"));
  EXPECT_EQ(reports_heard(), 0) << "a machine without sound says nothing about the channel";

  // A channel that is really broken is still reported from the same machine.
  watch(2);
  ASSERT_TRUE(wait_until([&] { return messages.shown.size() == 2; }));
  EXPECT_EQ(messages.shown[1].text, QStringLiteral("Cannot play this channel: HTTP error 404 Not Found (loading failed)."));
  ASSERT_TRUE(wait_until([&] { return feedback.requests() == 1; }));
  EXPECT_EQ(reports_heard(), 1);
}

TEST_F(PlayerFailures, AServersReasonPhraseIsShownAsTyped) {
  const QString phrase = QStringLiteral("<a href=\"file:///etc/passwd\">Continue</a> <b>now</b>");
  media.serve("/markup", "gone", "text/plain", "404 " + phrase.toStdString());
  start(silent(), {QStringLiteral("/markup")});
  // The real message box, not a recording.
  const auto seen = quovi_test::probe_message_box([&] {
    watch(0);
    wait_until([&] { return player->errorCount() > 0 && !QApplication::activeModalWidget(); });
  });
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->label_text, QStringLiteral("Cannot play this channel: HTTP error 404 ") + phrase + " (loading failed).");
  EXPECT_EQ(seen->label_format, Qt::PlainText);
  EXPECT_FALSE(seen->links_accessible);
}
