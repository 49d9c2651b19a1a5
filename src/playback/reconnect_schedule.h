#pragma once
#include <chrono>
#include <optional>
#include <vector>

// How long the player keeps trying to get a dropped stream back: the waits before each try (the
// last one repeats) and the time after the drop by which it gives up.
struct ReconnectPolicy {
  std::vector<std::chrono::milliseconds> waits{std::chrono::seconds(1),  std::chrono::seconds(2),
                                               std::chrono::seconds(4),  std::chrono::seconds(8),
                                               std::chrono::seconds(16), std::chrono::seconds(30)};
  std::chrono::milliseconds give_up_after = std::chrono::minutes(5);
};

// When to try again after a stream that was playing dropped. The clock is the caller's, so the
// rule can be run against a made-up one.
class ReconnectSchedule {
 public:
  using Clock = std::chrono::steady_clock;

  explicit ReconnectSchedule(ReconnectPolicy policy = {}) : policy_(std::move(policy)) {}

  // The stream dropped at `now`: when to make the first try.
  Clock::time_point dropped(Clock::time_point now);
  // A try failed at `now`: when to make the next one, or nothing when the time is up (give up).
  std::optional<Clock::time_point> try_failed(Clock::time_point now);
  // The stream plays again, or the user ended the attempts.
  void end() { active_ = false; }
  bool active() const { return active_; }

 private:
  std::chrono::milliseconds wait(size_t index) const;

  ReconnectPolicy policy_;
  bool active_ = false;
  Clock::time_point dropped_at_{};
  size_t tries_ = 0;
};
