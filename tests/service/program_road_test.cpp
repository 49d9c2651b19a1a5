// The player's own download dialog and feedback requests against quovi-service: what a user of
// the demo does, without a window of the player around them.
#include "catalogue/catalogue_paths.h"
#include "catalogue/channel_database.h"
#include "dialogs/download_dialog.h"
#include "feedback_store.h"
#include "http_get.h"
#include "service_process.h"
#include "services/feedback.h"
#include "services/service_addresses.h"
#include "shell/app_state.h"
#include "test_env.h"
#include "widgets/messages.h"

#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

namespace {
class ProgramRoad : public testing::Test {
 protected:
  void SetUp() override {
    const QString source = quovi_test::sandbox_root() + "/source";
    QDir().mkpath(source);
    ASSERT_TRUE(quovi_test::write_all(source + "/genres.dat", "1|News\r\n2|Music\r\n"));
    ASSERT_TRUE(quovi_test::write_all(source + "/tv.dat", "1|TmV3cw==|http://tv/1|800|1||0|1||12|3|2|0|0|0|0\r\n"));
    ASSERT_TRUE(quovi_test::write_all(source + "/radio.dat", "2|SmF6eg==|http://radio/2|128|1||0|2||0|0|0|0|0|0|0\r\n"));
    served_ = quovi_test::sandbox_root() + "/served.dat";
    database_ = quovi_test::sandbox_root() + "/feedback.sqlite";
    QProcess tool;
    tool.start(QStringLiteral(QUOVI_CATALOGUE_PROGRAM), {"build", source, "-o", served_, "--stamp", "202612011200"});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();

    service_ = std::make_unique<ServiceProcess>(QStringList{"--catalogue", served_, "--database", database_, "--media", ""});
    ASSERT_TRUE(service_->listening());
    write_service_base("catalogue", service_->base_url());
    write_service_base("feedback", service_->base_url());
    quovi_test::catalogue_folder();
    state_.catalogue.app_data = app_data_folder();
  }

  // Shows the player's download dialog and waits for its outcome.
  QString download(DownloadDialog& dialog) {
    dialog.show();
    EXPECT_TRUE(wait_for([&] { return !dialog.downloading(); }));
    dialog.hide();
    return dialog.status_text();
  }

  QString served_, database_;
  std::unique_ptr<ServiceProcess> service_;
  AppState state_;
  RecordingMessageSink messages_;
};

TEST_F(ProgramRoad, DownloadsAnOutOfDateCatalogueAndIsToldWhenItIsCurrent) {
  DownloadDialog dialog(state_.catalogue, state_.outdated);
  state_.catalogue.version_stamp = "201301311530";
  EXPECT_EQ(download(dialog), "Complete!");
  EXPECT_EQ(quovi_test::read_all(channels_path(state_.catalogue.app_data)), quovi_test::read_all(served_));

  load_channel_database(state_.catalogue, {}, state_.catalogue.app_data);
  EXPECT_EQ(state_.catalogue.version_stamp, "202612011200");
  ASSERT_TRUE(quovi_test::write_all(channels_path(state_.catalogue.app_data), "the file the user has"));
  EXPECT_EQ(download(dialog), "Your channel list is up to date.");
  EXPECT_EQ(quovi_test::read_all(channels_path(state_.catalogue.app_data)), "the file the user has");
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(ProgramRoad, EveryFeedbackRequestOfThePlayerIsRecordedWithItsValues) {
  DownloadDialog dialog(state_.catalogue, state_.outdated);
  ASSERT_EQ(download(dialog), "Complete!");  // no stamp yet: the first download of a new user
  load_channel_database(state_.catalogue, {}, state_.catalogue.app_data);
  auto& channels = state_.catalogue.channels;
  ASSERT_EQ(channels.size(), 2u);
  Channel mine;
  mine.id = 100001;
  mine.group_id = kGroupRadio;
  mine.user_defined = 1;
  mine.name = ShortText::from_text(QStringLiteral("Rock & Roll #1 Caf\u00e9"));
  mine.url = "http://example.org/live stream?a=1&b=2";
  mine.bitrate = 192;
  mine.type_id = 1;
  mine.homepage = "http://example.org/";
  mine.country_id = 4;
  mine.genre_id = 2;
  mine.comment = "Late night, 100% vinyl";
  channels.push_back(mine);

  send_rating(state_.catalogue, "5", 0);
  send_rating(state_.catalogue, "2", 1);
  send_flag(state_.catalogue, "ok", 0);
  send_flag(state_.catalogue, "duplicate", 1);
  report_bad_channel_at(state_, 1);
  submit_channel_at(state_, 2);

  const auto store = open_feedback_store(database_.toStdString(), FeedbackStore::Mode::existing);
  ASSERT_TRUE(wait_for([&] {
    return store->ratings().size() == 2 && store->flags().size() == 2 && store->bad_reports().size() == 1 &&
           store->submissions().size() == 1;
  })) << service_->log().toStdString();

  const auto totals = store->channel_totals();
  EXPECT_EQ(totals.at(1), (ChannelFeedback{5, 1, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(totals.at(2), (ChannelFeedback{2, 1, 0, 0, 0, 1, 0, 1}));
  const ChannelSubmission s = store->submissions()[0].channel;
  EXPECT_EQ(s.group_id, kGroupRadio);
  EXPECT_EQ(s.name, "Rock & Roll #1 Caf\xC3\xA9");
  EXPECT_EQ(s.url, "http://example.org/live stream?a=1&b=2");
  EXPECT_EQ(s.bitrate, 192);
  EXPECT_EQ(s.type_id, 1);
  EXPECT_EQ(s.homepage, "http://example.org/");
  EXPECT_EQ(s.country_id, 4);
  EXPECT_EQ(s.genre_id, 2);
  EXPECT_EQ(s.comment, "Late night, 100% vinyl");
}
}  // namespace
