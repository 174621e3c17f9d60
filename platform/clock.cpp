#include "platform/clock.h"

#include <chrono>
#include <ctime>

#include "platform/internal/local_time.h"

namespace vorenn::platform {
namespace {

LocalTime SystemLocalNow() {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm = LocalCalendarTime(t);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, int(ms)};
}

uint64_t SystemMonotonicMs() {
  return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count());
}

const ClockSource kSystemClock{SystemLocalNow, SystemMonotonicMs};
const ClockSource* g_source = &kSystemClock;

}  // namespace

LocalTime LocalNow() { return g_source->localNow(); }
uint64_t MonotonicMs() { return g_source->monotonicMs(); }
void SetClockSource(const ClockSource* source) { g_source = source != nullptr ? source : &kSystemClock; }

}  // namespace vorenn::platform
