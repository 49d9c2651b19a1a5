#pragma once
#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

// Faults in memory a loader is about to fill, on a thread of its own: on two cores the system
// zeroes the next large pages while the loader writes into the ones before, instead of stopping
// the loader at every new page. Populating never changes what memory holds, so a range may be
// written, or even freed, meanwhile. Ranges are taken in the order given; the destructor stops at
// the next slice and waits.
class PagePopulator {
 public:
  PagePopulator();
  ~PagePopulator();
  PagePopulator(const PagePopulator&) = delete;
  PagePopulator& operator=(const PagePopulator&) = delete;

  void populate(void* start, size_t bytes);

 private:
  void run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::pair<char*, size_t>> ranges_;
  bool stopping_ = false;

  std::thread thread_;  // last: starts once everything above exists
};

// Keeps the pages of one region faulted in a little way ahead of a writer moving through it from
// the front: the writer finds its pages ready, and no more becomes resident than it is about to
// fill, however much room the region leaves behind it.
class PopulateAhead {
 public:
  static constexpr size_t kAhead = size_t{8} << 20;
  static constexpr size_t kStep = size_t{4} << 20;

  // A new region; pages may be null (nothing is populated). Forgets the region before.
  void start(PagePopulator* pages, void* base, size_t bytes) {
    pages_ = pages;
    base_ = static_cast<char*>(base);
    bytes_ = bytes;
    requested_ = 0;
  }

  // The writer has reached `offset` bytes into the region.
  void reached(size_t offset) {
    if (!pages_ || requested_ >= bytes_ || offset + kAhead <= requested_) return;
    const size_t to = std::min(bytes_, offset + kAhead + kStep);
    pages_->populate(base_ + requested_, to - requested_);
    requested_ = to;
  }

 private:
  PagePopulator* pages_ = nullptr;
  char* base_ = nullptr;
  size_t bytes_ = 0;
  size_t requested_ = 0;
};
