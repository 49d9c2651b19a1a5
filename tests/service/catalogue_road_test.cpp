// The catalogue's whole road on one machine: built by quovi-catalogue, served by quovi-service,
// rated and flagged over HTTP, built again with the feedback folded in, downloaded again.
#include "catalogue_reply.h"
#include "catalogue_tool.h"
#include "http_get.h"
#include "service_process.h"
#include "store_kinds.h"
#include "test_env.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <map>

namespace {
// The channel lines of a dump by channel id, each split at its TABs.
std::map<int, QStringList> dumped_channels(const std::string& dump, QString* version = nullptr) {
  std::map<int, QStringList> channels;
  for (const QString& line : QString::fromStdString(dump).split('\n')) {
    const QStringList fields = line.split('\t');
    if (fields[0] == "channel" && fields.size() >= 25) channels[fields[2].toInt()] = fields;
    if (fields[0] == "version" && version) *version = fields.value(1);
  }
  return channels;
}

enum DumpField { kName = 7, kRating = 16, kRated = 17, kWorkfine = 19, kNotworking = 20, kWrong = 21, kDuplicate = 22, kSpam = 23, kStatus = 24 };

class CatalogueRoad : public testing::Test {
 protected:
  void SetUp() override {
    source_ = quovi_test::sandbox_root() + "/source";
    served_ = quovi_test::sandbox_root() + "/channels.dat";
    database_ = quovi_test::sandbox_root() + "/feedback.sqlite";
    QDir().mkpath(source_);
    // TV "News" (1) rated before, radio "Jazz" (2) and "Rock" (3) new.
    ASSERT_TRUE(quovi_test::write_all(source_ + "/genres.dat", "1|News\r\n2|Music\r\n"));
    ASSERT_TRUE(quovi_test::write_all(source_ + "/tv.dat", "1|TmV3cw==|http://tv/1|800|1||0|1||12|3|2|0|0|0|0\r\n"));
    ASSERT_TRUE(quovi_test::write_all(source_ + "/radio.dat",
                                      "2|SmF6eg==|http://radio/2|128|1||0|2||0|0|0|0|0|0|0\r\n"
                                      "3|Um9jaw==|http://radio/3|128|1||0|2||0|0|0|0|0|0|0\r\n"));
  }

  std::string download(const ServiceProcess& service, const std::string& stamp) {
    const auto reply = http_get(service.base_url().toStdString() + "/service/get.php?key='" +
                                (stamp.empty() ? "" : "&date=" + stamp));
    EXPECT_EQ(reply.status, 200) << reply.error;
    return reply.body;
  }

  QString source_, served_, database_;
};

TEST_F(CatalogueRoad, ServesTheCatalogueOnlyToOlderClients) {
  const ToolRun built = run_catalogue_tool({"build", source_, "-o", served_, "--stamp", "201301311530"});
  ASSERT_EQ(built.exit_code, 0) << built.err;
  const std::string catalogue = quovi_test::read_all(served_).toStdString();
  ServiceProcess service({"--catalogue", served_, "--database", database_, "--media", ""});
  ASSERT_TRUE(service.listening());

  EXPECT_EQ(download(service, ""), encode_reply(258, catalogue));
  EXPECT_EQ(download(service, "201301311529"), encode_reply(258, catalogue));
  EXPECT_EQ(download(service, "201301311530"), encode_reply(259, "Your channel list is up to date."));

  // A damaged file is not handed out; the service says so and keeps running.
  ASSERT_TRUE(quovi_test::write_all(served_, "not a catalogue, not even close"));
  EXPECT_EQ(download(service, ""), encode_reply(259, kNoCatalogueMessage));
  EXPECT_TRUE(service.running());
}

// The replies published as static files are the service's own, for every stamp a player sends,
// and each build leaves the up-to-date file of its stamp only.
TEST_F(CatalogueRoad, StaticRepliesAnswerAsTheServiceDoes) {
  const QString published = quovi_test::sandbox_root() + "/published";
  ASSERT_EQ(run_catalogue_tool({"build", source_, "-o", served_, "--stamp", "201301311530", "--static", published})
                .exit_code,
            0);
  ServiceProcess service({"--catalogue", served_, "--database", database_, "--media", ""});
  ASSERT_TRUE(service.listening());
  // What a web server configured as the README says hands out for the request's stamp.
  const auto static_reply = [&](const std::string& stamp) {
    const QString current = published + "/up-to-date-" + QString::fromStdString(stamp) + ".reply";
    return quovi_test::read_all(QFile::exists(current) && !stamp.empty() ? current : published + "/catalogue.reply")
        .toStdString();
  };
  for (const std::string stamp : {"", "201301311529", "201301311530"})
    EXPECT_EQ(static_reply(stamp), download(service, stamp)) << "stamp " << stamp;

  ASSERT_EQ(run_catalogue_tool({"build", source_, "-o", served_, "--stamp", "201302011200", "--static", published})
                .exit_code,
            0);
  EXPECT_EQ(QDir(published).entryList(QDir::Files), (QStringList{"catalogue.reply", "up-to-date-201302011200.reply"}));
  for (const std::string stamp : {"", "201301311530", "201302011200"})
    EXPECT_EQ(static_reply(stamp), download(service, stamp)) << "stamp " << stamp;
}

// The same road with the feedback in either store: the build reads what the service recorded.
class CatalogueRoadOnEitherStore : public CatalogueRoad, public testing::WithParamInterface<StoreKind> {
 protected:
  void SetUp() override {
    CatalogueRoad::SetUp();
    database_ = QString::fromStdString(fresh_store_location(GetParam()));
    if (database_.isEmpty()) GTEST_SKIP() << why_no_postgresql();
  }
};

TEST_P(CatalogueRoadOnEitherStore, BuildFoldsRecordedFeedbackIntoTheNextCatalogue) {
  ASSERT_EQ(run_catalogue_tool({"build", source_, "-o", served_, "--stamp", "201301311530"}).exit_code, 0);
  ServiceProcess service({"--catalogue", served_, "--database", database_, "--media", ""});
  ASSERT_TRUE(service.listening());
  for (const std::string target : {
           "/service/rate.php?rating=5&id=1", "/service/rate.php?rating=4&id=2", "/service/rate.php?rating=2&id=2",
           "/service/flag.php?flag=ok&id=2", "/service/flag.php?flag=spam&id=3", "/service/flag.php?flag=spam&id=3",
           "/service/flag.php?flag=wrong&id=3", "/service/bad.php?channel_id=1", "/service/bad.php?channel_id=1",
           "/service/bad.php?channel_id=1", "/service/rate.php?rating=3&id=999",
           "/service/new2.php?&group=2&name=Night%20Owl&url=http://owl/live&bitrate=96&type=1&homepage=&country=0"
           "&genre=2&comment=",
       })
    ASSERT_EQ(http_get(service.base_url().toStdString() + target).status, 200) << target;

  // Built while the service runs, over the file it serves.
  const ToolRun built = run_catalogue_tool({"build", source_, "--feedback", database_, "-o", served_});
  ASSERT_EQ(built.exit_code, 0) << built.err;
  EXPECT_NE(built.out.find("1 submitted channel to review (not published)"), std::string::npos) << built.out;
  EXPECT_NE(built.out.find("\"Night Owl\"  http://owl/live"), std::string::npos) << built.out;
  EXPECT_NE(built.out.find("does not hold (ignored): 999"), std::string::npos) << built.out;

  const ToolRun dump = run_catalogue_tool({"dump", served_});
  ASSERT_EQ(dump.exit_code, 0) << dump.err;
  QString version;
  const auto channels = dumped_channels(dump.out, &version);
  ASSERT_EQ(channels.size(), 3u) << dump.out;  // the submission is not published
  EXPECT_GT(version.toStdString(), "201301311530");

  const struct {
    int id;
    const char* rating;
    const char* rated;
    const char* counts[5];
    const char* status;
  } expected[] = {
      {1, "17", "4", {"2", "3", "0", "0", "0"}, "1"},  // three player errors outweigh two "works fine"
      {2, "6", "2", {"1", "0", "0", "0", "0"}, "0"},
      {3, "0", "0", {"0", "0", "1", "0", "2"}, "5"},
  };
  for (const auto& e : expected) {
    const QStringList& c = channels.at(e.id);
    EXPECT_EQ(c[kRating], e.rating) << e.id;
    EXPECT_EQ(c[kRated], e.rated) << e.id;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(c[kWorkfine + i], e.counts[i]) << e.id << " count " << i;
    EXPECT_EQ(c[kStatus], e.status) << e.id;
  }

  // The running service hands the new catalogue to the client that held the old one.
  const std::string catalogue = quovi_test::read_all(served_).toStdString();
  EXPECT_EQ(download(service, "201301311530"), encode_reply(258, catalogue));
  EXPECT_EQ(download(service, version.toStdString()), encode_reply(259, "Your channel list is up to date."));

  // Building again from the same source counts every request once, and moves the stamp on.
  ASSERT_EQ(run_catalogue_tool({"build", source_, "--feedback", database_, "-o", served_}).exit_code, 0);
  QString second_version;
  const auto again = dumped_channels(run_catalogue_tool({"dump", served_}).out, &second_version);
  EXPECT_EQ(again.at(1)[kRating], "17");
  EXPECT_GT(second_version, version);
}

INSTANTIATE_TEST_SUITE_P(Stores, CatalogueRoadOnEitherStore, kEveryStoreKind, store_kind_name);

TEST_F(CatalogueRoad, BuildRefusesBadInputAndKeepsThePublishedFile) {
  ASSERT_EQ(run_catalogue_tool({"build", source_, "-o", served_, "--stamp", "201301311530"}).exit_code, 0);
  const QByteArray published = quovi_test::read_all(served_);
  ASSERT_TRUE(quovi_test::write_all(source_ + "/video.dat", "5|VmlkZW8=|http://v|0|1\r\n"));
  const ToolRun broken_source = run_catalogue_tool({"build", source_, "-o", served_});
  EXPECT_EQ(broken_source.exit_code, 1);
  EXPECT_NE(broken_source.err.find("video.dat line 1"), std::string::npos) << broken_source.err;
  QFile::remove(source_ + "/video.dat");

  const ToolRun missing_database = run_catalogue_tool({"build", source_, "--feedback", database_ + ".none", "-o", served_});
  EXPECT_EQ(missing_database.exit_code, 1);
  EXPECT_NE(missing_database.err.find("feedback database"), std::string::npos) << missing_database.err;

  EXPECT_EQ(run_catalogue_tool({"build", source_, "-o", served_, "--stamp", "201302300000"}).exit_code, 2);
  EXPECT_EQ(run_catalogue_tool({"build", source_}).exit_code, 2);
  EXPECT_EQ(quovi_test::read_all(served_), published);
}
}  // namespace
