#include "server/hash_workers.h"

#include <future>

#include "server/internal/bounded_workers.h"

namespace vorenn::server {

namespace {

template <typename Result, typename Job>
std::optional<Result> RunOn(internal::BoundedWorkers& workers, Job job) {
  auto task = std::make_shared<std::packaged_task<Result()>>(std::move(job));
  std::future<Result> result = task->get_future();
  if (!workers.TrySubmit([task] { (*task)(); })) return std::nullopt;
  return result.get();
}

}  // namespace

HashWorkers::HashWorkers(int threads, size_t maxQueued)
    : workers_(std::make_unique<internal::BoundedWorkers>(threads, maxQueued)) {}

HashWorkers::~HashWorkers() = default;

std::optional<std::string> HashWorkers::Hash(const std::string& password, HashCost cost) {
  return RunOn<std::string>(*workers_, [&password, cost] { return HashPassword(password, cost); });
}

std::optional<bool> HashWorkers::Verify(const std::string& storedHash, const std::string& password) {
  return RunOn<bool>(*workers_, [&storedHash, &password] { return VerifyPassword(storedHash, password); });
}

size_t HashWorkers::Queued() const { return workers_->Queued(); }

}  // namespace vorenn::server
