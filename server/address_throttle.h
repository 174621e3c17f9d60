// A token bucket per client address: each address may spend `burst` actions at once and earns
// them back at `perMinute`. Used for sign-ins, password changes and registrations, so one address
// cannot flood the password hashing or guess at many accounts. Addresses in `exempt` (load
// generators, a site's own gateway) are never limited. The record lives in this process, or, with a
// storage that shares server state, in the database under `kind`, so several servers count together.
#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>

#include "server/clock.h"
#include "server/storage.h"

namespace vorenn::server {

struct AddressLimit {
  double burst;
  double perMinute;
};

class AddressThrottle {
 public:
  AddressThrottle(const Clock& clock, AddressLimit limit, std::set<std::string> exempt = {},
                  Storage* shared = nullptr, std::string kind = "")
      : clock_(clock), limit_(limit), exempt_(std::move(exempt)), shared_(shared), kind_(std::move(kind)) {}

  // Takes one token of the address; false (nothing taken) when its bucket is empty.
  [[nodiscard]] bool TryTake(const std::string& address);

 private:
  struct Bucket {
    double tokens;
    int64_t at;
  };

  const Clock& clock_;
  const AddressLimit limit_;
  const std::set<std::string> exempt_;
  Storage* const shared_;
  const std::string kind_;
  std::mutex mutex_;
  std::unordered_map<std::string, Bucket> buckets_;
};

}  // namespace vorenn::server
