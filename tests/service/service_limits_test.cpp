// The service's limits, each crossed by a request that goes too far: the right status, nothing
// recorded, and the other clients still served.
#include "feedback_store.h"
#include "raw_client.h"
#include "service_process.h"
#include "test_env.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

namespace {
QString database_path() { return quovi_test::sandbox_root() + "/feedback.sqlite"; }

QStringList options_with(const QStringList& limits) {
  return QStringList{"--database", database_path(), "--catalogue", quovi_test::sandbox_root() + "/channels.dat",
                     "--media", ""} +
         limits;
}

std::string rating_request(int id, const std::string& extra_headers = {}) {
  return "GET /service/rate.php?rating=4&id=" + std::to_string(id) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
         extra_headers + "Connection: close\r\n\r\n";
}

std::vector<int32_t> recorded_ids() {
  std::vector<int32_t> ids;
  for (const auto& r : open_feedback_store(database_path().toStdString(), FeedbackStore::Mode::existing)->ratings())
    ids.push_back(r.channel_id);
  return ids;
}

// One header line `bytes` long, its CR LF included.
std::string header_line(const std::string& name, size_t bytes) {
  return name + ": " + std::string(bytes - name.size() - 4, 'v') + "\r\n";
}

std::string header_lines(size_t count, size_t value_bytes = 1) {
  std::string lines;
  for (size_t i = 0; i < count; ++i) lines += "X-" + std::to_string(i) + ": " + std::string(value_bytes, 'v') + "\r\n";
  return lines;
}

// Requests that cross a limit are refused with its status and never reach the handler; requests
// right at a limit pass. Refused ones rate channel 666, accepted ones channel 777.
TEST(ServiceLimits, RequestsPastALimitAreRefusedAndNotRecorded) {
  ServiceProcess service(options_with({}));
  ASSERT_TRUE(service.listening());
  // A request whose request line, CR LF included, is `bytes` long.
  const auto with_request_line_of = [](size_t bytes, int id) {
    std::string target = "/service/rate.php?rating=4&id=" + std::to_string(id) + "&pad=";
    target += std::string(bytes - target.size() - std::string("GET  HTTP/1.1\r\n").size(), 'p');
    return "GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
  };
  // Every request below has two header lines of its own, 36 bytes together.
  const size_t kOwnHeaderBytes = std::string("Host: 127.0.0.1\r\nConnection: close\r\n").size();
  const struct {
    const char* what;
    std::string bytes;
    int status;
  } cases[] = {
      {"a request line of 8 KiB", with_request_line_of(8192, 777), 200},
      {"a request line past 8 KiB", with_request_line_of(8193, 666), 414},
      {"a header line of 8 KiB", rating_request(777, header_line("X-A", 8192)), 200},
      {"a header line past 8 KiB", rating_request(666, header_line("X-A", 8193)), 431},
      {"16 KiB of header lines",
       rating_request(777, header_line("X-A", 8192) + header_line("X-B", 8192 - kOwnHeaderBytes)), 200},
      {"header lines past 16 KiB",
       rating_request(666, header_line("X-A", 8192) + header_line("X-B", 8193 - kOwnHeaderBytes)), 431},
      {"100 header lines", rating_request(777, header_lines(98)), 200},
      {"101 header lines", rating_request(666, header_lines(99)), 431},
      {"24 MB of header lines", rating_request(666, header_lines(24 * 1024, 1000)), 431},
      {"a body of 64 KiB", rating_request(777, "Content-Length: 65536\r\n") + std::string(65536, 'b'), 200},
      {"a body past 64 KiB", rating_request(666, "Content-Length: 65537\r\n") + std::string(65537, 'b'), 413},
      {"a huge Content-Length", rating_request(666, "Content-Length: 99999999999999999999999\r\n"), 413},
      {"Content-Length twice", rating_request(666, "Content-Length: 1\r\nContent-Length: 1\r\n") + "b", 400},
      {"a chunked body", rating_request(666, "Transfer-Encoding: chunked\r\n") + "1\r\nb\r\n0\r\n\r\n", 411},
      {"a bare LF", "GET /service/rate.php?rating=4&id=666 HTTP/1.1\nHost: x\n\n", 400},
  };
  int accepted = 0;
  for (const auto& c : cases) {
    const std::string reply = exchange_while_sending(service.port(), c.bytes);
    EXPECT_EQ(status_of(reply), c.status) << c.what << ": " << reply.substr(0, 200);
    if (c.status != 200) {
      EXPECT_NE(reply.find("Connection: close"), std::string::npos) << c.what;
    }
    accepted += c.status == 200;
  }
  EXPECT_EQ(recorded_ids(), std::vector<int32_t>(accepted, 777));
  EXPECT_TRUE(service.running());
}

// Clients that send their request a line at a time hold no worker while they do, and get a 408
// when the read timeout is up; the service answers everybody else meanwhile.
TEST(ServiceLimits, SlowClientsGetA408AndStarveNobody) {
  ServiceProcess service(options_with({"--read-timeout", "2", "--workers", "2"}));
  ASSERT_TRUE(service.listening());
  std::vector<std::unique_ptr<RawConnection>> slow;
  for (int i = 0; i < 12; ++i) {
    slow.push_back(std::make_unique<RawConnection>(service.port()));
    ASSERT_TRUE(slow.back()->send("GET /service/rate.php?rating=4&id=666 HTTP/1.1\r\nHost: x\r\n"));
  }
  const std::string served = exchange_while_sending(service.port(), rating_request(777));
  EXPECT_EQ(status_of(served), 200) << served;

  std::vector<std::string> replies(slow.size());
  const auto all_answered = [&] {
    return std::all_of(replies.begin(), replies.end(), [](const std::string& r) { return !r.empty(); });
  };
  for (int round = 0; round < 20 && !all_answered(); ++round) {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    for (size_t i = 0; i < slow.size(); ++i) {
      slow[i]->send("X-Slow: " + std::to_string(round) + "\r\n");
      replies[i] += slow[i]->receive(0);
    }
  }
  for (size_t i = 0; i < slow.size(); ++i) EXPECT_EQ(status_of(replies[i]), 408) << i << ": " << replies[i];
  EXPECT_EQ(recorded_ids(), std::vector<int32_t>{777});
}

// With its one worker busy and its queue of one full, the service answers 503 at once.
TEST(ServiceLimits, AFullQueueIsAnswered503) {
  ServiceProcess service(options_with({"--workers", "1", "--queue", "1"}));
  ASSERT_TRUE(service.listening());
  // Holding the database's write lock keeps the worker waiting inside its first request.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(database_path().toUtf8().constData(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

  auto first = std::async(std::launch::async, [&] { return exchange_while_sending(service.port(), rating_request(1)); });
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  auto second = std::async(std::launch::async, [&] { return exchange_while_sending(service.port(), rating_request(2)); });
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  const std::string refused = exchange_while_sending(service.port(), rating_request(666));
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);

  EXPECT_EQ(status_of(refused), 503) << refused;
  EXPECT_NE(refused.find("Retry-After: 1"), std::string::npos) << refused;
  EXPECT_EQ(status_of(first.get()), 200);
  EXPECT_EQ(status_of(second.get()), 200);
  EXPECT_EQ(recorded_ids(), (std::vector<int32_t>{1, 2}));
}

// Connections beyond --connections that are still sending are answered 503; once the others are
// gone, new ones are served again.
TEST(ServiceLimits, TooManyOpenConnectionsAreAnswered503) {
  ServiceProcess service(options_with({"--connections", "2"}));
  ASSERT_TRUE(service.listening());
  auto idle = std::make_unique<RawConnection>(service.port());
  auto other = std::make_unique<RawConnection>(service.port());
  const std::string refused = exchange_while_sending(service.port(), rating_request(666));
  EXPECT_EQ(status_of(refused), 503) << refused;
  EXPECT_EQ(idle->receive(0), "");
  idle.reset();
  other.reset();
  int status = 0;
  for (int attempt = 0; attempt < 100 && status != 200; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    status = status_of(exchange_while_sending(service.port(), rating_request(777)));
  }
  EXPECT_EQ(status, 200);
  EXPECT_EQ(recorded_ids(), std::vector<int32_t>{777});
}

// One client holding many half-sent requests holds no more of the door than its share: its
// connections past that are answered 503, while a client at another address is served.
TEST(ServiceLimits, OneClientCannotTakeTheDoorFromTheOthers) {
  ServiceProcess service(options_with({"--connections", "8", "--connections-per-client", "4"}));
  ASSERT_TRUE(service.listening());
  std::vector<std::unique_ptr<RawConnection>> held;
  for (int i = 0; i < 8; ++i) {
    held.push_back(std::make_unique<RawConnection>(service.port(), "127.0.0.1"));
    ASSERT_TRUE(held.back()->send("GET /service/rate.php?rating=4&id=666 HTTP/1.1\r\nHost: x\r\n"));
  }
  std::vector<std::string> replies(held.size());
  const auto answered = [&] {
    return std::count_if(replies.begin(), replies.end(), [](const std::string& r) { return !r.empty(); });
  };
  for (int round = 0; round < 100 && answered() < 4; ++round) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (size_t i = 0; i < held.size(); ++i) replies[i] += held[i]->receive(0);
  }
  EXPECT_EQ(answered(), 4);
  for (const auto& reply : replies) {
    if (!reply.empty()) {
      EXPECT_EQ(status_of(reply), 503) << reply;
    }
  }

  const std::string other = exchange_while_sending(service.port(), rating_request(777), "127.0.0.2");
  EXPECT_EQ(status_of(other), 200) << other;
  // A connection of the first client's that ends makes room for another.
  for (size_t i = 0; i < held.size(); ++i)
    if (replies[i].empty()) {
      held[i].reset();
      break;
    }
  int status = 0;
  for (int attempt = 0; attempt < 100 && status != 200; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    status = status_of(exchange_while_sending(service.port(), rating_request(778), "127.0.0.1"));
  }
  EXPECT_EQ(status, 200);
  EXPECT_EQ(recorded_ids(), (std::vector<int32_t>{777, 778}));
}

// Requests sent one after the other on one connection, without waiting for the replies, are each
// answered and recorded once, in order.
TEST(ServiceLimits, KeptAliveConnectionsServeEveryPipelinedRequestOnce) {
  ServiceProcess service(options_with({}));
  ASSERT_TRUE(service.listening());
  std::string pipelined;
  for (int id = 1; id <= 5; ++id)
    pipelined += "GET /service/rate.php?rating=4&id=" + std::to_string(id) + " HTTP/1.1\r\nHost: x\r\n\r\n";
  pipelined += rating_request(6);
  const std::string replies = exchange_while_sending(service.port(), pipelined);
  size_t answered = 0;
  for (size_t at = replies.find("HTTP/1.1 200"); at != std::string::npos; at = replies.find("HTTP/1.1 200", at + 1))
    ++answered;
  EXPECT_EQ(answered, 6u) << replies;
  EXPECT_EQ(recorded_ids(), (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
}
}  // namespace
