// Slows down password guessing: an account takes at most `maxAttempts` unsuccessful password
// checks (logins and password changes) per `windowSeconds`. Attempts are counted when they start, so
// a burst of parallel guesses cannot slip past the limit. The record lives in this process, or, with
// a storage that shares server state, in the database, so several servers count together.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "server/clock.h"
#include "server/storage.h"

namespace vorenn::server {

class LoginThrottle {
 public:
  explicit LoginThrottle(const Clock& clock, int maxAttempts = 5, int64_t windowSeconds = 60,
                         Storage* shared = nullptr)
      : clock_(clock), maxAttempts_(maxAttempts), windowSeconds_(windowSeconds), shared_(shared) {}

  // Counts an attempt for the account; false (and nothing counted) when the limit is reached.
  [[nodiscard]] bool TryBegin(std::string_view account);
  // The password was right: the account's count starts afresh.
  void Succeeded(std::string_view account);

 private:
  void ForgetOldLocked(std::deque<int64_t>& attempts, int64_t now) const;
  void PruneLocked(int64_t now);

  const Clock& clock_;
  const int maxAttempts_;
  const int64_t windowSeconds_;
  Storage* const shared_;
  std::mutex mutex_;
  std::unordered_map<std::string, std::deque<int64_t>> attempts_;
};

}  // namespace vorenn::server
