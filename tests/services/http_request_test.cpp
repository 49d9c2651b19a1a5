#include "services/http_request.h"

#include "short_stall_limits.h"
#include "stalled_lookup.h"
#include "test_server.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {
// Runs the event loop until the request has ended.
bool wait_finished(HttpRequest& request, int milliseconds = 5000) {
  return wait_until([&] { return !request.running(); }, milliseconds);
}

TEST(HttpRequest, DeliversTheBodyWithTheUserAgentAndProgress) {
  TestServer server;
  const QByteArray body(100000, 'x');
  server.reply("/data", 200, body);

  HttpRequest request;
  std::vector<qint64> begun, work;
  QObject::connect(&request, &HttpRequest::work_begin, [&](qint64 total) { begun.push_back(total); });
  QObject::connect(&request, &HttpRequest::work, [&](qint64 count) { work.push_back(count); });
  request.get((server.base() + "/data?a=1").toUtf8());
  ASSERT_TRUE(wait_finished(request));

  EXPECT_TRUE(request.error().isEmpty()) << request.error().toStdString();
  EXPECT_EQ(request.body(), body);
  ASSERT_EQ(begun.size(), 1);
  EXPECT_EQ(begun[0], body.size());
  ASSERT_FALSE(work.empty());
  EXPECT_EQ(work.back(), body.size());
  const auto received = server.received();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].user_agent, "Quovi/5.1.5.0");
  EXPECT_EQ(received[0].target, "/data?a=1");
}

TEST(HttpRequest, FollowsRedirects) {
  TestServer server;
  server.redirect("/old", "/new");
  server.reply("/new", 200, "moved here");

  HttpRequest request;
  request.get((server.base() + "/old").toUtf8());
  ASSERT_TRUE(wait_finished(request));

  EXPECT_TRUE(request.error().isEmpty());
  EXPECT_EQ(request.body(), "moved here");
  const auto received = server.received();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[1].path, "/new");
  EXPECT_EQ(received[1].user_agent, "Quovi/5.1.5.0");
}

TEST(HttpRequest, FailuresCarryAMessage) {
  TestServer server;  // nothing scripted: every path is 404
  struct Case {
    const char* what;
    QByteArray url;
    const char* in_message;
  } cases[] = {
      {"error status", (server.base() + "/missing").toUtf8(), "404"},
      {"nobody listening", "http://127.0.0.1:1/", ""},
      {"not http", "file:///etc/passwd", ""},
  };
  for (const Case& c : cases) {
    HttpRequest request;
    request.get(c.url);
    ASSERT_TRUE(wait_finished(request)) << c.what;
    EXPECT_FALSE(request.error().isEmpty()) << c.what;
    EXPECT_TRUE(request.error().contains(QLatin1String(c.in_message))) << c.what << ": " << request.error().toStdString();
  }
}

TEST(HttpRequest, RepliesPastTheLimitEndWithAnErrorAndNoBody) {
  TestServer server;
  constexpr qint64 kLimit = 1000;
  server.reply("/announced", 200, QByteArray(kLimit + 1, 'a'));
  server.reply_chunked("/unannounced", QByteArray(kLimit + 1, 'u'));
  server.reply("/at-limit", 200, QByteArray(kLimit, 'l'));
  server.reply_chunked("/chunked-at-limit", QByteArray(kLimit, 'c'));
  // Refused on the announcement alone, without waiting for a body that may never come.
  server.stall_after("/announced-only", QByteArray(kLimit + 1, 's'), 0);
  const std::pair<const char*, bool> cases[] = {{"/announced", true},
                                                {"/unannounced", true},
                                                {"/announced-only", true},
                                                {"/at-limit", false},
                                                {"/chunked-at-limit", false}};
  for (const auto& [path, too_large] : cases) {
    HttpRequest request;
    request.set_max_body_bytes(kLimit);
    request.get((server.base() + path).toUtf8());
    ASSERT_TRUE(wait_finished(request)) << path;
    EXPECT_EQ(request.too_large(), too_large) << path;
    if (too_large) {
      EXPECT_EQ(request.error(), HttpRequest::too_large_text(kLimit)) << path;
      EXPECT_TRUE(request.body().isEmpty()) << path;
    } else {
      EXPECT_TRUE(request.error().isEmpty()) << path << ": " << request.error().toStdString();
      EXPECT_EQ(request.body().size(), kLimit) << path;
    }
  }
}

TEST(HttpRequest, AbortEndsATransferWaitingForHeaders) {
  TestServer server;
  server.stall("/slow");
  HttpRequest request;
  request.get((server.base() + "/slow").toUtf8());
  ASSERT_TRUE(server.wait_for_stalled());

  QElapsedTimer clock;
  clock.start();
  request.abort();
  ASSERT_TRUE(wait_finished(request));
  // Far below the server's 20 s stall and the client's 1 s poll: the abort woke the transfer.
  // The 100 ms goal itself is measured in bench/.
  EXPECT_LT(clock.elapsed(), 500);
  EXPECT_EQ(request.error(), HttpRequest::aborted_text());
}

TEST(HttpRequest, AbortInTheMiddleOfTheBodyKeepsWhatCame) {
  TestServer server;
  server.stall_after("/half", QByteArray(2000, 'y'), 1000);
  HttpRequest request;
  qint64 last_count = 0;
  QObject::connect(&request, &HttpRequest::work, [&](qint64 count) { last_count = count; });
  request.get((server.base() + "/half").toUtf8());
  ASSERT_TRUE(wait_until([&] { return last_count == 1000; }));
  request.abort();
  ASSERT_TRUE(wait_finished(request));
  EXPECT_EQ(request.error(), HttpRequest::aborted_text());
  EXPECT_EQ(request.body().size(), 1000);
}

TEST(HttpRequest, DestroyingARunningRequestDoesNotWaitForTheServer) {
  TestServer server;
  server.stall("/slow");
  QElapsedTimer clock;
  {
    HttpRequest request;
    request.get((server.base() + "/slow").toUtf8());
    ASSERT_TRUE(server.wait_for_stalled());
    clock.start();
  }
  EXPECT_LT(clock.elapsed(), 500);
}

// A server that accepts and then sends nothing, or a byte now and then, must not hold a transfer
// until the user gives up: it ends by itself, saying why.
TEST(HttpRequest, AStalledOrTricklingTransferEndsByItselfWithTheCause) {
  TestServer server;
  server.stall("/no-head");
  server.stall_after("/head-then-nothing", QByteArray(4096, 'h'), 100);
  server.trickle("/trickle", 100000, std::chrono::milliseconds(100));
  const quovi_test::ShortStallLimits limits;
  for (const char* path : {"/no-head", "/head-then-nothing", "/trickle"}) {
    HttpRequest request;
    request.get((server.base() + path).toUtf8());
    ASSERT_TRUE(wait_finished(request, 8000)) << path;
    EXPECT_EQ(request.error(), HttpRequest::too_slow_text(1024, 1)) << path << ": " << request.error().toStdString();
  }
}

// The connect time-out takes in the name lookup: a dead DNS server is given up as one that does
// not answer.
TEST(HttpRequest, ANameLookupThatHangsEndsByItselfWithTheCause) {
  if (!run_with_stalling_resolver()) return;
  const quovi_test::ShortStallLimits limits;
  HttpRequest request;
  request.get(stalling_url());
  // Within the stand-in's stall of 5 s, after which the lookup fails for another reason.
  ASSERT_TRUE(wait_finished(request, 4000));
  EXPECT_EQ(request.error(), HttpRequest::unreachable_text(1));
}

// libcurl's threaded resolver cannot stop a lookup; neither abort() nor the destructor may wait for
// it, or Cancel freezes the window for the whole DNS time-out.
TEST(HttpRequest, AbortAndDestructionDoNotWaitForAHangingNameLookup) {
  if (!run_with_stalling_resolver()) return;
  {
    HttpRequest request;
    const int before = stalled_lookups();
    request.get(stalling_url());
    ASSERT_TRUE(wait_for_stalled_lookup(before));
    QElapsedTimer clock;
    clock.start();
    request.abort();
    ASSERT_TRUE(wait_finished(request, 2000));
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_EQ(request.error(), HttpRequest::aborted_text());
  }
  QElapsedTimer clock;
  {
    HttpRequest request;
    const int before = stalled_lookups();
    request.get(stalling_url());
    ASSERT_TRUE(wait_for_stalled_lookup(before));
    clock.start();
  }
  EXPECT_LT(clock.elapsed(), 500);
}
}  // namespace

namespace {
TEST(HttpRequest, RefusesHeaderLinesThatCouldSplitTheRequest) {
  HttpRequest request;
  EXPECT_TRUE(request.add_header("If-None-Match: \"v1\""));
  EXPECT_FALSE(request.add_header("If-None-Match: x\r\nX-Injected: 1"));
  EXPECT_FALSE(request.add_header("no colon here"));
  EXPECT_FALSE(request.add_header(QByteArray("A: b\0c", 6)));
}
}  // namespace
