#include "request_head.h"

#include <algorithm>

namespace {
HeadScan refuse(int status, std::string reason) {
  HeadScan scan;
  scan.state = HeadScan::State::refused;
  scan.status = status;
  scan.reason = std::move(reason);
  return scan;
}

bool same_name(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
         });
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The end of the line starting at `from` (the index of its CR), npos while it has not arrived;
// sets `bare_lf` when a LF comes without its CR.
size_t line_end(std::string_view text, size_t from, bool& bare_lf) {
  const size_t lf = text.find('\n', from);
  if (lf == std::string_view::npos) return std::string_view::npos;
  if (lf == from || text[lf - 1] != '\r') {
    bare_lf = true;
    return lf;
  }
  return lf - 1;
}

std::string in_kib(size_t bytes) { return std::to_string(bytes / 1024) + " KiB"; }
}  // namespace

HeadScan scan_request_head(std::string_view received, const RequestLimits& limits) {
  bool bare_lf = false;
  // A line still arriving is known to be at least this long, its CR LF included; a CR that ends
  // the bytes so far is taken as the start of the line end.
  const auto least_length = [&](size_t from, size_t stop) {
    if (stop != std::string_view::npos) return stop + 2 - from;
    const size_t partial = received.size() - from;
    return partial + (received.back() == '\r' ? 1 : 2);
  };

  const size_t line_stop = line_end(received, 0, bare_lf);
  if (!received.empty() && least_length(0, line_stop) > limits.request_line_bytes)
    return refuse(414, "the request line is longer than " + in_kib(limits.request_line_bytes));
  if (line_stop == std::string_view::npos) return {};
  if (bare_lf) return refuse(400, "lines must end with CR LF");
  if (line_stop == 0) return refuse(400, "the request line is empty");

  size_t pos = line_stop + 2;
  const size_t headers_start = pos;
  size_t count = 0;
  bool has_length = false;
  size_t body = 0;
  for (;;) {
    const size_t stop = line_end(received, pos, bare_lf);
    const bool more = pos < received.size();
    if (more && least_length(pos, stop) > limits.header_line_bytes)
      return refuse(431, "a header line is longer than " + in_kib(limits.header_line_bytes));
    // The blank line that ends the head does not count.
    const bool blank = stop == pos;
    if (more && !blank && pos + least_length(pos, stop) - headers_start > limits.header_bytes)
      return refuse(431, "the header lines are longer than " + in_kib(limits.header_bytes) + " together");
    if (stop == std::string_view::npos) return {};
    if (bare_lf) return refuse(400, "lines must end with CR LF");
    const std::string_view line = received.substr(pos, stop - pos);
    pos = stop + 2;
    if (blank) break;
    if (++count > limits.header_count)
      return refuse(431, "more than " + std::to_string(limits.header_count) + " header lines");
    if (line.front() == ' ' || line.front() == '\t') return refuse(400, "a header line is folded");
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return refuse(400, "a header line has no name");
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = trimmed(line.substr(colon + 1));
    if (same_name(name, "Transfer-Encoding"))
      return refuse(411, "a body needs a Content-Length; no transfer coding is taken");
    if (!same_name(name, "Content-Length")) continue;
    if (has_length) return refuse(400, "Content-Length is given twice");
    has_length = true;
    if (value.empty() || !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return refuse(400, "Content-Length is no number");
    const std::string_view digits = value.substr(std::min(value.find_first_not_of('0'), value.size()));
    if (digits.size() > 18) return refuse(413, "the body is longer than " + in_kib(limits.body_bytes));
    for (char c : digits) body = body * 10 + static_cast<size_t>(c - '0');
    if (body > limits.body_bytes) return refuse(413, "the body is longer than " + in_kib(limits.body_bytes));
  }
  HeadScan scan;
  scan.state = HeadScan::State::complete;
  scan.head_bytes = pos;
  scan.body_bytes = body;
  return scan;
}

std::string refusal_reply(int status, std::string_view reason) {
  const char* phrase = "Bad Request";
  switch (status) {
    case 408: phrase = "Request Timeout"; break;
    case 411: phrase = "Length Required"; break;
    case 413: phrase = "Content Too Large"; break;
    case 414: phrase = "URI Too Long"; break;
    case 431: phrase = "Request Header Fields Too Large"; break;
    case 503: phrase = "Service Unavailable"; break;
  }
  const std::string body = std::string(reason) + "\n";
  std::string reply = "HTTP/1.1 " + std::to_string(status) + " " + phrase +
                      "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " + std::to_string(body.size()) +
                      "\r\nConnection: close\r\n";
  // Busy is the only refusal worth trying again, and soon.
  if (status == 503) reply += "Retry-After: 1\r\n";
  return reply + "\r\n" + body;
}
