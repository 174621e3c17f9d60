// The date-time value: a double counting days since 1899-12-30 00:00:00; its whole part names the
// day and the fraction is the time of day (so -0.25 is 1899-12-29 18:00). Valid values lie from
// -657434.0 (100-01-01) to 2958465.0 (9999-12-31); seconds are whole.
#pragma once

#include <cstdint>

namespace vorenn {

constexpr double kMinDateTime = -657434.0;
constexpr double kMaxDateTime = 2958465.0;

struct DateTimeFields {
  int year = 100, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
  bool operator==(const DateTimeFields&) const = default;
};

// Limited to the valid range (NaN counts as the lower bound).
double ClampDateTime(double t);

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Pulls every field to its nearest calendar limit (year 100..9999, month 1..12, day 1..length of
// the month, hour 0..23, minute and second 0..59); true when any field changed.
bool ApplyCalendarLimits(DateTimeFields& fields);

// The fields of a date-time, after limiting it to the range; the time of day is rounded to the
// nearest second.
DateTimeFields FieldsOf(double t);
// The date-time of fields that lie within the calendar limits.
double DateTimeOf(const DateTimeFields& fields);
// 0 Sunday .. 6 Saturday.
int DayOfWeek(double t);

}  // namespace vorenn
