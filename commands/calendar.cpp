#include "commands/calendar.h"

#include <algorithm>
#include <cmath>

namespace vorenn {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Days from 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = int(doy - (153 * mp + 2) / 5 + 1);
  month = int(mp < 10 ? mp + 3 : mp - 9);
  year = int(yoe + era * 400 + (month <= 2));
}

const int64_t kEpochDays = DaysFromCivil(1899, 12, 30);

bool Limit(int& field, int low, int high) {
  int limited = std::clamp(field, low, high);
  bool changed = limited != field;
  field = limited;
  return changed;
}

// Whole seconds since the epoch of a limited date-time.
int64_t SecondsOf(double t) { return std::llround(ClampDateTime(t) * double(kSecondsPerDay)); }

}  // namespace

double ClampDateTime(double t) {
  if (std::isnan(t) || t < kMinDateTime) return kMinDateTime;
  return t > kMaxDateTime ? kMaxDateTime : t;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[std::clamp(month, 1, 12) - 1];
}

bool ApplyCalendarLimits(DateTimeFields& f) {
  bool changed = Limit(f.year, 100, 9999);
  changed |= Limit(f.month, 1, 12);
  changed |= Limit(f.day, 1, DaysInMonth(f.year, f.month));
  changed |= Limit(f.hour, 0, 23);
  changed |= Limit(f.minute, 0, 59);
  changed |= Limit(f.second, 0, 59);
  return changed;
}

DateTimeFields FieldsOf(double t) {
  int64_t seconds = SecondsOf(t);
  int64_t days = FloorDiv(seconds, kSecondsPerDay);
  int64_t ofDay = seconds - days * kSecondsPerDay;
  DateTimeFields f;
  CivilFromDays(days + kEpochDays, f.year, f.month, f.day);
  f.hour = int(ofDay / 3600);
  f.minute = int(ofDay / 60 % 60);
  f.second = int(ofDay % 60);
  return f;
}

double DateTimeOf(const DateTimeFields& f) {
  int64_t days = DaysFromCivil(f.year, f.month, f.day) - kEpochDays;
  int64_t ofDay = int64_t(f.hour) * 3600 + f.minute * 60 + f.second;
  return double(days) + double(ofDay) / double(kSecondsPerDay);
}

int DayOfWeek(double t) {
  int64_t days = FloorDiv(SecondsOf(t), kSecondsPerDay);
  // The epoch, 1899-12-30, was a Saturday.
  return int(((days + 6) % 7 + 7) % 7);
}

}  // namespace vorenn
