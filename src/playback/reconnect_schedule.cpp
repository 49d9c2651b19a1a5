#include "playback/reconnect_schedule.h"

#include <algorithm>

std::chrono::milliseconds ReconnectSchedule::wait(size_t index) const {
  if (policy_.waits.empty()) return std::chrono::seconds(1);
  return policy_.waits[std::min(index, policy_.waits.size() - 1)];
}

ReconnectSchedule::Clock::time_point ReconnectSchedule::dropped(Clock::time_point now) {
  active_ = true;
  dropped_at_ = now;
  tries_ = 0;
  return now + wait(0);
}

std::optional<ReconnectSchedule::Clock::time_point> ReconnectSchedule::try_failed(Clock::time_point now) {
  if (!active_) return std::nullopt;
  ++tries_;
  const Clock::time_point next = now + wait(tries_);
  if (next - dropped_at_ > policy_.give_up_after) {
    active_ = false;
    return std::nullopt;
  }
  return next;
}
