#include "feedback_store.h"
#include "test_env.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {
std::string database_path() { return (quovi_test::sandbox_root() + "/feedback.sqlite").toStdString(); }

ChannelSubmission submission(std::string name) {
  ChannelSubmission s;
  s.group_id = 2;
  s.name = std::move(name);
  s.url = "http://example.org/stream";
  s.bitrate = 128;
  s.type_id = 1;
  s.homepage = "http://example.org/";
  s.country_id = 3;
  s.genre_id = 4;
  s.comment = "Caf\xC3\xA9 | jazz";
  return s;
}

TEST(FeedbackStore, SumsEachChannelsFeedback) {
  FeedbackStore store(database_path());
  for (const Feedback& f : std::vector<Feedback>{
           RatingFeedback{10, 5}, RatingFeedback{10, 2}, RatingFeedback{11, 4}, FlagFeedback{10, FlagWord::bad},
           FlagFeedback{10, FlagWord::bad}, FlagFeedback{10, FlagWord::spam}, FlagFeedback{12, FlagWord::ok},
           FlagFeedback{12, FlagWord::wrong}, FlagFeedback{12, FlagWord::duplicate}, BadChannelFeedback{10},
           BadChannelFeedback{13}})
    store.record(f);

  const auto totals = store.channel_totals();
  ASSERT_EQ(totals.size(), 4u);
  EXPECT_EQ(totals.at(10), (ChannelFeedback{7, 2, 0, 2, 0, 0, 1, 1}));
  EXPECT_EQ(totals.at(11), (ChannelFeedback{4, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(totals.at(12), (ChannelFeedback{0, 0, 1, 0, 1, 1, 0, 0}));
  EXPECT_EQ(totals.at(13), (ChannelFeedback{0, 0, 0, 0, 0, 0, 0, 1}));
}

TEST(FeedbackStore, KeepsRowsAcrossReopeningInOrderOfArrival) {
  {
    FeedbackStore store(database_path());
    store.record(submission("First"));
    store.record(submission("Second"));
    store.record(RatingFeedback{-5, 3});
  }
  FeedbackStore store(database_path(), FeedbackStore::Mode::existing);
  const auto rows = store.submissions();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].channel.name, "First");
  EXPECT_EQ(rows[1].channel.name, "Second");
  EXPECT_EQ(rows[1].channel.comment, "Caf\xC3\xA9 | jazz");
  EXPECT_EQ(rows[1].channel.homepage, "http://example.org/");
  EXPECT_EQ(rows[1].received.size(), 20u);  // YYYY-MM-DDThh:mm:ssZ
  ASSERT_EQ(store.ratings().size(), 1u);
  EXPECT_EQ(store.ratings()[0].channel_id, -5);
}

TEST(FeedbackStore, RefusesMissingOrForeignFilesWithAClearError) {
  EXPECT_THROW(FeedbackStore(database_path(), FeedbackStore::Mode::existing), FeedbackStoreError);

  ASSERT_TRUE(quovi_test::write_all(QString::fromStdString(database_path()), "this is no database at all"));
  for (auto mode : {FeedbackStore::Mode::create, FeedbackStore::Mode::existing}) {
    try {
      FeedbackStore store(database_path(), mode);
      FAIL() << "opened a file that is no database";
    } catch (const FeedbackStoreError& e) {
      EXPECT_NE(std::string(e.what()).find("feedback database"), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(quovi_test::read_all(QString::fromStdString(database_path())), "this is no database at all");
}
}  // namespace
