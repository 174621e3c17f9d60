// Raising unit events and calling the game's handlers.
//
// Event record, built by the unit and completed by the engine:
//   offset  size  meaning
//   0       4     window id
//   4       4     unit id (the window's own record id for window events)
//   8       4     event number (negative: the events common to every unit)
//   12      4     argument count n (at most kMaxEventArguments)
//   16      16n   arguments: value low, value high, type word, flags word
//   ...     4     result given (1 when the handler answered)
//   ...     8     result, low word first
// Units raise an event with RaiseUnitEvent, or through the library callback (2008 without, 2031
// with the answer) with a pointer to the record as argument 1.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>

#include "engine/core/runtime_value.h"

namespace vorenn {

constexpr int kMaxEventArguments = 8;

struct EventArgument {
  uint32_t low = 0;
  uint32_t high = 0;
  uint32_t type = kTypeInt;
  uint32_t flags = 0;
};
static_assert(sizeof(EventArgument) == 16);

struct EventRecord {
  uint32_t windowId = 0;
  uint32_t unitId = 0;
  int32_t event = 0;
  uint32_t argumentCount = 0;
  EventArgument arguments[kMaxEventArguments];
  uint32_t resultGiven = 0;
  uint32_t resultLow = 0;
  uint32_t resultHigh = 0;
};

// What a handler that has no result returns. The game's handlers are routines without result
// unless they answer a common event; a logical false answer must be 0, not this.
constexpr uint64_t kNoAnswer = 0x8000000000000000ull;

// Dispatches the event: nothing while events are suppressed; runtime errors for a window or unit
// that is not loaded ("未找到引发事件的窗口", "未找到引发事件的窗口组件") or a type that cannot raise
// events ("引发事件的窗口组件无效"); follows the event owner; calls the bound handler with the
// arguments as 32-bit words (8-byte values as two, low first) while the event source is set.
// Returns true when a handler ran; with `wantResult`, the answer goes into the record.
bool DispatchEvent(EventRecord& record, bool wantResult);

// Convenience for units: integer arguments. The handler's answer, or nothing when no handler ran
// or it gave none.
std::optional<uint32_t> RaiseUnitEvent(uint32_t windowId, uint32_t unitId, int32_t event,
                                       std::initializer_list<int32_t> arguments = {});

// The unit whose event runs now: (window id, unit id); unit id 0 when none.
struct EventSource {
  uint32_t windowId = 0;
  uint32_t unitId = 0;
  uint32_t type = 0;
};
EventSource CurrentEventSource();

// The common events every unit raises from its native window's input, before the window's own
// handling sees it.
enum CommonEvent : int32_t {
  kEventLeftDown = -1, kEventLeftUp = -2, kEventLeftDoubleClick = -3, kEventRightDown = -4,
  kEventRightUp = -5, kEventMouseMove = -6, kEventFocusReceived = -7, kEventFocusLost = -8,
  kEventKeyDown = -9, kEventKeyUp = -10, kEventCharacter = -11, kEventWheel = -12,
};

}  // namespace vorenn
