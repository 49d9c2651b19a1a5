#include "request_workers.h"

RequestWorkers::RequestWorkers(size_t workers, size_t queue, Serve serve)
    : queue_limit_(queue), serve_(std::move(serve)) {
  for (size_t i = 0; i < std::max<size_t>(1, workers); ++i) threads_.emplace_back([this] { work(); });
}

RequestWorkers::~RequestWorkers() { stop(); }

bool RequestWorkers::offer(ArrivedRequest& request) {
  {
    std::lock_guard lock(mutex_);
    // Requests not yet picked up by an idle worker count against that worker, not the queue.
    if (stopping_ || queue_.size() >= idle_ + queue_limit_) return false;
    queue_.push_back(std::move(request));
  }
  arrived_.notify_one();
  return true;
}

void RequestWorkers::stop() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
  }
  arrived_.notify_all();
  for (auto& t : threads_) t.join();
}

void RequestWorkers::work() {
  for (;;) {
    ArrivedRequest request;
    {
      std::unique_lock lock(mutex_);
      ++idle_;
      arrived_.wait(lock, [this] { return !queue_.empty() || stopping_; });
      --idle_;
      if (queue_.empty()) return;
      request = std::move(queue_.front());
      queue_.pop_front();
    }
    serve_(std::move(request));
  }
}
