// Allocation-failure injection: runs a flow in a forked child with the Nth allocation from a chosen
// point failing, for N = 1, 2, 3, ... until a run finishes without reaching the failure, and judges
// every run from outside: the exit status, the runtime-error report the child passed back through
// a pipe, and the faults the child found itself (leaked blocks, failed expectations).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vorenn::testing {

// Which allocator fails.
enum class Injector {
  EngineBlocks,   // AllocBlock/ReallocBlock: the failure ends the program with the runtime-error report
  NumberRecords,  // the numeric library's records: the command answers zero and the program goes on
  CxxHeap,        // operator new (heap_injection.h): std::bad_alloc, which the flow catches at its top
};

// Where a flow's injection starts and ends: everything before Arm is set-up that is not swept;
// Disarm, where the flow stops expecting failures (the harness disarms at the flow's end anyway).
class InjectionPoint {
 public:
  virtual void Arm() = 0;
  virtual void Disarm() = 0;

 protected:
  ~InjectionPoint() = default;
};

// A flow runs inside the child. It arms the injection once and answers an empty text, or what it
// found wrong.
using InjectedFlow = std::function<std::string(InjectionPoint& injection)>;

struct RunOutcome {
  enum class Kind {
    Finished,  // the flow returned and the child exited 0
    Reported,  // exit code -1 after exactly the allocation-failure report
    Crashed,   // ended by a signal
    TimedOut,  // killed after the time limit
    Broken,    // any other ending: another report, another exit code, no report at all
  };
  Kind kind = Kind::Broken;
  bool injectionReached = false;  // Finished: the Nth allocation was asked for
  std::string detail;             // the report text, the child's faults, the signal or exit code
};

// One run with the Nth allocation failing (0: none). The child is killed after `timeoutMs`.
RunOutcome RunInjected(const InjectedFlow& flow, Injector injector, uint64_t n, int timeoutMs);

struct SweepLimits {
  uint64_t stride = 1;      // N = 1, 1 + stride, 1 + 2 stride, ...
  uint64_t maxRuns = 0;     // 0: no cap
  int timeoutMs = 30000;    // per run
  size_t maxFaults = 5;     // stop early once this many runs went wrong
};

struct SweepResult {
  uint64_t lastFailingN = 0;  // the largest N whose injected failure was reached
  uint64_t runs = 0;
  bool completed = false;     // a run finished without reaching its failure
  double seconds = 0;
  std::vector<std::string> faults;  // one line per run that went wrong
};

// Sweeps N upward. With EngineBlocks every run below the end must be Reported; with NumberRecords
// and CxxHeap every run must be Finished. Either way the flow's own faults count.
SweepResult Sweep(const InjectedFlow& flow, Injector injector, const SweepLimits& limits);

// A number from the environment, or `fallback` when unset or not a number.
uint64_t EnvNumber(const char* name, uint64_t fallback);

// Inside the child: where to find the folder the parent removes after the run, whatever way the
// run ended (the child's own clean-up at exit is skipped when the program ends itself). Asked at
// the end of the run; an empty answer means none.
void RemoveAfterRun(std::string (*folder)());

}  // namespace vorenn::testing
