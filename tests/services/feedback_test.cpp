#include "services/feedback.h"

#include "../shell/stand_in_player.h"
#include "playback/player_control.h"
#include "requests_answered.h"
#include "services/http_request.h"
#include "services/service_addresses.h"
#include "shell/channel_table_model.h"
#include "shell/command_wiring.h"
#include "shell/context_menu_state.h"
#include "shell/main_window.h"
#include "stalled_lookup.h"
#include "test_server.h"
#include "widgets/messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {
Channel channel(int32_t id, const char* name, uint16_t user_defined = 0, int32_t sent = 0) {
  Channel item;
  item.id = id;
  item.name = ShortText::from_text(QString::fromUtf8(name));
  item.group_id = 2;
  item.url = "http://radio.example/live";
  item.bitrate = 128;
  item.user_defined = user_defined;
  item.sent = sent;
  return item;
}

class Feedback : public testing::Test {
 protected:
  void SetUp() override {
    write_service_base("feedback", server.base());
    auto& channels = state.catalogue.channels;
    channels = {channel(1234, "News"), channel(-3, "My Radio & Friends", 1, 0), channel(-4, "Old Mine", 1, 1)};
  }
  void TearDown() override { EXPECT_TRUE(wait_until(quovi_test::all_requests_answered)); }

  std::vector<std::string> targets() const {
    std::vector<std::string> result;
    for (const auto& r : server.received()) result.push_back(r.target);
    return result;
  }
  // What reached the server once every request sent so far has its answer.
  std::vector<std::string> answered_targets() {
    EXPECT_TRUE(wait_until(quovi_test::all_requests_answered));
    return targets();
  }

  TestServer server;
  AppState state;
};

TEST_F(Feedback, RatingAndFlagReachTheServiceAndAreRecorded) {
  send_rating(state.catalogue, "5", 0);
  send_flag(state.catalogue, "bad", 0);
  auto sent = answered_targets();
  std::sort(sent.begin(), sent.end());
  EXPECT_EQ(sent, (std::vector<std::string>{"/service/flag.php?flag=bad&id=1234", "/service/rate.php?rating=5&id=1234"}));
  for (const auto& r : server.received()) EXPECT_EQ(r.user_agent, "Quovi/5.1.5.0");
  EXPECT_EQ(state.catalogue.rated_ids, std::vector<int>{1234});
  EXPECT_EQ(state.catalogue.flagged_ids, std::vector<int>{1234});
}

TEST_F(Feedback, FailedRequestsStillMarkTheChannel) {
  write_service_base("feedback", "http://127.0.0.1:1");
  send_rating(state.catalogue, "3", 0);
  send_flag(state.catalogue, "spam", 0);
  EXPECT_EQ(state.catalogue.rated_ids, std::vector<int>{1234});
  EXPECT_EQ(state.catalogue.flagged_ids, std::vector<int>{1234});
  // Positions outside the channel array are not commands at all.
  send_rating(state.catalogue, "3", 3);
  send_flag(state.catalogue, "ok", -1);
  EXPECT_EQ(state.catalogue.rated_ids.size(), 1u);
  EXPECT_EQ(state.catalogue.flagged_ids.size(), 1u);
}

TEST_F(Feedback, PlayerSignalsSendByChannelPosition) {
  report_bad_channel_at(state, 0);
  report_bad_channel_at(state, 9);  // no such channel
  submit_channel_at(state, 1);
  submit_channel_at(state, -1);
  auto sent = answered_targets();
  std::sort(sent.begin(), sent.end());
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0], "/service/bad.php?channel_id=1234");
  EXPECT_EQ(sent[1].rfind("/service/new2.php?&group=2&name=My%20Radio%20%26%20Friends&", 0), 0u);
}

// The player's events on their way through the main window: a stand-in player behind the player
// control, the control attached to the window, the channel chosen by selecting its row.
class FeedbackFromThePlayer : public Feedback {
 protected:
  void SetUp() override {
    Feedback::SetUp();
    auto& channels = state.catalogue.channels;
    Channel tv = channel(77, "Not In This View");
    tv.group_id = kGroupTV;
    channels.insert(channels.begin(), tv);  // rows 0, 1, 2 show positions 1, 2, 3
    state.catalogue.filter.group_id = kGroupRadio;
    window.attach_player_control(control);
    wire_commands(window, {.player = control});
    control->attach(player);
    window.rebuild_view();
    ASSERT_EQ(window.model()->rowCount(), 3);
  }
  void play_row(int row) {
    window.select_row(row);
    player->raise_status("Playing");
  }
  const Channel& in_row(int row) { return state.catalogue.channels[static_cast<size_t>(row + 1)]; }

  RecordingMessageSink messages;
  MainWindow window{state};
  PlayerControl* control = new PlayerControl(state, &window, &window);
  shell_test::StandInPlayer* player = new shell_test::StandInPlayer(control);
};

TEST_F(FeedbackFromThePlayer, AUserChannelIsSubmittedOnceAtItsFirstPlayingStatus) {
  window.select_row(1);
  player->raise_status("Buffering...");
  EXPECT_TRUE(answered_targets().empty());
  player->raise_status("Playing");
  EXPECT_EQ(in_row(1).sent, 1);
  player->raise_status("Stopped");
  player->raise_status("playing");
  EXPECT_EQ(answered_targets(),
            (std::vector<std::string>{"/service/new2.php?&group=2&name=My%20Radio%20%26%20Friends"
                                      "&url=http%3A%2F%2Fradio.example%2Flive&bitrate=128&type=0&homepage="
                                      "&country=0&genre=0&comment="}));
}

TEST_F(FeedbackFromThePlayer, OnlyUnsentUserChannelsInTheSelectedRowAreSubmitted) {
  play_row(2);  // a user channel already sent
  play_row(0);  // a catalogue channel
  window.clear_selection();
  player->raise_status("PLAYING");
  EXPECT_TRUE(answered_targets().empty());
  EXPECT_EQ(in_row(1).sent, 0);
}

TEST_F(FeedbackFromThePlayer, EveryErrorWithASelectedRowReportsItsChannel) {
  player->raise_error("Cannot play this channel.");
  window.select_row(0);
  player->raise_error("Cannot play this channel.");
  player->raise_error("Cannot play this channel.");
  window.select_row(1);  // a user channel is reported as well
  player->raise_error("Cannot play this channel.");
  EXPECT_EQ(messages.shown.size(), 4u);
  auto sent = answered_targets();
  std::sort(sent.begin(), sent.end());
  EXPECT_EQ(sent, (std::vector<std::string>{"/service/bad.php?channel_id=-3", "/service/bad.php?channel_id=1234",
                                            "/service/bad.php?channel_id=1234"}));
}

// Each source as its rules say, through the real wiring: what the menu offers, what the commands
// and the player's events send. The service hears of the catalogue's channels and the user's own,
// never of a playlist's, even when a command for one reaches the wiring.
TEST_F(FeedbackFromThePlayer, EachSourceIsHeardOfOnlyAsItsRulesAllow) {
  Channel listed = channel(-1, "Listed Radio");
  listed.source = 3;
  listed.url = "http://list.example/radio";
  state.catalogue.channels.push_back(listed);
  window.rebuild_view();
  ASSERT_EQ(window.model()->rowCount(), 4);
  const std::string submitted = "/service/new2.php?&group=2&name=My%20Radio%20%26%20Friends"
                                "&url=http%3A%2F%2Fradio.example%2Flive&bitrate=128&type=0&homepage="
                                "&country=0&genre=0&comment=";
  const struct {
    int row;
    const char* what;
    bool rate_and_flag, update, remove;
    std::vector<std::string> sent;  // sorted
  } cases[] = {
      {0, "catalogue", true, true, false,
       {"/service/bad.php?channel_id=1234", "/service/flag.php?flag=bad&id=1234", "/service/rate.php?rating=4&id=1234"}},
      {1, "user's own, not yet sent", false, true, true, {"/service/bad.php?channel_id=-3", submitted}},
      {3, "playlist", false, false, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ContextMenuState menu = right_click_menu_state({}, state, c.row, c.row);
    EXPECT_EQ(menu.rate_enabled, c.rate_and_flag);
    EXPECT_EQ(menu.flag_enabled, c.rate_and_flag);
    EXPECT_EQ(menu.update_enabled, c.update);
    EXPECT_EQ(menu.remove_channel_enabled, c.remove);

    const size_t before = answered_targets().size();
    play_row(c.row);
    window.hooks().rate(c.row, 4);
    window.hooks().flag(c.row, QStringLiteral("bad"));
    player->raise_error("Cannot play this channel.");
    std::vector<std::string> sent = answered_targets();
    sent.erase(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(before));
    std::sort(sent.begin(), sent.end());
    EXPECT_EQ(sent, c.sent);
  }
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
}  // namespace
