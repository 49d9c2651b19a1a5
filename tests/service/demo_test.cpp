// The demo as a user without internet meets it: the channels served by quovi-service itself point
// at media files the service has, and those files play.
#include "catalogue/channel_database.h"
#include "http_get.h"
#include "playback/media_player.h"
#include "service_process.h"
#include "test_env.h"
#include "version.h"

#include <QFile>
#include <QUrl>
#include <gtest/gtest.h>

namespace {
TEST(Demo, LocalChannelsPointAtMediaTheServiceHas) {
  Catalogue info;
  load_channel_database_bytes(info, {}, quovi_test::read_all(QStringLiteral(QUOVI_DEMO_CATALOGUE)).toStdString());
  EXPECT_TRUE(!info.version_stamp.empty());
  int local = 0;
  bool groups[4] = {};
  for (const Channel& channel : info.channels) {
    groups[channel.group_id] = true;
    EXPECT_LE(channel.type_id, 1) << channel.name.text().toStdString();  // listed
    const QString url = to_qstring(channel.url);
    if (!url.startsWith(QStringLiteral(QUOVI_DEFAULT_CATALOGUE_SERVICE))) continue;
    ++local;
    const QString path = QUrl(url).path();
    ASSERT_TRUE(path.startsWith("/media/")) << url.toStdString();
    EXPECT_TRUE(QFile::exists(QStringLiteral(QUOVI_DEMO_MEDIA_DIR) + path.mid(6))) << url.toStdString();
  }
  EXPECT_EQ(local, 2);  // the test card and the tone
  EXPECT_TRUE(groups[kGroupTV] && groups[kGroupRadio] && groups[kGroupVideo]);
}

TEST(Demo, ServedMediaPlays) {
  ServiceProcess service({"--catalogue", quovi_test::sandbox_root() + "/none.dat", "--database",
                          quovi_test::sandbox_root() + "/feedback.sqlite", "--media", QStringLiteral(QUOVI_DEMO_MEDIA_DIR)});
  ASSERT_TRUE(service.listening());
  for (const char* file : {"/media/tone.ogg", "/media/testcard.webm"}) {
    MediaPlayerOptions silent;
    silent.audio_output = QStringLiteral("null");
    silent.video_output = QStringLiteral("null");
    MediaPlayer player(silent);
    ASSERT_TRUE(player.isValid());
    QStringList statuses;
    QObject::connect(&player, &PlayerComponent::StatusChange, [&] { statuses << player.status(); });
    player.setURL(service.base_url() + file);
    player.play();
    EXPECT_TRUE(wait_for([&] { return statuses.contains("Playing"); })) << file << " " << statuses.join(", ").toStdString();
    EXPECT_EQ(player.errorCount(), 0) << file;
    player.stop();
  }
}
}  // namespace
