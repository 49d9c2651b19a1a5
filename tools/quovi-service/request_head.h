#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// The bounds a request must keep before any of it reaches a worker. Every request the player
// sends is a GET of a few hundred bytes without a body; these leave room for any honest client.
// Line lengths count the line's CR LF, as the HTTP library's own bounds on lines do.
struct RequestLimits {
  size_t request_line_bytes = 8 * 1024;  // longer: 414
  size_t header_line_bytes = 8 * 1024;   // a longer header line: 431
  size_t header_count = 100;             // more header lines: 431
  size_t header_bytes = 16 * 1024;       // the header lines together, without the blank line; more: 431
  size_t body_bytes = 64 * 1024;         // a longer Content-Length: 413
};

// How far the bytes received on a connection make up one request.
struct HeadScan {
  enum class State { incomplete, complete, refused };
  State state = State::incomplete;
  size_t head_bytes = 0;  // complete: request line and headers, the blank line included
  size_t body_bytes = 0;  // complete: the Content-Length, 0 without one
  int status = 0;         // refused: 400, 411, 413, 414 or 431
  std::string reason;     // refused: why, for the reply and the log
};

// Reads the framing of the request at the start of `received`: where its head ends and how long
// its body is. Refuses as soon as the bytes cross a limit, so an endless line or header stream is
// never waited for. Lines must end with CR LF; a body is taken only with a Content-Length (a
// Transfer-Encoding is refused with 411). Everything else about the request (method, target,
// header values) is left to the HTTP library.
HeadScan scan_request_head(std::string_view received, const RequestLimits& limits);

// A whole reply that refuses a request and closes the connection: "HTTP/1.1 STATUS Phrase", a
// plain-text body giving `reason`.
std::string refusal_reply(int status, std::string_view reason);
