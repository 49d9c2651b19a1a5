#pragma once
// The peak of the process's resident memory while a piece of work runs, for tests that promise
// bounded memory.
#include "../../bench/process_memory.h"

#include <fstream>
#include <functional>
#include <optional>

namespace quovi_test {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kUnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kUnderAddressSanitizer = true;
#else
inline constexpr bool kUnderAddressSanitizer = false;
#endif
#else
inline constexpr bool kUnderAddressSanitizer = false;
#endif

// How far the resident memory rose above its level before `work`, at its peak, in MB. Nothing
// where the peak cannot be reset (not Linux) or where AddressSanitizer's own bookkeeping (its
// quarantine keeps what the program has let go) would swamp it.
inline std::optional<double> peak_growth_mb(const std::function<void()>& work) {
  std::ofstream reset("/proc/self/clear_refs");
  if (kUnderAddressSanitizer || !reset) {
    work();
    return std::nullopt;
  }
  reset << "5" << std::flush;
  const size_t before = bench::status_kib("VmRSS");
  if (!reset || bench::status_kib("VmHWM") > before + 1024) {  // the peak was not reset after all
    work();
    return std::nullopt;
  }
  work();
  return static_cast<double>(bench::status_kib("VmHWM") - before) / 1024;
}

}  // namespace quovi_test
