// The calendar against the standard library's calendar as an independent reference. (Compiled
// without the GBK execution charset: <chrono> holds characters GBK lacks.)
#include "commands/calendar.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

namespace vorenn {
namespace {

TEST(Calendar, AgreesWithTheStandardCalendarOverTheWholeRange) {
  using namespace std::chrono;
  const auto epoch = sys_days(year(1899) / December / 30);
  // Every day of the range, each at a different time of day. The last day has no time after
  // midnight: anything later lies above the range and is pulled back to its first second.
  for (int serial = int(kMinDateTime); serial <= int(kMaxDateTime); ++serial) {
    int second = serial == int(kMaxDateTime) ? 0
                                             : int((int64_t(serial) * 7919 % 86400 + 86400) % 86400);
    year_month_day ymd{epoch + days(serial)};
    DateTimeFields f = FieldsOf(serial + second / 86400.0);
    ASSERT_EQ(f.year, int(ymd.year())) << "serial " << serial;
    ASSERT_EQ(f.month, int(unsigned(ymd.month()))) << "serial " << serial;
    ASSERT_EQ(f.day, int(unsigned(ymd.day()))) << "serial " << serial;
    ASSERT_EQ(f.hour * 3600 + f.minute * 60 + f.second, second) << "serial " << serial;
    ASSERT_EQ(DayOfWeek(serial), int(weekday(sys_days(ymd)).c_encoding())) << "serial " << serial;
    ASSERT_EQ(DateTimeOf(f), serial + second / 86400.0) << "serial " << serial;
  }
  EXPECT_EQ(FieldsOf(kMaxDateTime + 0.75), (DateTimeFields{9999, 12, 31, 0, 0, 0}));
  EXPECT_EQ(DateTimeOf({100, 1, 1, 0, 0, 0}), kMinDateTime);
  EXPECT_EQ(DateTimeOf({9999, 12, 31, 0, 0, 0}), kMaxDateTime);
  EXPECT_EQ(DateTimeOf({1899, 12, 29, 18, 0, 0}), -0.25);
}

TEST(Calendar, LimitsPullFieldsToTheNearestBound) {
  struct Case {
    DateTimeFields in, out;
    bool changed;
  };
  const Case cases[] = {
      {{2014, 2, 30, 0, 0, 0}, {2014, 2, 28, 0, 0, 0}, true},
      {{2000, 2, 30, 0, 0, 0}, {2000, 2, 29, 0, 0, 0}, true},
      {{1900, 2, 29, 0, 0, 0}, {1900, 2, 28, 0, 0, 0}, true},
      {{99, 13, 0, 24, 60, -1}, {100, 12, 1, 23, 59, 0}, true},
      {{2014, 9, 24, 10, 5, 3}, {2014, 9, 24, 10, 5, 3}, false},
  };
  for (const auto& c : cases) {
    DateTimeFields f = c.in;
    EXPECT_EQ(ApplyCalendarLimits(f), c.changed);
    EXPECT_EQ(f, c.out);
  }
  EXPECT_EQ(ClampDateTime(0.0 / 0.0), kMinDateTime);
  EXPECT_EQ(ClampDateTime(1e300), kMaxDateTime);
}

}  // namespace
}  // namespace vorenn
