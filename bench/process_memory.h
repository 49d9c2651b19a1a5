#pragma once
// The process's own memory as the kernel counts it, for the benchmarks that report what a load
// keeps and what it needs at its peak.
#include <fstream>
#include <string>

namespace bench {
// A field of /proc/self/status in KiB: VmRSS now, VmHWM its peak since the peak was last reset.
inline size_t status_kib(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line))
    if (line.rfind(prefix, 0) == 0) return std::stoul(line.substr(prefix.size()));
  return 0;
}

// Starts VmHWM again from the present resident size.
inline void reset_peak_rss() { std::ofstream("/proc/self/clear_refs") << "5"; }
}  // namespace bench
