// The engine functions behind the core library's window commands. The command table entries
// (commands/window_command_entries.cpp) unpack their arguments and call these.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "engine/core/runtime_value.h"

namespace vorenn {

// Creates the window from its template and shows it, owned by `parent` when given (nothing is
// loaded when the parent is not a loaded window), as a modal dialog when `modal`. True when loaded.
bool LoadWindow(UnitRef window, std::optional<UnitRef> parent, bool modal);

// Adds, replaces or removes the window's notification-area icon. `icon` holds icon-file data (empty:
// no icon); `tip` is cut to 62 bytes.
void SetTrayIcon(UnitRef window, std::span<const uint8_t> icon, std::string_view tip);

// The unit whose event is being dispatched, with its unit type's type word. Outside the dispatch of
// an event it is a fatal runtime error.
RuntimeValue GetEventUnit();

// A modal message box without owner; the task-modal flag is added unless the style is system-modal.
// The pressed button: OK 0, Cancel 1, Abort 2, Retry 3, Ignore 4, Yes 5, No 6. While the program is
// ending no box is shown: the answer is Cancel, else No, else the first button, as if the box had
// been closed at once.
int32_t ShowMessageBox(std::string_view message, int32_t style, std::string_view caption);

// Moves or resizes the unit; omitted edges are kept, a width or height of -1 keeps the size.
void MoveUnit(UnitRef unit, std::optional<int32_t> left, std::optional<int32_t> top, std::optional<int32_t> width,
              std::optional<int32_t> height);

// Keyboard focus to the unit's window.
void FocusUnit(UnitRef unit);

// A new copy of the source unit on the same window, stored into *target. False (target unchanged)
// unless both are units of the same copyable windowed type.
bool CopyUnit(uint32_t sourceType, UnitRef source, uint32_t targetType, UnitRef* target);

// Destroys a copied unit, or closes a window (at once when `closeNow`, else by a posted message).
void DestroyUnit(UnitRef unitOrWindow, bool closeNow);

// Dispatches the window messages waiting in the queue, leaving a quit message in place.
void ProcessEvents();

// The program is ending: the quit message (posted when its last window went) waits for the message
// loop, which ends as soon as control returns to it. Handlers still running then (one that waited
// for a web request) have nothing left to show.
bool ProgramEnding();

}  // namespace vorenn
