// A fixed set of threads that run jobs from a queue of limited length. Submitting to a full queue
// fails at once, so a flood of work is refused instead of piling up in memory.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vorenn::server::internal {

class BoundedWorkers {
 public:
  BoundedWorkers(int threads, size_t maxQueued) : maxQueued_(maxQueued) {
    for (int i = 0; i < (threads < 1 ? 1 : threads); ++i) threads_.emplace_back([this] { Work(); });
  }
  ~BoundedWorkers() { Shutdown(); }
  BoundedWorkers(const BoundedWorkers&) = delete;
  BoundedWorkers& operator=(const BoundedWorkers&) = delete;

  // False when the queue is full or the workers are shut down; the job is then not run.
  [[nodiscard]] bool TrySubmit(std::function<void()> job) {
    std::lock_guard lock(mutex_);
    if (closed_ || queue_.size() >= maxQueued_) return false;
    queue_.push_back(std::move(job));
    ready_.notify_one();
    return true;
  }

  // Jobs submitted and not yet started.
  size_t Queued() {
    std::lock_guard lock(mutex_);
    return queue_.size();
  }

  // Runs the jobs already queued, then ends the threads.
  void Shutdown() {
    {
      std::lock_guard lock(mutex_);
      if (closed_ && threads_.empty()) return;
      closed_ = true;
      ready_.notify_all();
    }
    for (auto& thread : threads_) {
      if (thread.joinable()) thread.join();
    }
    threads_.clear();
  }

 private:
  void Work() {
    for (;;) {
      std::function<void()> job;
      {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return closed_ || !queue_.empty(); });
        if (queue_.empty()) return;
        job = std::move(queue_.front());
        queue_.pop_front();
      }
      job();
    }
  }

  const size_t maxQueued_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> queue_;
  bool closed_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace vorenn::server::internal
