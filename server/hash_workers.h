// Password hashing on a fixed set of threads with a short queue. Each argon2id run holds its whole
// memory cost while it runs, so the threads bound the memory hashing can take: threads × the
// largest cost in use. A request that finds the queue full is told the server is busy instead of
// waiting or adding to the pile.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "server/credentials.h"

namespace vorenn::server {

namespace internal {
class BoundedWorkers;
}

class HashWorkers {
 public:
  HashWorkers(int threads, size_t maxQueued);
  ~HashWorkers();
  HashWorkers(const HashWorkers&) = delete;
  HashWorkers& operator=(const HashWorkers&) = delete;

  // nullopt when the queue is full. Hash failures (out of memory) are thrown as by HashPassword.
  std::optional<std::string> Hash(const std::string& password, HashCost cost);
  // nullopt when the queue is full; else whether the password matches the stored hash.
  std::optional<bool> Verify(const std::string& storedHash, const std::string& password);
  // Hash jobs waiting for a thread.
  size_t Queued() const;

 private:
  std::unique_ptr<internal::BoundedWorkers> workers_;
};

}  // namespace vorenn::server
