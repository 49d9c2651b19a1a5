#include "request_head.h"

#include <gtest/gtest.h>

namespace {
constexpr auto kIncomplete = HeadScan::State::incomplete;
constexpr auto kComplete = HeadScan::State::complete;
constexpr auto kRefused = HeadScan::State::refused;

// Small limits, so that each case shows its edge: request line 32, header line 24, 3 header
// lines, 48 bytes of them, body 10 (line lengths with their CR LF).
RequestLimits small() {
  RequestLimits l;
  l.request_line_bytes = 32;
  l.header_line_bytes = 24;
  l.header_count = 3;
  l.header_bytes = 48;
  l.body_bytes = 10;
  return l;
}

TEST(RequestHead, FramesTheRequestOrRefusesItAsSoonAsItCrossesALimit) {
  const struct {
    std::string bytes;
    HeadScan::State state;
    int status_or_head;  // refused: the status; complete: the head's length
    size_t body = 0;
  } cases[] = {
      {"", kIncomplete, 0},
      {"GET / HTTP/1.1\r", kIncomplete, 0},
      {"GET / HTTP/1.1\r\nHost: x\r\n", kIncomplete, 0},
      {"GET / HTTP/1.1\r\nHost: x\r\n\r\n", kComplete, 27},
      {"GET / HTTP/1.1\r\nHost: x\r\n\r\nGET /next", kComplete, 27},
      {"GET / HTTP/1.1\r\ncontent-length:  7 \r\n\r\nbody", kComplete, 39, 7},
      {"GET / HTTP/1.1\r\nContent-Length: 0010\r\n\r\n", kComplete, 40, 10},
      // The request line: 32 with its CR LF passes; one more is refused, even before its end.
      {"GET /" + std::string(16, 'a') + " HTTP/1.1\r\n\r\n", kComplete, 34},
      {"GET /" + std::string(17, 'a') + " HTTP/1.1\r\n\r\n", kRefused, 414},
      {"GET /" + std::string(28, 'a'), kRefused, 414},
      {"GET /" + std::string(25, 'a') + "\r", kIncomplete, 0},
      {"GET /" + std::string(26, 'a') + "\r", kRefused, 414},
      // A header line: 24 with its CR LF passes; 25 does, even unfinished.
      {"GET / HTTP/1.1\r\nX: " + std::string(19, 'v') + "\r\n\r\n", kComplete, 42},
      {"GET / HTTP/1.1\r\nX: " + std::string(20, 'v') + "\r\n\r\n", kRefused, 431},
      {"GET / HTTP/1.1\r\nX: " + std::string(30, 'v'), kRefused, 431},
      // Header lines: three pass, a fourth is refused; 48 bytes together pass, more do not.
      {"GET / HTTP/1.1\r\nA: 1\r\nB: 2\r\nC: 3\r\n\r\n", kComplete, 36},
      {"GET / HTTP/1.1\r\nA: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\n\r\n", kRefused, 431},
      {"GET / HTTP/1.1\r\nA: " + std::string(19, 'v') + "\r\nB: " + std::string(19, 'v') + "\r\n\r\n", kComplete, 66},
      {"GET / HTTP/1.1\r\nA: " + std::string(19, 'v') + "\r\nB: " + std::string(19, 'v') + "\r\nC:\r\n\r\n", kRefused,
       431},
      // Bodies: only with a Content-Length, once, of at most 10 bytes.
      {"GET / HTTP/1.1\r\nContent-Length: 11\r\n\r\n", kRefused, 413},
      {"GET / HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 1\r\n\r\n", kRefused, 400},
      {"GET / HTTP/1.1\r\nContent-Length: -1\r\n\r\n", kRefused, 400},
      {"GET / HTTP/1.1\r\nContent-Length: 1, 1\r\n\r\n", kRefused, 400},
      {"GET / HTTP/1.1\r\nTransfer-Encoding: x\r\n\r\n", kRefused, 411},
      // Framing the library would read otherwise is refused outright.
      {"GET / HTTP/1.1\nHost: x\n\n", kRefused, 400},
      {"GET / HTTP/1.1\r\nHost: x\n\r\n", kRefused, 400},
      {"\r\nGET / HTTP/1.1\r\n\r\n", kRefused, 400},
      {"GET / HTTP/1.1\r\n folded\r\n\r\n", kRefused, 400},
      {"GET / HTTP/1.1\r\n: no name\r\n\r\n", kRefused, 400},
  };
  for (const auto& c : cases) {
    const HeadScan scan = scan_request_head(c.bytes, small());
    ASSERT_EQ(scan.state, c.state) << c.bytes;
    if (c.state == kRefused) {
      EXPECT_EQ(scan.status, c.status_or_head) << c.bytes;
      EXPECT_FALSE(scan.reason.empty());
    }
    if (c.state == kComplete) {
      EXPECT_EQ(scan.head_bytes, static_cast<size_t>(c.status_or_head)) << c.bytes;
      EXPECT_EQ(scan.body_bytes, c.body) << c.bytes;
    }
  }
  // A length past any number of bytes.
  const HeadScan huge = scan_request_head("GET / HTTP/1.1\r\nContent-Length: 99999999999999999999999\r\n", {});
  EXPECT_EQ(huge.state, kRefused);
  EXPECT_EQ(huge.status, 413);
}

TEST(RequestHead, RefusalRepliesCloseTheConnection) {
  const std::string reply = refusal_reply(431, "more than 100 header lines");
  EXPECT_EQ(reply.rfind("HTTP/1.1 431 Request Header Fields Too Large\r\n", 0), 0u) << reply;
  EXPECT_NE(reply.find("\r\nConnection: close\r\n"), std::string::npos);
  EXPECT_NE(reply.find("\r\nContent-Length: 27\r\n"), std::string::npos) << reply;
  EXPECT_EQ(reply.substr(reply.size() - 31), "\r\n\r\nmore than 100 header lines\n");
  EXPECT_NE(refusal_reply(503, "busy").find("\r\nRetry-After: 1\r\n"), std::string::npos);
}
}  // namespace
