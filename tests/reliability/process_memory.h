// How much memory the test process holds: the kernel's view (resident now and at peak) and the
// heap's own count of bytes handed out and not yet freed.
#pragma once

#include <cstdint>
#include <string>

namespace vorenn::testing {

struct MemorySample {
  int64_t residentKiB = -1;      // VmRSS
  int64_t peakResidentKiB = -1;  // VmHWM
  int64_t heapInUseBytes = -1;   // allocated and not freed (all arenas, mapped chunks included); -1 unknown
  int64_t engineBlocks = 0;      // the engine's memory-service blocks not yet freed
};

MemorySample SampleMemory();
std::string Describe(const MemorySample& sample);

// Seconds of real (monotonic) time since an arbitrary start.
double RealSeconds();

// True where the heap's count means something (not under a sanitizer's own allocator).
bool HeapCountIsReliable();

}  // namespace vorenn::testing
