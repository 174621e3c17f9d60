#include "server/login_throttle.h"

namespace vorenn::server {

namespace {
// Above this many tracked accounts, stale records are swept so memory stays bounded.
constexpr size_t kSweepThreshold = 10000;
}  // namespace

void LoginThrottle::ForgetOldLocked(std::deque<int64_t>& attempts, int64_t now) const {
  while (!attempts.empty() && attempts.front() <= now - windowSeconds_) attempts.pop_front();
}

void LoginThrottle::PruneLocked(int64_t now) {
  for (auto it = attempts_.begin(); it != attempts_.end();) {
    ForgetOldLocked(it->second, now);
    it = it->second.empty() ? attempts_.erase(it) : std::next(it);
  }
}

bool LoginThrottle::TryBegin(std::string_view account) {
  int64_t now = clock_.NowSeconds();
  if (shared_) return shared_->BeginPasswordAttempt(account, maxAttempts_, windowSeconds_, now);
  std::lock_guard lock(mutex_);
  if (attempts_.size() > kSweepThreshold) PruneLocked(now);
  auto& attempts = attempts_[std::string(account)];
  ForgetOldLocked(attempts, now);
  if (static_cast<int>(attempts.size()) >= maxAttempts_) return false;
  attempts.push_back(now);
  return true;
}

void LoginThrottle::Succeeded(std::string_view account) {
  if (shared_) return shared_->ClearPasswordAttempts(account);
  std::lock_guard lock(mutex_);
  attempts_.erase(std::string(account));
}

}  // namespace vorenn::server
