// Date-time commands over the value of commands/calendar.h. Every command limits the date-times
// it takes to the valid range first, and the unit to 1..8.
#pragma once

#include <cstdint>
#include <string_view>

#include "commands/calendar.h"

namespace vorenn {

enum TimeUnit : int32_t {
  kUnitYear = 1,
  kUnitQuarter = 2,
  kUnitMonth = 3,
  kUnitWeek = 4,
  kUnitDay = 5,
  kUnitHour = 6,
  kUnitMinute = 7,
  kUnitSecond = 8,
};

// The local time from the platform clock, whole seconds.
double CurrentTime();

// Reads "Y-M-D h:m:s" and its variants: fields of digits (year up to 4, the others up to 2), each
// followed by an optional separator ("-", ".", "/", ":" or the field's own mark 年 月 日 时 分; a
// space also after the day), ending at the end of the text or at "秒". Full-width characters count
// as their half-width forms. Anything else, or a field outside its calendar limit, gives
// kMinDateTime. The result is limited to the valid range.
double ToDateTime(std::string_view text);

// Calendar arithmetic: years, quarters and months keep the time of day and pull the day back to the
// end of a shorter month; weeks, days, hours, minutes and seconds add exact spans. The result is
// limited to the valid range.
double AddTime(double t, int32_t unit, int32_t amount);

// t1 minus t2 in the unit: whole years, quarters and months by the calendar fields; days with the
// fraction; weeks by the days and the days of the week; hours, minutes and seconds truncated toward
// zero after a guard against representation error.
double TimeInterval(double t1, double t2, int32_t unit);

}  // namespace vorenn
