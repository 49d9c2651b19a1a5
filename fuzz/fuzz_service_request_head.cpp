// Feeds arbitrary bytes to the door's reading of a request head, as one connection's bytes so far.
// Besides crashes it stops on a broken promise: the bytes that follow can never undo what was
// decided. A head found complete stays complete with the same lengths, a refusal stays the same
// refusal, whatever arrives after it; and a complete head ends with its blank line.
// The first input byte picks where the bytes are cut, as they might be between two reads.
#include "request_head.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
void check(bool holds) {
  if (!holds) std::abort();
}

// Small enough that mutations reach every limit.
RequestLimits limits() {
  RequestLimits l;
  l.request_line_bytes = 64;
  l.header_line_bytes = 48;
  l.header_count = 6;
  l.header_bytes = 160;
  l.body_bytes = 32;
  return l;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size == 0) return 0;
  const std::string_view all(reinterpret_cast<const char*>(bytes) + 1, size - 1);
  const std::string_view first = all.substr(0, bytes[0] % (all.size() + 1));
  const HeadScan whole = scan_request_head(all, limits());
  const HeadScan part = scan_request_head(first, limits());

  if (whole.state == HeadScan::State::complete) {
    check(whole.head_bytes <= all.size() && whole.head_bytes >= 4);
    check(all.substr(whole.head_bytes - 4, 4) == "\r\n\r\n");
    check(whole.body_bytes <= limits().body_bytes);
  }
  if (whole.state == HeadScan::State::refused) {
    const int s = whole.status;
    check(s == 400 || s == 411 || s == 413 || s == 414 || s == 431);
    check(!whole.reason.empty());
  }
  if (part.state != HeadScan::State::incomplete) {
    check(whole.state == part.state && whole.status == part.status);
    check(whole.head_bytes == part.head_bytes && whole.body_bytes == part.body_bytes);
  }
  return 0;
}
