#include "feedback_store.h"
#include "http_get.h"
#include "service_process.h"
#include "store_kinds.h"
#include "test_env.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
QString database_path() { return quovi_test::sandbox_root() + "/feedback.sqlite"; }

QStringList service_options(const QString& media = QStringLiteral(QUOVI_DEMO_MEDIA_DIR),
                            const QString& database = database_path()) {
  return {"--database", database, "--catalogue", quovi_test::sandbox_root() + "/channels.dat", "--media", media};
}

HttpResult get(const ServiceProcess& service, const std::string& target) {
  return http_get(service.base_url().toStdString() + target);
}

std::unique_ptr<FeedbackStore> recorded(const std::string& location = database_path().toStdString()) {
  return open_feedback_store(location, FeedbackStore::Mode::existing);
}

class ServiceOnEitherStore : public testing::TestWithParam<StoreKind> {};

TEST_P(ServiceOnEitherStore, RecordsEveryFeedbackRequestWithDecodedValues) {
  const std::string location = fresh_store_location(GetParam());
  if (location.empty()) GTEST_SKIP() << why_no_postgresql();
  ServiceProcess service(service_options(QStringLiteral(QUOVI_DEMO_MEDIA_DIR), QString::fromStdString(location)));
  ASSERT_TRUE(service.listening()) << service.log().toStdString();
  for (const std::string target : {
           "/service/rate.php?rating=5&id=1234",
           "/service/rate.php?rating=1&id=-2",
           "/service/flag.php?flag=ok&id=1234",
           "/service/flag.php?flag=bad&id=1234",
           "/service/flag.php?flag=wrong&id=5",
           "/service/flag.php?flag=duplicate&id=5",
           "/service/flag.php?flag=spam&id=6",
           "/service/bad.php?channel_id=1234",
           "/service/new2.php?&group=2&name=My%20Radio%20%26%20Friends&url=http://example.org/live%20now.mp3"
           "&bitrate=128&type=1&homepage=&country=44&genre=7&comment=",
       }) {
    const auto reply = get(service, target);
    EXPECT_EQ(reply.status, 200) << target << " " << reply.error << reply.body;
  }

  const auto store = recorded(location);
  const std::vector<RatingFeedback> ratings = store->ratings();
  ASSERT_EQ(ratings.size(), 2u);
  EXPECT_EQ(ratings[0].channel_id, 1234);
  EXPECT_EQ(ratings[0].rating, 5);
  EXPECT_EQ(ratings[1].channel_id, -2);
  EXPECT_EQ(ratings[1].rating, 1);

  const auto flags = store->flags();
  ASSERT_EQ(flags.size(), 5u);
  const FlagWord expected_flags[] = {FlagWord::ok, FlagWord::bad, FlagWord::wrong, FlagWord::duplicate,
                                     FlagWord::spam};
  const int32_t expected_ids[] = {1234, 1234, 5, 5, 6};
  for (size_t i = 0; i < flags.size(); ++i) {
    EXPECT_EQ(flags[i].flag, expected_flags[i]) << i;
    EXPECT_EQ(flags[i].channel_id, expected_ids[i]) << i;
  }

  ASSERT_EQ(store->bad_reports().size(), 1u);
  EXPECT_EQ(store->bad_reports()[0].channel_id, 1234);

  const auto submissions = store->submissions();
  ASSERT_EQ(submissions.size(), 1u);
  const auto& s = submissions[0].channel;
  EXPECT_EQ(s.group_id, 2);
  EXPECT_EQ(s.name, "My Radio & Friends");
  EXPECT_EQ(s.url, "http://example.org/live now.mp3");
  EXPECT_EQ(s.bitrate, 128);
  EXPECT_EQ(s.type_id, 1);
  EXPECT_EQ(s.homepage, "");
  EXPECT_EQ(s.country_id, 44);
  EXPECT_EQ(s.genre_id, 7);
  EXPECT_EQ(s.comment, "");
}

INSTANTIATE_TEST_SUITE_P(Stores, ServiceOnEitherStore, kEveryStoreKind, store_kind_name);

TEST(ServiceEndToEnd, RefusesMalformedRequestsAndRecordsNothing) {
  ServiceProcess service(service_options());
  ASSERT_TRUE(service.listening());
  for (const std::string target : {
           "/service/rate.php",
           "/service/rate.php?rating=9&id=1",
           "/service/rate.php?rating=5&id=one",
           "/service/flag.php?flag=maybe&id=1",
           "/service/bad.php?channel_id=99999999999",
           "/service/bad.php?channel_id=%zz",
           "/service/new2.php?&group=2&name=&url=http://x&bitrate=1&type=1&homepage=&country=1&genre=1&comment=",
           "/service/new2.php?&group=2&name=n%0D%0Ax&url=http://x&bitrate=1&type=1&homepage=&country=1&genre=1"
           "&comment=",
       }) {
    const auto reply = get(service, target);
    EXPECT_EQ(reply.status, 400) << target;
  }
  EXPECT_EQ(get(service, "/service/nothing.php?id=1").status, 404);

  const auto store = recorded();
  EXPECT_TRUE(store->ratings().empty());
  EXPECT_TRUE(store->flags().empty());
  EXPECT_TRUE(store->bad_reports().empty());
  EXPECT_TRUE(store->submissions().empty());
  EXPECT_TRUE(service.running());
}

TEST(ServiceEndToEnd, SurvivesGarbageOnTheWire) {
  ServiceProcess service(service_options());
  ASSERT_TRUE(service.listening());
  const std::string garbage[] = {
      std::string("\x00\x01\x02\xff\xfe", 5),
      "GET\r\n\r\n",
      "GET /service/rate.php?rating=5&id=1 HTTP/9.9\r\n\r\n",
      "GET /" + std::string(70000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n",
      "GET /service/new2.php?" + std::string(20000, '%') + " HTTP/1.1\r\nHost: x\r\n\r\n",
      "POST /service/rate.php HTTP/1.1\r\nHost: x\r\nContent-Length: 99999999999\r\n\r\nrating=5",
      "GET /service/bad.php?channel_id=1 HTTP/1.1\r\nHost: x\r\nRange: bytes=-1-2--3\r\n\r\n",
  };
  for (const auto& bytes : garbage) {
    raw_exchange(service.port(), bytes);
    ASSERT_TRUE(service.running()) << "after " << bytes.substr(0, 60);
  }
  EXPECT_EQ(get(service, "/service/rate.php?rating=3&id=8").status, 200);
  const auto store = recorded();
  ASSERT_FALSE(store->ratings().empty());
  EXPECT_EQ(store->ratings().back().channel_id, 8);
  EXPECT_TRUE(store->submissions().empty());
  EXPECT_EQ(service.stop(), 0);
}

TEST(ServiceEndToEnd, ServesItsPagesAndMediaFiles) {
  ServiceProcess service(service_options());
  ASSERT_TRUE(service.listening());
  const auto page = get(service, "/update.html");
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(content_type_of(service.port(), "/update.html"), "text/html; charset=utf-8");
  EXPECT_NE(page.body.find("Quovi"), std::string::npos);
  // The player's site link opens the service's own page while it follows the service.
  const auto home = get(service, "/");
  EXPECT_EQ(home.status, 200);
  EXPECT_EQ(content_type_of(service.port(), "/"), "text/html; charset=utf-8");
  EXPECT_NE(home.body.find("Press Update"), std::string::npos);

  const auto tone = get(service, "/media/tone.ogg");
  EXPECT_EQ(tone.status, 200);
  EXPECT_EQ(content_type_of(service.port(), "/media/tone.ogg"), "audio/ogg");
  EXPECT_EQ(QByteArray::fromStdString(tone.body), quovi_test::read_all(QStringLiteral(QUOVI_DEMO_MEDIA_DIR "/tone.ogg")));
  EXPECT_EQ(content_type_of(service.port(), "/media/testcard.webm"), "video/webm");
  EXPECT_EQ(get(service, "/media/nothing.ogg").status, 404);
  // A player seeking in a stream asks for a range of it.
  const std::string part = raw_exchange(
      service.port(), "GET /media/tone.ogg HTTP/1.1\r\nHost: x\r\nRange: bytes=100-109\r\nConnection: close\r\n\r\n", false);
  EXPECT_EQ(part.substr(0, 12), "HTTP/1.1 206") << part.substr(0, 200);
  EXPECT_EQ(QByteArray::fromStdString(part.substr(part.size() - 10)),
            quovi_test::read_all(QStringLiteral(QUOVI_DEMO_MEDIA_DIR "/tone.ogg")).mid(100, 10));
}

TEST(ServiceEndToEnd, NoPathLeadsOutOfTheMediaFolder) {
  const QString site = quovi_test::sandbox_root() + "/site";
  ASSERT_TRUE(QDir().mkpath(site + "/media/sub"));
  const std::string secret = "beside the media folder: 7d41c9e0b2";
  ASSERT_TRUE(quovi_test::write_all(site + "/secret.txt", QByteArray::fromStdString(secret)));
  ASSERT_TRUE(quovi_test::write_all(site + "/media/sub/clip.ogg", "OggS in the media folder"));
  ASSERT_TRUE(quovi_test::write_all(site + "/media/empty.ogg", ""));
  // Links leading out of the folder, one staying inside it, and a file that is no regular file.
  ASSERT_TRUE(QFile::link("/etc/passwd", site + "/media/link.mp3"));
  ASSERT_TRUE(QFile::link("../secret.txt", site + "/media/secret.ogg"));
  ASSERT_TRUE(QFile::link("..", site + "/media/up"));
  ASSERT_TRUE(QFile::link("sub/clip.ogg", site + "/media/alias.ogg"));
  ASSERT_EQ(mkfifo((site + "/media/pipe.ogg").toLocal8Bit().constData(), 0600), 0);
  ServiceProcess service(service_options(site + "/media"));
  ASSERT_TRUE(service.listening());
  const auto raw_get = [&](const std::string& target) {
    // Sent as it stands: an HTTP client would resolve the dots itself.
    return raw_exchange(service.port(), "GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", false);
  };
  ASSERT_EQ(raw_get("/media/sub/clip.ogg").substr(0, 12), "HTTP/1.1 200");
  EXPECT_EQ(raw_get("/media/sub/../sub/clip.ogg").substr(0, 12), "HTTP/1.1 200");  // stays inside
  const std::string aliased = raw_get("/media/alias.ogg");
  EXPECT_EQ(aliased.substr(0, 12), "HTTP/1.1 200");
  EXPECT_NE(aliased.find("OggS in the media folder"), std::string::npos) << aliased;
  // An empty file says so, or a kept-alive client would wait for its content.
  EXPECT_NE(raw_get("/media/empty.ogg").find("Content-Length: 0\r\n"), std::string::npos);

  for (const std::string target : {
           "/media/../secret.txt",
           "/media/sub/../../secret.txt",
           "/media/%2e%2e/secret.txt",
           "/media/%2E%2E%2Fsecret.txt",
           "/media/..%2fsecret.txt",
           "/media/.%2e/secret.txt",
           "/media/sub/%2e%2e/%2e%2e/secret.txt",
           "/media/%2e%2e%5csecret.txt",
           "/media/%252e%252e/secret.txt",
           "/media//../secret.txt",
           "/media/%2e%2e/%2e%2e/%2e%2e/%2e%2e/%2e%2e/%2e%2e/%2e%2e/%2e%2e/etc/passwd",
           "/media/link.mp3",
           "/media/secret.ogg",
           "/media/up/secret.txt",
           "/media/up/media/../secret.txt",
           "/media/pipe.ogg",
           "/media/sub",
           "/media/",
           "/media/sub/clip.ogg%00.txt",
       }) {
    const std::string reply = raw_get(target);
    EXPECT_EQ(reply.substr(0, 12), "HTTP/1.1 404") << target;
    EXPECT_EQ(reply.find(secret), std::string::npos) << target;
    EXPECT_EQ(reply.find("root:"), std::string::npos) << target;
  }
  EXPECT_TRUE(service.running());
}

TEST(ServiceEndToEnd, ReportsADatabaseItCannotOpenAndExits) {
  QDir().mkpath(database_path());  // a folder where the file should be
  ServiceProcess service(service_options());
  EXPECT_FALSE(service.listening());
  EXPECT_EQ(service.stop(), 1);
  EXPECT_TRUE(service.log().contains("feedback database")) << service.log().toStdString();
}
}  // namespace
