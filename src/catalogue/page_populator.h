#pragma once
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
