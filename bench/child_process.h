// Running a program as a child for the client benchmarks: its start time taken just before the
// spawn, its exit status and its resource use (peak resident memory, CPU time) from the kernel.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace vorenn::bench {

long long MonotonicNs();

struct ChildRun {
  long long startNs = 0;    // CLOCK_MONOTONIC just before the spawn
  long long endNs = 0;      // CLOCK_MONOTONIC when the end was seen
  int exitStatus = -1;      // the exit code; -1 when it did not exit normally or was killed
  bool timedOut = false;
  rusage usage{};           // the child's own, from wait4
};

// Runs `argv` (argv[0] a path, not searched) with the current environment plus `extraEnv`
// ("NAME=VALUE"), its standard output and error sent to `outputPath` (or /dev/null when empty),
// and waits for it at most `timeoutMs`; a child still running then is killed. Empty when the
// program could not be started.
std::optional<ChildRun> RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                                 const std::string& outputPath, int timeoutMs);

// The middle value (mean of the two middle ones for an even count); 0 for none.
double Median(std::vector<double> values);

}  // namespace vorenn::bench
