// The headless virtual clock: monotonic milliseconds, the local time derived from them, and the
// window timers that run on it.
#include <limits>

#include "platform/headless/headless_backend.h"

namespace vorenn::platform {
namespace {

HeadlessBackend* g_clockOwner = nullptr;

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = unsigned(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + int64_t(doe) - 719468;
}

void CivilFromDays(int64_t z, int* y, int* m, int* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = unsigned(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = int(doy - (153 * mp + 2) / 5 + 1);
  *m = int(mp < 10 ? mp + 3 : mp - 9);
  *y = int(int64_t(yoe) + era * 400 + (*m <= 2));
}

LocalTime VirtualLocalNow() { return g_clockOwner ? g_clockOwner->LocalNowVirtual() : LocalTime{}; }
uint64_t VirtualMonotonicMs() { return g_clockOwner ? g_clockOwner->NowMs() : 0; }

}  // namespace

HeadlessBackend::HeadlessBackend() {
  clockSource_ = ClockSource{VirtualLocalNow, VirtualMonotonicMs};
  g_clockOwner = this;
  SetClockSource(&clockSource_);
}

HeadlessBackend::~HeadlessBackend() {
  if (g_clockOwner == this) {
    g_clockOwner = nullptr;
    SetClockSource(nullptr);
  }
}

uint64_t HeadlessBackend::NowMs() const { return nowMs_; }

void HeadlessBackend::SetLocalTimeBase(const LocalTime& base) { base_ = base; }

LocalTime HeadlessBackend::LocalNowVirtual() const {
  int64_t baseMs = (DaysFromCivil(base_.year, unsigned(base_.month), unsigned(base_.day)) * 86400 +
                    base_.hour * 3600 + base_.minute * 60 + base_.second) *
                       1000 +
                   base_.millisecond;
  int64_t t = baseMs + int64_t(nowMs_);
  int64_t days = t >= 0 ? t / 86400000 : (t - 86399999) / 86400000;
  int64_t msOfDay = t - days * 86400000;
  LocalTime lt{};
  CivilFromDays(days, &lt.year, &lt.month, &lt.day);
  lt.hour = int(msOfDay / 3600000);
  lt.minute = int(msOfDay / 60000 % 60);
  lt.second = int(msOfDay / 1000 % 60);
  lt.millisecond = int(msOfDay % 1000);
  return lt;
}

void HeadlessBackend::SetTimer(WindowHandle w, int timerId, uint32_t periodMs) {
  if (!IsWindow(w)) return;
  // A zero period would make the timer due on every dispatch; native timers round it up too.
  uint32_t period = periodMs == 0 ? 1 : periodMs;
  timers_[{w, timerId}] = TimerRecord{period, nowMs_ + period, timerOrder_++};
}

void HeadlessBackend::KillTimer(WindowHandle w, int timerId) { timers_.erase({w, timerId}); }

bool HeadlessBackend::HasTimer(WindowHandle w, int timerId) const {
  return timers_.count({w, timerId}) != 0;
}

void HeadlessBackend::AdvanceClock(uint64_t ms) { nowMs_ += ms; }

std::optional<uint64_t> HeadlessBackend::NextTimerDue() const {
  std::optional<uint64_t> next;
  for (const auto& [key, t] : timers_)
    if (!next || t.dueMs < *next) next = t.dueMs;
  return next;
}

std::optional<WindowEvent> HeadlessBackend::TakeDueTimer() {
  auto best = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->second.dueMs > nowMs_) continue;
    if (best == timers_.end() || it->second.dueMs < best->second.dueMs ||
        (it->second.dueMs == best->second.dueMs && it->second.order < best->second.order))
      best = it;
  }
  if (best == timers_.end()) return std::nullopt;
  best->second.dueMs = nowMs_ + best->second.periodMs;
  WindowEvent e;
  e.kind = EventKind::Timer;
  e.window = best->first.first;
  e.timerId = best->first.second;
  return e;
}

bool HeadlessBackend::RunFor(uint64_t ms) {
  const uint64_t end = nowMs_ + ms;
  int code = 0;
  bool input = false;
  for (;;) {
    if (!DispatchMessages(false, &code, &input)) return false;
    std::optional<uint64_t> next = NextTimerDue();
    if (!next || *next > end) break;
    nowMs_ = std::max(nowMs_, *next);
  }
  nowMs_ = end;
  return DispatchMessages(false, &code, &input);
}

}  // namespace vorenn::platform
