// Units made, re-made and removed after a window has loaded: re-creation in place when a property
// change needs a new native window, copies for CopyUnit, and removal for DestroyUnit.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/templates/window_template.h"

namespace vorenn {

// Re-creates the unit from its current data with events suppressed: same parent, position, style,
// z-order place, child windows and focus; the engine messages 0x806F and 0x8076 follow; the old
// window object is destroyed. Nothing happens when the type cannot create or give its data.
void RecreateUnit(WindowInstance& instance, uint32_t unitId);

// Copies are allowed for windowed unit types with create and get-data operations, the window
// itself excepted.
bool TypeAllowsCopies(uint32_t typeCode);
// A new unit of the source's type and properties on the same window: fresh unit id, same
// container, directly below the source in the z-order, the source's event bindings, recorded in
// the source's list of copies. Nothing (and no unit) when the source cannot be copied.
std::optional<uint32_t> CopyUnitOnWindow(WindowInstance& instance, uint32_t sourceId);
// Destroys the unit's window, removes its record and takes it out of its source's list of copies.
// The window's own record is never removed here.
void RemoveUnit(WindowInstance& instance, uint32_t unitId);

// The copies made of a unit that still exist, oldest first.
std::vector<uint32_t> CopiesOf(const WindowInstance& instance, uint32_t sourceId);
// Drops the copy lists of an instance that goes away.
void ForgetCopies(const WindowInstance* instance);

}  // namespace vorenn
