// The demo as a user without internet meets it: the channels served by quovi-service itself point
// at the address the service is reached at, and their media files play; the service stamps the
// catalogue when it starts, so one update makes the player current.
#include "catalogue/channel_database.h"
#include "catalogue_publish.h"
#include "catalogue_reply.h"
#include "http_get.h"
#include "playback/media_player.h"
#include "service_process.h"
#include "test_env.h"

#include <QDateTime>
#include <QFile>
#include <QUrl>
#include <gtest/gtest.h>

namespace {
ServiceProcess demo_service() {
  return ServiceProcess({"--catalogue", QStringLiteral(QUOVI_DEMO_CATALOGUE), "--fresh-stamp", "--database",
                         quovi_test::sandbox_root() + "/feedback.sqlite", "--media", QStringLiteral(QUOVI_DEMO_MEDIA_DIR)});
}

// The catalogue inside a download reply; empty when the reply carries none.
std::string catalogue_of(const std::string& reply) {
  if (reply.size() <= kReplyHeaderBytes || static_cast<unsigned char>(reply[0]) != kReplyCatalogue % 256 ||
      static_cast<unsigned char>(reply[1]) != kReplyCatalogue / 256)
    return {};
  return reply.substr(kReplyHeaderBytes);
}

std::vector<const Channel*> local_channels(const Catalogue& info, const QString& base) {
  std::vector<const Channel*> local;
  for (const Channel& channel : info.channels)
    if (to_qstring(channel.url).startsWith(base + "/")) local.push_back(&channel);
  return local;
}
}  // namespace

TEST(Demo, ThePackagedCatalogueNamesNoFixedAddress) {
  Catalogue info;
  load_channel_database_bytes(info, {}, quovi_test::read_all(QStringLiteral(QUOVI_DEMO_CATALOGUE)).toStdString());
  bool groups[4] = {};
  for (const Channel& channel : info.channels) {
    groups[channel.group_id] = true;
    EXPECT_LE(channel.type_id, 1) << channel.name.text().toStdString();  // listed
    EXPECT_EQ(channel.url.str().find("127.0.0.1"), std::string::npos) << channel.url.str();
    EXPECT_EQ(channel.homepage.str().find("127.0.0.1"), std::string::npos) << channel.homepage.str();
  }
  EXPECT_EQ(local_channels(info, QString::fromUtf8(kServiceAddressToken)).size(), 2u);  // the test card and the tone
  EXPECT_TRUE(groups[kGroupTV] && groups[kGroupRadio] && groups[kGroupVideo]);
}

TEST(Demo, LocalChannelsFollowTheServiceAndPlay) {
  const QString started = QDateTime::currentDateTime().toString("yyyyMMddHHmm");
  ServiceProcess service = demo_service();
  ASSERT_TRUE(service.listening());
  const HttpResult reply = http_get(service.base_url().toStdString() + "/service/get.php?key='");
  ASSERT_EQ(reply.status, 200) << reply.error;
  Catalogue info;
  load_channel_database_bytes(info, {}, catalogue_of(reply.body));

  // Stamped when the service started: a player that downloads it once is current.
  EXPECT_GE(QString::fromStdString(info.version_stamp), started);
  EXPECT_EQ(http_get(service.base_url().toStdString() + "/service/get.php?key='&date=" + info.version_stamp).body,
            encode_reply(kReplyMessage, kUpToDateMessage));

  const std::vector<const Channel*> local = local_channels(info, service.base_url());
  ASSERT_EQ(local.size(), 2u);
  for (const Channel* channel : local) {
    EXPECT_EQ(to_qstring(channel->homepage), service.base_url() + "/update.html");
    const QString url = to_qstring(channel->url);
    ASSERT_TRUE(QUrl(url).path().startsWith("/media/")) << url.toStdString();
    MediaPlayerOptions silent;
    silent.audio_output = QStringLiteral("null");
    silent.video_output = QStringLiteral("null");
    MediaPlayer player(silent);
    ASSERT_TRUE(player.isValid());
    QStringList statuses;
    QObject::connect(&player, &PlayerComponent::StatusChange, [&] { statuses << player.status(); });
    player.setURL(url);
    player.play();
    EXPECT_TRUE(wait_for([&] { return statuses.contains("Playing"); })) << url.toStdString() << " "
                                                                        << statuses.join(", ").toStdString();
    EXPECT_EQ(player.errorCount(), 0) << url.toStdString();
    player.stop();
  }

  // A client that reached the service under another name gets that name in its channels.
  const std::string raw = raw_exchange(service.port(),
                                       "GET /service/get.php?key=' HTTP/1.1\r\nHost: media-box.lan:8741\r\n"
                                       "Connection: close\r\n\r\n",
                                       false);
  const size_t body = raw.find("\r\n\r\n");
  ASSERT_NE(body, std::string::npos);
  Catalogue other;
  load_channel_database_bytes(other, {}, catalogue_of(raw.substr(body + 4)));
  EXPECT_EQ(local_channels(other, "http://media-box.lan:8741").size(), 2u);
  EXPECT_EQ(other.version_stamp, info.version_stamp);
}
