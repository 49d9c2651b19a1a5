#include "catalogue/page_populator.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14
#endif

namespace {
// Small enough that a stop is noticed soon, large enough that the system calls cost nothing.
constexpr size_t kSlice = size_t{8} << 20;
}  // namespace

PagePopulator::PagePopulator() : thread_([this] { run(); }) {}

PagePopulator::~PagePopulator() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void PagePopulator::populate(void* start, size_t bytes) {
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(start) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(start) + bytes) & ~(page - 1);
  if (end <= begin) return;
  {
    const std::lock_guard lock(mutex_);
    ranges_.emplace_back(reinterpret_cast<char*>(begin), end - begin);
  }
  changed_.notify_all();
}

void PagePopulator::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return stopping_ || !ranges_.empty(); });
    if (stopping_) return;
    auto [at, left] = ranges_.front();
    ranges_.pop_front();
    while (left > 0 && !stopping_) {
      const size_t slice = std::min(left, kSlice);
      lock.unlock();
      // A system without this advice, or a range already given back, is simply left to fault in.
      const bool done = madvise(at, slice, MADV_POPULATE_WRITE) == 0;
      lock.lock();
      if (!done) break;
      at += slice;
      left -= slice;
    }
  }
}
