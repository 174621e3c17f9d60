// A bounded queue that one consumer drains in batches: everything waiting is taken at once, so a
// single writer can fold all of it into one transaction.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

namespace vorenn::server::internal {

template <typename Item>
class BatchQueue {
 public:
  explicit BatchQueue(size_t capacity) : capacity_(capacity) {}

  // False when the queue is full or closed: the caller reports that instead of waiting without end.
  bool Push(Item item) {
    std::lock_guard lock(mutex_);
    if (closed_ || items_.size() >= capacity_) return false;
    items_.push_back(std::move(item));
    ready_.notify_one();
    return true;
  }

  // Waits for at least one item and takes up to `most` of them, oldest first. Empty only once the
  // queue is closed and drained.
  std::vector<Item> TakeBatch(size_t most) {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [&] { return closed_ || !items_.empty(); });
    std::vector<Item> batch;
    if (items_.size() <= most) {
      batch.swap(items_);
    } else {
      batch.assign(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(most));
      items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(most));
    }
    return batch;
  }

  // Refuses further items; those already queued are still handed out.
  void Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    ready_.notify_all();
  }

 private:
  const size_t capacity_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::vector<Item> items_;
  bool closed_ = false;
};

}  // namespace vorenn::server::internal
