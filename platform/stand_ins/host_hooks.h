// What the program hands a stand-in when it loads it: the host's threads and its message-aware
// wait, so that the stand-in's exports work on whichever backend is running. A stand-in that
// exports VORENN_STAND_IN_ATTACH_SYMBOL receives the table once, right after it is loaded, before
// any of its functions is bound.
#pragma once

#include <cstdint>

extern "C" {

struct VorennHostHooks {
  // Thread handles are opaque; the host validates every handle it is given.
  void* (*startThread)(uint32_t (*routine)(void*), void* parameter, uint32_t* threadId);
  // Returns 0..count-1 (ended thread), count (input waiting), 258 (time-out), 0xFFFFFFFF (failed).
  uint32_t (*waitForThreadsOrInput)(uint32_t count, void* const* handles, int waitAll,
                                    uint32_t milliseconds, uint32_t wakeMask);
  int (*terminateThread)(void* handle, uint32_t exitCode);
  int (*closeHandle)(void* handle);
};

using StandInAttachFn = void (*)(const VorennHostHooks* hooks);
#define VORENN_STAND_IN_ATTACH_SYMBOL "vorenn_stand_in_attach"

}
