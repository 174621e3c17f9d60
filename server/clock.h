// Where the server's idea of "now" comes from. Every game rule that depends on time (accrual, token
// expiry, login throttling) reads this clock, so tests can drive time by hand.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace vorenn::server {

class Clock {
 public:
  virtual ~Clock() = default;
  // Whole seconds since 1970-01-01 00:00:00 UTC.
  virtual int64_t NowSeconds() const = 0;
};

class SystemClock final : public Clock {
 public:
  int64_t NowSeconds() const override;
};

// A clock that only moves when told to; safe to read and advance from several threads.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(int64_t start) : now_(start) {}
  int64_t NowSeconds() const override { return now_.load(); }
  void Advance(int64_t seconds) { now_ += seconds; }
  void Set(int64_t seconds) { now_ = seconds; }

 private:
  std::atomic<int64_t> now_;
};

// "YYYY-MM-DD HH:MM:SS" in UTC; the form in which "now" and "regdate" travel.
std::string FormatTimestamp(int64_t seconds);

}  // namespace vorenn::server
