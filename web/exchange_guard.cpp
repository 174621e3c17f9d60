#include "web/internal/exchange_guard.h"

#include <utility>

#include "web/internal/bound_calls.h"

namespace vorenn {
bool ExchangeGuard::PublishSession(HINTERNET session) {
  std::lock_guard lock(lock_);
  if (abandoned_) return false;
  session_ = session;
  return true;
}

void ExchangeGuard::WithdrawSession() {
  std::lock_guard lock(lock_);
  session_ = nullptr;
}

bool ExchangeGuard::Abandoned() const {
  std::lock_guard lock(lock_);
  return abandoned_;
}

void ExchangeGuard::Abandon() {
  HINTERNET session;
  {
    std::lock_guard lock(lock_);
    abandoned_ = true;
    session = std::exchange(session_, nullptr);
  }
  // Closing the session closes the connection and request under it, which wakes the worker out of
  // its transfer; the worker then finds its handles dead and finishes on its own.
  if (session != nullptr) bound::InternetCloseHandle(session);
}

void ExchangeGuard::Release() {
  if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

}  // namespace vorenn
