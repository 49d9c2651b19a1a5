#include "services/feedback.h"

#include "services/http_request.h"
#include "services/service_addresses.h"
#include "stalled_lookup.h"
#include "test_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <map>

namespace {
TItem channel(int32_t id, const char* name, uint16_t usdef = 0, int32_t sent = 0) {
  TItem item;
  item.id = id;
  item.name = TShortText::from_text(QString::fromUtf8(name));
  item.group_id = 2;
  item.url = "http://radio.example/live";
  item.bitrate = 128;
  item.usdef = usdef;
  item.sent = sent;
  return item;
}

class Feedback : public testing::Test {
 protected:
  void SetUp() override {
    write_service_base("feedback", server.base());
    auto& channels = state.catalogue.info.channels;
    channels = {channel(1234, "News"), channel(-3, "My Radio & Friends", 1, 0), channel(-4, "Old Mine", 1, 1)};
    state.visible = {2, 1, 0};  // rows show the channels in reverse order
  }

  std::vector<std::string> targets() const {
    std::vector<std::string> result;
    for (const auto& r : server.received()) result.push_back(r.target);
    return result;
  }
  // Sends a marker request and waits for it, then a little longer for any stray request that a
  // step under test should not have sent.
  void settle() {
    const size_t before = server.received().size();
    send_feedback_request((server.base() + "/marker").toUtf8());
    ASSERT_TRUE(server.wait_for_requests(before + 1));
    wait_until([] { return false; }, 100);
  }

  TestServer server;
  AppState state;
};

TEST_F(Feedback, RatingAndFlagReachTheServiceAndAreRecorded) {
  send_rating(state.catalogue, "5", 0);
  send_flag(state.catalogue, "bad", 0);
  ASSERT_TRUE(server.wait_for_requests(2));
  auto sent = targets();
  std::sort(sent.begin(), sent.end());
  EXPECT_EQ(sent, (std::vector<std::string>{"/service/flag.php?flag=bad&id=1234", "/service/rate.php?rating=5&id=1234"}));
  for (const auto& r : server.received()) EXPECT_EQ(r.user_agent, "Quovi/5.1.5.0");
  EXPECT_EQ(state.catalogue.rated_positions, std::vector<int>{1234});
  EXPECT_EQ(state.catalogue.flagged_positions, std::vector<int>{1234});
}

TEST_F(Feedback, FailedRequestsStillMarkTheChannel) {
  write_service_base("feedback", "http://127.0.0.1:1");
  send_rating(state.catalogue, "3", 2);
  send_flag(state.catalogue, "spam", 1);
  EXPECT_EQ(state.catalogue.rated_positions, std::vector<int>{-4});
  EXPECT_EQ(state.catalogue.flagged_positions, std::vector<int>{-3});
  // Positions outside the channel array are not commands at all.
  send_rating(state.catalogue, "3", 3);
  send_flag(state.catalogue, "ok", -1);
  EXPECT_EQ(state.catalogue.rated_positions.size(), 1u);
  EXPECT_EQ(state.catalogue.flagged_positions.size(), 1u);
  wait_until([] { return false; }, 100);
}

TEST_F(Feedback, EveryReportWithASelectedRowGoesOut) {
  report_bad_channel(state, -1);
  report_bad_channel(state, 3);
  report_bad_channel(state, 2);
  report_bad_channel(state, 2);
  settle();
  const auto sent = targets();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "/service/bad.php?channel_id=1234"), 2);
  EXPECT_EQ(sent.size(), 3u);  // two reports and the marker
}

TEST_F(Feedback, UserChannelIsSubmittedOnceAtItsFirstPlayingStatus) {
  EXPECT_FALSE(submit_if_playing(state, 1, "Buffering..."));
  EXPECT_TRUE(submit_if_playing(state, 1, "Playing"));
  EXPECT_EQ(state.catalogue.info.channels[1].sent, 1);
  // A second status while the first request may still be on its way sends nothing.
  EXPECT_FALSE(submit_if_playing(state, 1, "playing"));
  ASSERT_TRUE(server.wait_for_requests(1));
  settle();
  const auto sent = targets();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0],
            "/service/new2.php?&group=2&name=My%20Radio%20%26%20Friends&url=http%3A%2F%2Fradio.example%2Flive"
            "&bitrate=128&type=0&homepage=&country=0&genre=0&comment=");
}

TEST_F(Feedback, OnlyUnsentUserChannelsInASelectedRowAreSubmitted) {
  EXPECT_FALSE(submit_if_playing(state, 0, "PLAYING"));   // user channel already sent
  EXPECT_FALSE(submit_if_playing(state, 2, "PLAYING"));   // catalogue channel
  EXPECT_FALSE(submit_if_playing(state, -1, "PLAYING"));  // nothing selected
  EXPECT_FALSE(submit_if_playing(state, 7, "PLAYING"));   // no such row
  settle();
  EXPECT_EQ(server.received().size(), 1u);  // the marker alone
}

TEST_F(Feedback, PlayerSignalsSendByChannelPosition) {
  report_bad_channel_at(state, 0);
  report_bad_channel_at(state, 9);  // no such channel
  submit_channel_at(state, 1);
  submit_channel_at(state, -1);
  EXPECT_EQ(state.catalogue.info.channels[1].sent, 1);
  settle();
  auto sent = targets();
  std::sort(sent.begin(), sent.end());
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0], "/marker");
  EXPECT_EQ(sent[1], "/service/bad.php?channel_id=1234");
  EXPECT_EQ(sent[2].rfind("/service/new2.php?&group=2&name=My%20Radio%20%26%20Friends&", 0), 0u);
}

TEST_F(Feedback, RepliesLargerThanTheLimitAreCutOff) {
  server.reply("/large", 200, QByteArray(kFeedbackReplyLimit + 1, 'x'));
  server.reply("/at-limit", 200, QByteArray(kFeedbackReplyLimit, 'x'));
  std::map<std::string, QString> errors;
  for (const char* path : {"/large", "/at-limit"}) {
    HttpRequest* request = send_feedback_request((server.base() + path).toUtf8());
    QObject::connect(request, &HttpRequest::finished, [&errors, request, path] { errors[path] = request->error(); });
  }
  ASSERT_TRUE(wait_until([&] { return errors.size() == 2; }));
  EXPECT_EQ(errors["/large"], HttpRequest::too_large_text(kFeedbackReplyLimit));
  EXPECT_EQ(errors["/at-limit"], QString());
}

// Quitting while feedback requests still look up the service's name ends them without waiting.
TEST(FeedbackAtQuit, PendingRequestsDoNotHoldUpTheQuit) {
  if (!run_with_stalling_resolver()) return;
  const int before = stalled_lookups();
  send_feedback_request(stalling_url("/service/bad.php?channel_id=1"));
  send_feedback_request(stalling_url("/service/rate.php?rating=5&id=1"));
  ASSERT_TRUE(wait_until([&] { return stalled_lookups() >= before + 2; }));
  QElapsedTimer clock;
  clock.start();
  QMetaObject::invokeMethod(QCoreApplication::instance(), "aboutToQuit", Qt::DirectConnection);
  EXPECT_LT(clock.elapsed(), 500);
}

TEST(PlayingStatus, AnyCaseAnyLongerText) {
  for (const char* yes : {"Playing", "playing", "PLAYING", "Now playing stream"}) EXPECT_TRUE(status_means_playing(yes)) << yes;
  for (const char* no : {"Paused", "Ready", "Buffering...", "Play ing", ""}) EXPECT_FALSE(status_means_playing(no)) << no;
}
}  // namespace
