// A measurement hook for start-up benchmarks: when the environment variable
// VORENN_FIRST_WINDOW_PROBE names a file, the first frame of the first top-level window to be shown
// writes the monotonic clock (CLOCK_MONOTONIC, nanoseconds, one decimal line) to that file and ends
// the process at once with status 0, so the parent reads both the time to the first window and the
// peak resident memory up to it. Without the variable nothing is installed.
//
// It knows nothing of the engine, so a bare Qt program links it to be measured the same way.
#pragma once

namespace vorenn::platform {

inline constexpr char kFirstWindowProbeVariable[] = "VORENN_FIRST_WINDOW_PROBE";

// Call after the QApplication exists. Does nothing when the variable is unset or empty.
void InstallFirstWindowProbe();

}  // namespace vorenn::platform
