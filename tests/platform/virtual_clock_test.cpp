#include <gtest/gtest.h>

#include <vector>

#include "platform/clock.h"
#include "platform/headless/headless_backend.h"

namespace vorenn::platform {
namespace {

struct ClockCase {
  LocalTime base;
  uint64_t advanceMs;
  LocalTime expected;
};

bool Same(const LocalTime& a, const LocalTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
         a.minute == b.minute && a.second == b.second && a.millisecond == b.millisecond;
}

TEST(VirtualClock, LocalTimeFollowsTheVirtualClockAcrossCalendarEdges) {
  const ClockCase cases[] = {
      {{2024, 1, 1, 8, 0, 0, 0}, 0, {2024, 1, 1, 8, 0, 0, 0}},
      {{2024, 1, 1, 8, 0, 0, 0}, 1500, {2024, 1, 1, 8, 0, 1, 500}},
      {{2023, 12, 31, 23, 59, 59, 999}, 1, {2024, 1, 1, 0, 0, 0, 0}},
      {{2024, 2, 28, 12, 0, 0, 0}, 86400000, {2024, 2, 29, 12, 0, 0, 0}},  // leap year
      {{2023, 2, 28, 12, 0, 0, 0}, 86400000, {2023, 3, 1, 12, 0, 0, 0}},
      {{2100, 2, 28, 0, 0, 0, 0}, 86400000, {2100, 3, 1, 0, 0, 0, 0}},    // century, not leap
      {{2000, 2, 28, 0, 0, 0, 0}, 86400000, {2000, 2, 29, 0, 0, 0, 0}},   // 400-year leap
      {{1899, 12, 30, 0, 0, 0, 0}, 3600000ull * 25, {1899, 12, 31, 1, 0, 0, 0}},
  };
  for (const ClockCase& c : cases) {
    HeadlessBackend& h = InstallHeadlessBackend();
    h.SetLocalTimeBase(c.base);
    h.AdvanceClock(c.advanceMs);
    LocalTime now = LocalNow();
    EXPECT_TRUE(Same(now, c.expected)) << c.base.year << "-" << c.base.month << "-" << c.base.day
                                       << " +" << c.advanceMs << " gave " << now.year << "-"
                                       << now.month << "-" << now.day << " " << now.hour << ":"
                                       << now.minute << ":" << now.second << "." << now.millisecond;
    EXPECT_EQ(MonotonicMs(), c.advanceMs);
  }
}

class TimerTest : public testing::Test {
 protected:
  void SetUp() override {
    h = &InstallHeadlessBackend();
    window = h->CreateNativeWindow(WindowSpec());
    h->SetEventSink(window, [this](const WindowEvent& e) {
      if (e.kind == EventKind::Timer) ticks.push_back({e.timerId, h->NowMs()});
      return EventAnswer{};
    });
  }
  struct Tick {
    int id;
    uint64_t at;
    bool operator==(const Tick&) const = default;
  };
  HeadlessBackend* h = nullptr;
  WindowHandle window = kNoWindow;
  std::vector<Tick> ticks;
};

TEST_F(TimerTest, RunForFiresEachPeriodAtItsDueTimeInOrder) {
  h->SetTimer(window, 1, 1000);
  h->SetTimer(window, 2, 400);
  EXPECT_TRUE(h->RunFor(2000));
  EXPECT_EQ(ticks, (std::vector<Tick>{{2, 400}, {2, 800}, {1, 1000}, {2, 1200}, {2, 1600},
                                      {1, 2000}, {2, 2000}}));
  EXPECT_EQ(h->NowMs(), 2000u);
}

TEST_F(TimerTest, AJumpOfSeveralPeriodsFiresOnceAndKilledTimersStop) {
  h->SetTimer(window, 1, 1000);
  h->AdvanceClock(5000);
  EXPECT_TRUE(h->MessageWaiting());
  int code = 0;
  h->DispatchMessages(false, &code, nullptr);
  EXPECT_EQ(ticks.size(), 1u);
  EXPECT_FALSE(h->MessageWaiting());
  h->KillTimer(window, 1);
  h->RunFor(10000);
  EXPECT_EQ(ticks.size(), 1u);
}

TEST_F(TimerTest, SettingATimerAgainRestartsItWithTheNewPeriod) {
  h->SetTimer(window, 1, 1000);
  h->RunFor(600);
  h->SetTimer(window, 1, 1000);
  h->RunFor(900);
  EXPECT_TRUE(ticks.empty());
  h->RunFor(100);
  EXPECT_EQ(ticks, (std::vector<Tick>{{1, 1600}}));
}

TEST_F(TimerTest, RunForStopsAtTheQuitMessage) {
  h->SetTimer(window, 1, 100);
  h->SetEventSink(window, [this](const WindowEvent& e) {
    if (e.kind == EventKind::Timer && h->NowMs() == 300) h->PostQuit(3);
    return EventAnswer{};
  });
  EXPECT_FALSE(h->RunFor(1000));
  EXPECT_EQ(h->NowMs(), 300u);
}

}  // namespace
}  // namespace vorenn::platform
