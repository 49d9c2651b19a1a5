#pragma once
// What the benchmarks that repeat a measurement themselves report of it: wall-clock times, their
// least and their median.
#include <algorithm>
#include <chrono>
#include <vector>

namespace bench {
// Wall-clock milliseconds since the start; the loader may use more than one thread, so CPU time
// would not say how long the user waits.
class Stopwatch {
 public:
  double milliseconds() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

template <typename Work>
double milliseconds_of(Work&& work) {
  const Stopwatch clock;
  work();
  return clock.milliseconds();
}

inline double minimum(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

inline double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
}  // namespace bench
