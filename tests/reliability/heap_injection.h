// The C++ heap of the test program, counted and made to fail on demand: this program replaces the
// global operator new and delete. A failing new throws std::bad_alloc, as the standard one does
// when memory runs out. Used where a module takes its memory from the C++ heap rather than from
// the engine's blocks (the JSON module).
#pragma once

#include <cstdint>

namespace vorenn::testing {

// The Nth operator new from now throws std::bad_alloc (0 turns failure injection off).
void FailHeapAllocationAfter(uint64_t n);
// True while a failure set by FailHeapAllocationAfter has not been reached yet.
bool HeapFailurePending();
// Allocations by operator new not yet deleted (all threads).
int64_t LiveHeapAllocations();

}  // namespace vorenn::testing
