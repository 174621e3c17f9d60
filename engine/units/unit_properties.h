// ReadProperty and WriteProperty: the services through which the game reads and writes unit
// properties by index (0-7 common, handled here; 8 and above the unit's own, through its get- and
// set-property operations, converted by the property's kind).
//
// Failures are runtime errors: a window that is not loaded ("未载入欲访问窗口组件所在的窗口"), a unit
// id not in the window's list ("欲访问的窗口组件不存在"), an own property of a unit without live
// window ("指定窗口尚未载入"), a property index or font component beyond the type's table (runtime
// error 1). Unit id 0 names the window itself, as its own record id does. Once the program is
// ending (the window has been closed and the quit message waits for the loop), reads of its units
// give zero (the empty text) and writes do nothing; a window that was never loaded stays an error.
#pragma once

#include <cstdint>

#include "engine/core/property_value.h"
#include "engine/templates/window_template.h"

namespace vorenn {

PropertyValue ReadUnitProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t arrayIndex);
void WriteUnitProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t arrayIndex, uint32_t low,
                       uint32_t high);

// Geometry values are kept within these bounds.
constexpr int32_t kMaxCoordinate = 32627;

struct UnitPlace {
  WindowInstance* instance = nullptr;
  UnitRecord* record = nullptr;
  size_t index = 0;
};
// The instance and record a reference names, or the runtime errors above. Never returns empty.
UnitPlace FindUnitOrFail(uint32_t windowId, uint32_t unitId);
// The window object of a loaded unit, or null when the window or the unit is not loaded (no
// runtime error): how code above the contract reaches a unit it has a reference to.
UnitWindow* FindUnitWindow(uint32_t windowId, uint32_t unitId);
// The record has a window object whose native window still exists.
bool HasLiveWindow(const UnitRecord& record);
// Left, top, width, height: of the live window (in its parent's client coordinates; a window's
// frame on the screen), else as stored in the record.
platform::Rect UnitRect(const UnitRecord& record);
// Stores the rectangle (clamped) in the record and moves the live window to it.
void SetUnitRect(UnitRecord& record, platform::Rect rect);

// New engine blocks: a text (null for the empty text) and a bytes value (null when empty).
void* NewTextBlock(const std::string& text);
void* NewBytesBlock(const std::vector<uint8_t>& bytes);
std::string TextOfBlock(const void* block);
std::vector<uint8_t> BytesOfBlock(const void* block);

}  // namespace vorenn
