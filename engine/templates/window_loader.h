// Loading a window from its template: a fresh instance of the records, the window and its units
// created through their types' create operations (engine/templates/window_template_units.h), containers,
// z-order, cursors, the engine notifications, the created/moved/resized events, showing, and the
// modal loop for modal windows.
//
// Order of a load (window id, new-instance flag, modal flag, parent):
//   1 no template: fail.  2 not a new instance and the window is open: restore it when minimized,
//   else activate it; succeed.  3 modal: the parent is ignored; otherwise a parent that is no
//   longer a window fails.  4 events suppressed.  5 the records copied into a new instance.
//   6 menu items are kept in the records; no menu is built.  7 the window from record 0 (owner =
//   parent).  8 units from the last record down to record 1, control ids 100, 110, ...; a type
//   that is not registered or a create operation that answers null fails the whole load, which
//   destroys what was made.  9 each unit into its container.  10 z-order: each unit directly below
//   the nearest earlier record with the same container, else at the top.  11 custom cursors.
//   12 kMessageUnitsCreated to every record from the last to the first, then
//   kMessageWindowCreated to the window.  13 units shown when their visible flag is set and their
//   type is not never-shown, hidden otherwise.  14 events flow again.  15 window events 0, 3, 4,
//   each only while the window still exists.  16 the window shown when its visible flag is set;
//   event -7 for the window or unit that then has the focus.  17 modal: every other enabled
//   loaded window disabled and remembered.  18 kMessageLoadFinished to every record from the last
//   to the first; if that moved the focus it goes back; the instance is marked loaded.
//   19 modal: the modal loop runs until the window closes.
#pragma once

#include <cstdint>
#include <span>

#include "engine/templates/window_template.h"
#include "platform/native_window.h"

namespace vorenn {

// What the loader needs from the runtime, which installs its own (engine/runtime/loader_host.h),
// wrapped by the unit contract's. Without one, a basic host is used: its own suppression counter,
// events dispatched straight to the bound handlers (no arguments), no cursors, a focus that only
// SetFocus changes, no modal loop.
class LoaderHost {
 public:
  virtual ~LoaderHost() = default;
  // Load begins / ends: no event handler runs in between (nested).
  virtual void BeginLoad() = 0;
  virtual void EndLoad() = 0;
  virtual bool IsWindow(platform::WindowHandle handle) = 0;
  // Raises an event without arguments (the window's own events, focus received).
  virtual void RaiseEvent(uint32_t windowId, uint32_t unitId, int32_t event) = 0;
  virtual platform::WindowHandle Focus() = 0;
  virtual void SetFocus(platform::WindowHandle handle) = 0;
  // A custom mouse cursor from cursor data; 0 when none can be made.
  virtual uintptr_t CreateCursor(std::span<const uint8_t> data) = 0;
  virtual void DestroyCursor(uintptr_t cursor) = 0;
  // Runs the modal message loop until the instance's window is closed.
  virtual void RunModalLoop(WindowInstance& instance) = 0;
};

// Null restores the basic host. The host must outlive its installation.
void SetLoaderHost(LoaderHost* host);
LoaderHost& CurrentLoaderHost();

// Loads a window from its template as above; true when the window was created (also when a
// handler of its load events closed it again), or when an open window was only brought forward.
bool LoadWindowFromTemplate(uint32_t windowId, bool newInstance, bool modal, platform::WindowHandle parent);

// A loaded window goes away: the windows it disabled as a modal window are enabled again, its
// custom cursors are destroyed, and the instance (with its live windows) is discarded. The
// template stays.
void UnloadWindowInstance(WindowInstance* instance);

}  // namespace vorenn
