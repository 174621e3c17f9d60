#include "server/address_throttle.h"

#include <algorithm>

namespace vorenn::server {

namespace {
// Above this many tracked addresses, the full buckets (which say nothing) are swept so memory stays
// bounded whatever the number of addresses a flood comes from.
constexpr size_t kSweepThreshold = 10000;
}  // namespace

bool AddressThrottle::TryTake(const std::string& address) {
  if (exempt_.count(address)) return true;
  int64_t now = clock_.NowSeconds();
  if (shared_) return shared_->TakeAddressToken(kind_, address, limit_.burst, limit_.perMinute, now);
  auto refill = [&](Bucket& bucket) {
    if (now > bucket.at) {
      bucket.tokens = std::min(limit_.burst, bucket.tokens + (now - bucket.at) * limit_.perMinute / 60.0);
      bucket.at = now;
    }
  };
  std::lock_guard lock(mutex_);
  if (buckets_.size() > kSweepThreshold) {
    for (auto it = buckets_.begin(); it != buckets_.end();) {
      refill(it->second);
      it = it->second.tokens >= limit_.burst ? buckets_.erase(it) : std::next(it);
    }
  }
  auto [it, added] = buckets_.try_emplace(address, Bucket{limit_.burst, now});
  refill(it->second);
  if (it->second.tokens < 1) return false;
  it->second.tokens -= 1;
  return true;
}

}  // namespace vorenn::server
