#include "commands/datetime_commands.h"

#include <gtest/gtest.h>


#include "commands/calendar.h"
#include "platform/clock.h"

namespace vorenn {
namespace {

double At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return DateTimeOf({y, mo, d, h, mi, s}); }

TEST(ToDateTime, AcceptedForms) {
  struct Case {
    const char* text;
    double expected;
  };
  const double full = At(2014, 9, 24, 10, 5, 3);
  const Case cases[] = {
      {"2014-09-24 10:05:03", full},
      {"2014/9/24", At(2014, 9, 24)},
      {"2014.9.24", At(2014, 9, 24)},
      {"2014年9月24日10时5分3秒", full},
      {"2014年9月24日", At(2014, 9, 24)},
      {"2014-9-24-10-5-3", full},
      {"2014:9:24:10:5", At(2014, 9, 24, 10, 5)},
      {"20140924", At(2014, 9, 24)},
      {"\xA3\xB2\xA3\xB0\xA3\xB1\xA3\xB4-9-24", At(2014, 9, 24)},  // full-width digits
      {"2012-02-29 23:59:59", At(2012, 2, 29, 23, 59, 59)},
      {"2014-09-24 10:05:03秒", full},
      {"9999-12-31 23:59:59", kMaxDateTime},
  };
  for (const auto& c : cases) EXPECT_EQ(ToDateTime(c.text), c.expected) << c.text;
}

TEST(ToDateTime, FailuresGiveTheFirstDay) {
  const char* failures[] = {
      "",  "2014-02-30", "2014-13-01", "2013-02-29", "10:05:03", "2014-09-24x", "2014-09-24 24:00",
      "2014-09-24 10:60", "0099-01-01", "2014", "2014-09", "2014-09-24  10:05", "abc", "2014--09-24",
  };
  for (const char* text : failures) EXPECT_EQ(ToDateTime(text), kMinDateTime) << text;
}

TEST(AddTime, CalendarUnitsPullToTheMonthEnd) {
  struct Case {
    double t;
    int32_t unit, amount;
    double expected;
  };
  const Case cases[] = {
      {At(2014, 1, 31, 8, 30), kUnitMonth, 1, At(2014, 2, 28, 8, 30)},
      {At(2012, 2, 29), kUnitYear, 1, At(2013, 2, 28)},
      {At(2012, 2, 29), kUnitYear, 4, At(2016, 2, 29)},
      {At(2014, 11, 30), kUnitQuarter, 1, At(2015, 2, 28)},
      {At(2014, 1, 15), kUnitMonth, -1, At(2013, 12, 15)},
      {At(2014, 1, 15), kUnitMonth, -25, At(2011, 12, 15)},
      {At(2014, 1, 15), kUnitMonth, 24, At(2016, 1, 15)},
      {At(2014, 1, 15), kUnitWeek, 2, At(2014, 1, 29)},
      {At(2014, 1, 15), kUnitDay, -15, At(2013, 12, 31)},
      {At(2014, 1, 15, 23), kUnitHour, 2, At(2014, 1, 16, 1)},
      {At(2014, 1, 15), kUnitMinute, -1, At(2014, 1, 14, 23, 59)},
      {At(2014, 1, 15), kUnitSecond, 86400 * 3 + 1, At(2014, 1, 18, 0, 0, 1)},
      {At(2014, 1, 15), 99, 1, At(2014, 1, 15, 0, 0, 1)},  // units above 8 count as seconds
      {At(2014, 1, 15), -3, 1, At(2015, 1, 15)},           // units below 1 count as years
      {At(9999, 12, 31), kUnitDay, 1, kMaxDateTime},
      {At(9998, 6, 1), kUnitYear, 100000, At(9999, 6, 1)},
      {At(9998, 12, 31, 12), kUnitYear, 1, kMaxDateTime},
      {5e9, kUnitDay, 0, kMaxDateTime},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AddTime(c.t, c.unit, c.amount), c.expected) << c.t << " unit " << c.unit << " by " << c.amount;
  }
}

TEST(AddTime, MinusOneDayInSecondsEqualsMinusOneDay) {
  for (double t : {At(2014, 9, 24, 10, 5, 3), At(1900, 3, 1), At(1899, 12, 30, 12), At(1800, 1, 1, 6)}) {
    EXPECT_EQ(AddTime(t, kUnitSecond, -86400), AddTime(t, kUnitDay, -1)) << t;
    EXPECT_EQ(FieldsOf(AddTime(t, kUnitSecond, -86400)).hour, FieldsOf(t).hour);
  }
}

TEST(TimeInterval, SignsAndUnits) {
  const double day = At(2014, 9, 24);
  struct Case {
    double t1, t2;
    int32_t unit;
    double expected;
  };
  const Case cases[] = {
      {day + 10 / 86400.0, day, kUnitSecond, 10},
      {day, day + 10 / 86400.0, kUnitSecond, -10},
      {day + 10 / 86400.0, day, kUnitMinute, 0},
      {At(2014, 3, 1), At(2014, 2, 28), kUnitMonth, 1},
      {At(2014, 3, 1), At(2014, 2, 28), kUnitDay, 1.0},
      {At(2014, 3, 1, 12), At(2014, 2, 28), kUnitDay, 1.5},
      {At(2015, 1, 1), At(2014, 12, 31), kUnitYear, 1},
      {At(2015, 1, 1), At(2014, 12, 31), kUnitQuarter, 1},
      {At(2014, 6, 30), At(2014, 4, 1), kUnitQuarter, 0},
      {At(2014, 1, 1), At(2015, 12, 1), kUnitMonth, -23},
      {At(2014, 9, 24, 10), At(2014, 9, 24, 8, 0, 1), kUnitHour, 1},
      {At(2014, 9, 24, 8, 0, 1), At(2014, 9, 24, 10), kUnitHour, -1},
      {At(2014, 9, 24, 10, 30), At(2014, 9, 24, 10), kUnitMinute, 30},
      // 2014-09-27 is a Saturday, 2014-09-28 a Sunday: one week boundary lies between them.
      {At(2014, 9, 28), At(2014, 9, 27), kUnitWeek, 1},
      {At(2014, 9, 27), At(2014, 9, 28), kUnitWeek, -1},
      {At(2014, 9, 27), At(2014, 9, 21), kUnitWeek, 0},
      {At(2014, 10, 5), At(2014, 9, 21), kUnitWeek, 2},
      {day, day, kUnitSecond, 0},
      // Far from the epoch the difference of two doubles is inexact; whole seconds still come out.
      {At(9919, 12, 31, 23, 59, 59) + 1048576 / 86400.0, At(9919, 12, 31, 23, 59, 59), kUnitSecond, 1048576},
      {At(9919, 12, 31, 23, 59, 59), At(9919, 12, 31, 23, 59, 59) + 1048576 / 86400.0, kUnitSecond, -1048576},
      // Over the whole range the interval in seconds is exact, not wrapped to 32 bits.
      {kMaxDateTime, kMinDateTime, kUnitSecond, (kMaxDateTime - kMinDateTime) * 86400.0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TimeInterval(c.t1, c.t2, c.unit), c.expected) << c.t1 << " - " << c.t2 << " unit " << c.unit;
  }
}

TEST(CurrentTime, ComesFromThePlatformClock) {
  static const platform::ClockSource fixed{
      [] { return platform::LocalTime{2014, 9, 24, 10, 5, 3, 999}; }, [] { return uint64_t(0); }};
  platform::SetClockSource(&fixed);
  EXPECT_EQ(CurrentTime(), At(2014, 9, 24, 10, 5, 3));
  platform::SetClockSource(nullptr);
}

}  // namespace
}  // namespace vorenn
