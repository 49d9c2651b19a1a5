#pragma once
#include "services/http_request.h"

namespace quovi_test {
// Shortens the stall limits of every request made while it lives, so that a stalled transfer ends
// in a second or two instead of half a minute.
class ShortStallLimits {
 public:
  explicit ShortStallLimits(long seconds = 1) : before_(HttpRequest::stall_limits()) {
    HttpRequest::set_stall_limits({seconds, 1024, seconds});
  }
  ~ShortStallLimits() { HttpRequest::set_stall_limits(before_); }
  ShortStallLimits(const ShortStallLimits&) = delete;
  ShortStallLimits& operator=(const ShortStallLimits&) = delete;

 private:
  HttpRequest::StallLimits before_;
};
}  // namespace quovi_test
