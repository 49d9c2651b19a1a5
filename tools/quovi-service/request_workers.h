#pragma once
#include "connection_door.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A fixed number of threads serving arrived requests, with a bounded queue in front of them: a
// request that finds every worker busy and the queue full is not taken, so the time a request
// waits stays bounded however many arrive.
class RequestWorkers {
 public:
  using Serve = std::function<void(ArrivedRequest&&)>;

  RequestWorkers(size_t workers, size_t queue, Serve serve);
  ~RequestWorkers();
  RequestWorkers(const RequestWorkers&) = delete;
  RequestWorkers& operator=(const RequestWorkers&) = delete;

  // Takes the request (moving from it) when a worker is free or the queue has room; otherwise
  // leaves it as it was and answers false.
  bool offer(ArrivedRequest& request);
  // Serves what was taken, then ends the threads; later offers are refused.
  void stop();

 private:
  void work();

  const size_t queue_limit_;
  const Serve serve_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<ArrivedRequest> queue_;
  size_t idle_ = 0;  // workers waiting for a request
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};
