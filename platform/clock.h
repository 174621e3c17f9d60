// The clock as the engine sees it. The headless backend replaces it with a virtual clock that a test
// or script advances; the qt backend reads the system's local time.
#pragma once

#include <cstdint>

namespace vorenn::platform {

struct LocalTime {
  int year, month, day;            // month 1..12, day 1..31
  int hour, minute, second, millisecond;
};

// The local wall-clock time now.
LocalTime LocalNow();
// Milliseconds on a monotonic clock (virtual on the headless backend).
uint64_t MonotonicMs();

// A clock source; a backend installs its own at start-up. Null restores the system clock.
struct ClockSource {
  LocalTime (*localNow)();
  uint64_t (*monotonicMs)();
};
void SetClockSource(const ClockSource* source);

}  // namespace vorenn::platform
