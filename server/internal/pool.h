// A fixed set of database connections handed out one request at a time. A connection is not safe
// to share between threads; the pool makes sure each is used by one thread at once.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace vorenn::server::internal {

template <typename Connection>
class Pool {
 public:
  void Add(std::unique_ptr<Connection> connection) {
    std::lock_guard lock(mutex_);
    idle_.push_back(std::move(connection));
  }

  // Returns the connection to the pool when it goes out of scope. A connection found broken can be
  // dropped with Discard so the pool replaces it through `reopen` on the next Take.
  class Lease {
   public:
    Lease(Pool& pool, std::unique_ptr<Connection> connection)
        : pool_(pool), connection_(std::move(connection)) {}
    ~Lease() {
      if (connection_) pool_.Return(std::move(connection_));
      else pool_.ReturnEmpty();
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    Connection& operator*() { return *connection_; }
    Connection* operator->() { return connection_.get(); }
    void Discard() { connection_.reset(); }
    // Replaces a connection found broken with a new one from `reopen`. If that throws, the lease is
    // left empty (the pool makes a new one on a later Take) and the exception passes on.
    template <typename Reopen>
    void Renew(Reopen reopen) {
      connection_.reset();
      connection_ = reopen();
    }

   private:
    Pool& pool_;
    std::unique_ptr<Connection> connection_;
  };

  template <typename Reopen>
  Lease Take(Reopen reopen) {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [&] { return !idle_.empty() || missing_ > 0; });
    if (!idle_.empty()) {
      auto connection = std::move(idle_.back());
      idle_.pop_back();
      return Lease(*this, std::move(connection));
    }
    --missing_;
    lock.unlock();
    try {
      return Lease(*this, reopen());
    } catch (...) {
      std::lock_guard relock(mutex_);
      ++missing_;
      ready_.notify_one();
      throw;
    }
  }

 private:
  void Return(std::unique_ptr<Connection> connection) {
    std::lock_guard lock(mutex_);
    idle_.push_back(std::move(connection));
    ready_.notify_one();
  }
  void ReturnEmpty() {
    std::lock_guard lock(mutex_);
    ++missing_;
    ready_.notify_one();
  }

  std::mutex mutex_;
  std::condition_variable ready_;
  std::vector<std::unique_ptr<Connection>> idle_;
  int missing_ = 0;
};

}  // namespace vorenn::server::internal
