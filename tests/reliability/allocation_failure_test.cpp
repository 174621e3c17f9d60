// Every allocation of a flow is made to fail in turn, each in a forked child: the run must end in
// exactly the allocation-failure report or finish with nothing left allocated; never crash, hang
// or end some other way. Numeric-library records failing must leave the game running.
//
// Every N in the plain build. Under the sanitizers a run costs some 50 times more (each child ends
// with a leak check), so there every Kth N is run; the full sweeps there:
//   VORENN_INJECT_STRIDE=1 build-sanitize/bin/reliability_injection_tests
// (VORENN_INJECT_STRIDE sets the stride of all four sweeps.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "engine/core/memory.h"
#include "engine/core/runtime_error.h"
#include "tests/reliability/injected_flows.h"
#include "tests/reliability/injection_sweep.h"

namespace vorenn::testing {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

uint64_t Stride(uint64_t sanitized) { return EnvNumber("VORENN_INJECT_STRIDE", kSanitized ? sanitized : 1); }

std::string Describe(const SweepResult& result) {
  std::string text;
  for (const std::string& fault : result.faults) text += fault + "\n";
  return text;
}

void Print(const char* flow, const SweepResult& result, uint64_t stride) {
  std::printf("[ sweep    ] %s: %s%llu injection points%s, %llu runs, %.1f s\n", flow, stride == 1 ? "" : "at least ",
              static_cast<unsigned long long>(result.lastFailingN),
              stride == 1 ? "" : (" (every " + std::to_string(stride) + "th N)").c_str(),
              static_cast<unsigned long long>(result.runs), result.seconds);
}

void ExpectCleanSweep(const char* name, const InjectedFlow& flow, Injector injector, uint64_t stride) {
  SweepResult result = Sweep(flow, injector, SweepLimits{.stride = stride});
  Print(name, result, stride);
  EXPECT_TRUE(result.faults.empty()) << Describe(result);
  EXPECT_TRUE(result.completed) << "no run got through the flow";
  EXPECT_GT(result.lastFailingN, 0u) << "the flow never reached an injected failure";
}

// The harness itself: each kind of wrong ending is told apart from the two right ones.
TEST(InjectionHarness, TellsEachEndingApart) {
  struct Case {
    const char* name;
    InjectedFlow flow;
    uint64_t n;
    RunOutcome::Kind kind;
    bool reached;
  } cases[] = {
      {"failure reached", [](InjectionPoint& injection) { injection.Arm(); FreeBlock(AllocBlock(16)); return std::string(); }, 1,
       RunOutcome::Kind::Reported, true},
      {"failure not reached", [](InjectionPoint& injection) { injection.Arm(); FreeBlock(AllocBlock(16)); return std::string(); }, 2,
       RunOutcome::Kind::Finished, false},
      {"crash", [](InjectionPoint& injection) { injection.Arm(); std::abort(); return std::string(); }, 1,
       RunOutcome::Kind::Crashed, false},
      {"hang", [](InjectionPoint& injection) { injection.Arm(); pause(); return std::string(); }, 1, RunOutcome::Kind::TimedOut, false},
      {"another runtime error", [](InjectionPoint& injection) { injection.Arm(); RaiseRuntimeError(1); return std::string(); }, 1,
       RunOutcome::Kind::Broken, false},
      {"plain exit", [](InjectionPoint& injection) { injection.Arm(); _exit(3); return std::string(); }, 1, RunOutcome::Kind::Broken,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunOutcome outcome = RunInjected(c.flow, Injector::EngineBlocks, c.n, /*timeoutMs=*/1000);
    EXPECT_EQ(outcome.kind, c.kind) << outcome.detail;
    if (c.kind == RunOutcome::Kind::Finished) {
      EXPECT_EQ(outcome.injectionReached, c.reached);
    }
  }
}

TEST(InjectionHarness, ASweepReportsLeftBlocksAndStopsAtTheEnd) {
  InjectedFlow leaky = [](InjectionPoint& injection) {
    int64_t before = LiveBlockCount();
    injection.Arm();
    void* kept = AllocBlock(8);
    FreeBlock(AllocBlock(8));
    std::string fault = LiveBlockCount() == before ? "" : "a block left";
    FreeBlock(kept);  // after counting, so that only the count tells, not LeakSanitizer
    return fault;
  };
  SweepResult result = Sweep(leaky, Injector::EngineBlocks, SweepLimits{});
  EXPECT_EQ(result.lastFailingN, 2u);
  EXPECT_EQ(result.runs, 3u);
  EXPECT_TRUE(result.completed);
  ASSERT_EQ(result.faults.size(), 1u);
  EXPECT_NE(result.faults[0].find("a block left"), std::string::npos) << result.faults[0];
}

TEST(AllocationFailureInjection, JsonAnswers) {
  ExpectCleanSweep("JSON answers (C++ heap)", JsonAnswersFlow, Injector::CxxHeap, Stride(10));
}

TEST(AllocationFailureInjection, StartUp) {
  ExpectCleanSweep("start-up", StartUpFlow, Injector::EngineBlocks, Stride(1));
}

TEST(AllocationFailureInjection, LoginFlow) {
  ExpectCleanSweep("login flow", LoginFlow, Injector::EngineBlocks, Stride(25));
}

TEST(NumberRecordFailureInjection, LoginFlow) {
  ExpectCleanSweep("login flow, number records", LoginFlow, Injector::NumberRecords,
                   Stride(20));
}

}  // namespace
}  // namespace vorenn::testing
