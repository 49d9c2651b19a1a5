#pragma once
// How long the GUI thread went without running its event loop: the longest gap between the ticks of
// a 5 ms timer, for the benchmarks whose goal is a window that never stalls. The floor is what the
// machine alone takes from the GUI thread while both cores are busy, whatever the program does.
#include "services/worker_thread.h"

#include <QElapsedTimer>
#include <QFuture>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <cstdint>

namespace bench {
// The longest gap between the ticks of a 5 ms timer on the calling thread, from start() to stop().
class TickGaps {
 public:
  TickGaps() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
  }
  void start() {
    clock_.start();
    last_ = 0;
    longest_ = 0;
    timer_.start();
  }
  // Milliseconds; the time since the last tick counts as well.
  double stop() {
    tick();
    timer_.stop();
    return static_cast<double>(longest_) / 1e6;
  }

 private:
  void tick() {
    const qint64 now = clock_.nsecsElapsed();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
  }
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 longest_ = 0;
};

// The longest gap while two workers spin for a second and the GUI thread only waits for them.
inline double stall_floor(TickGaps& probe) {
  probe.start();
  const auto spin = [] {
    QElapsedTimer clock;
    clock.start();
    volatile uint64_t sum = 0;
    while (clock.elapsed() < 1000) sum = sum + 1;
    return sum;
  };
  QFuture<uint64_t> one = run_on_worker(spin);
  QFuture<uint64_t> two = run_on_worker(spin);
  wait_running_events(one);
  wait_running_events(two);
  return probe.stop();
}
}  // namespace bench
