#include "commands/datetime_commands.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>

#include "commands/conversion_commands.h"
#include "platform/clock.h"

namespace vorenn {
namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Half a second in days. Date-times hold whole seconds, so adding it to a difference before
// truncating absorbs the representation error of the difference, which grows with the distance
// from the epoch.
constexpr double kIntervalGuard = 5.787037037037037e-06;

int32_t LimitUnit(int32_t unit) { return std::clamp<int32_t>(unit, kUnitYear, kUnitSecond); }

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Reads the date-time fields in order; each is a run of digits, then one optional separator.
class FieldReader {
 public:
  explicit FieldReader(std::string_view text) : text_(text) {}

  int Digits(int maxDigits) {
    int value = 0;
    for (int k = 0; k < maxDigits && at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9'; ++k) {
      value = value * 10 + (text_[at_++] - '0');
    }
    return value;
  }

  bool Skip(std::string_view token) {
    if (text_.substr(at_).starts_with(token)) {
      at_ += token.size();
      return true;
    }
    return false;
  }

  void SkipSeparator(std::string_view ownMark, bool spaceToo = false) {
    if (spaceToo && Skip(" ")) return;
    for (std::string_view sep : {"-", ".", "/", ":"}) {
      if (Skip(sep)) return;
    }
    Skip(ownMark);
  }

  bool AtEnd() const { return at_ >= text_.size(); }

 private:
  std::string_view text_;
  size_t at_ = 0;
};

double FromSeconds(int64_t seconds) {
  int64_t days = FloorDiv(seconds, kSecondsPerDay);
  return ClampDateTime(double(days) + double(seconds - days * kSecondsPerDay) / double(kSecondsPerDay));
}

double AddMonths(double t, int64_t months) {
  DateTimeFields f = FieldsOf(t);
  int64_t total = int64_t(f.year) * 12 + (f.month - 1) + months;
  int64_t year = FloorDiv(total, 12);
  f.month = int(total - year * 12) + 1;
  f.year = int(std::clamp<int64_t>(year, 100, 9999));
  ApplyCalendarLimits(f);
  return ClampDateTime(DateTimeOf(f));  // 9999-12-31 with a time of day lies past the range
}

}  // namespace

double CurrentTime() {
  platform::LocalTime now = platform::LocalNow();
  DateTimeFields f{now.year, now.month, now.day, now.hour, now.minute, now.second};
  ApplyCalendarLimits(f);
  return ClampDateTime(DateTimeOf(f));  // 9999-12-31 with a time of day lies past the range
}

double ToDateTime(std::string_view text) {
  if (text.empty()) return kMinDateTime;
  std::string half = FullWidthToHalfWidth(text);
  FieldReader r(half);
  DateTimeFields f;
  f.year = r.Digits(4);
  r.SkipSeparator("年");
  f.month = r.Digits(2);
  r.SkipSeparator("月");
  f.day = r.Digits(2);
  r.SkipSeparator("日", /*spaceToo=*/true);
  f.hour = r.Digits(2);
  r.SkipSeparator("时");
  f.minute = r.Digits(2);
  r.SkipSeparator("分");
  f.second = r.Digits(2);
  if (!r.AtEnd() && !r.Skip("秒")) return kMinDateTime;
  DateTimeFields limited = f;
  if (ApplyCalendarLimits(limited)) return kMinDateTime;
  // A time of day on the last day lies past the range, which ends at that day's midnight.
  return ClampDateTime(DateTimeOf(f));
}

double AddTime(double t, int32_t unit, int32_t amount) {
  t = ClampDateTime(t);
  unit = LimitUnit(unit);
  if (amount == 0) return t;
  switch (unit) {
    case kUnitYear: return AddMonths(t, int64_t(amount) * 12);
    case kUnitQuarter: return AddMonths(t, int64_t(amount) * 3);
    case kUnitMonth: return AddMonths(t, amount);
    default: break;
  }
  static constexpr int64_t kSpan[] = {7 * kSecondsPerDay, kSecondsPerDay, 3600, 60, 1};
  int64_t seconds = std::llround(t * double(kSecondsPerDay));
  return FromSeconds(seconds + int64_t(amount) * kSpan[unit - kUnitWeek]);
}

double TimeInterval(double t1, double t2, int32_t unit) {
  t1 = ClampDateTime(t1);
  t2 = ClampDateTime(t2);
  unit = LimitUnit(unit);
  if (t1 == t2) return 0.0;
  if (unit <= kUnitMonth) {
    DateTimeFields a = FieldsOf(t1), b = FieldsOf(t2);
    int years = a.year - b.year;
    if (unit == kUnitYear) return years;
    if (unit == kUnitQuarter) return years * 4 + (a.month - 1) / 3 - (b.month - 1) / 3;
    return years * 12 + a.month - b.month;
  }
  double x = t1 - t2;
  switch (unit) {
    case kUnitWeek: {
      int64_t weeks = int64_t(std::trunc(x)) / 7;
      int d1 = DayOfWeek(t1), d2 = DayOfWeek(t2);
      if (t1 > t2 && d1 < d2) ++weeks;
      if (t1 < t2 && d2 < d1) --weeks;
      return double(weeks);
    }
    case kUnitDay: return x;
    default: break;
  }
  static constexpr double kPerDay[] = {24.0, 1440.0, 86400.0};
  // The guard goes away from zero so that t1 - t2 and t2 - t1 differ only in sign.
  return std::trunc((x + std::copysign(kIntervalGuard, x)) * kPerDay[unit - kUnitHour]);
}

}  // namespace vorenn
