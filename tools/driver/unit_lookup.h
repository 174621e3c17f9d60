// How the driver finds the units of the loaded windows and their properties: by template name (a
// run-time copy by its source's name and its tag), in record order with copies after their source,
// and property names by unit type.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/templates/window_template.h"
#include "platform/native_window.h"

namespace vorenn::driver {

struct UnitAt {
  WindowInstance* instance = nullptr;
  UnitRecord* record = nullptr;
  uint32_t copyOf = 0;  // the source's unit id for a run-time copy, else 0

  uint32_t WindowId() const { return instance->windowId; }
  uint32_t UnitId() const { return record->id; }
  bool IsWindow() const { return record == &instance->records[0]; }
};

// The first unit (of the first loaded window that has one) whose name is `gbkName`; with a tag,
// the first of that name whose tag is `gbkTag`, copies included.
std::optional<UnitAt> FindUnitByName(std::string_view gbkName, const std::string* gbkTag = nullptr);

// Every unit of every loaded window: the window first, then its units in record order, each
// run-time copy directly after its source (and after the copies made before it).
std::vector<UnitAt> UnitsInDumpOrder();

// The native window of a unit, or kNoWindow when it has none.
platform::WindowHandle HandleOf(const UnitAt& unit);
// Visible together with every window it sits in.
bool IsShowing(platform::WindowHandle w);

// The English name of the unit's type ("window", "EditBox", ...), or "" when the type is unknown.
std::string TypeNameOf(const UnitAt& unit);
// The number of properties of the unit's type (0 when the type is unknown).
int PropertyCountOf(const UnitAt& unit);

// The index a property name stands for on a type: left, top, width, height, tag, visible and
// disabled on every type; caption, content, title, position, minimum, maximum and interval where
// the type has them. -1 otherwise.
int NamedPropertyIndex(std::string_view typeName, std::string_view property);
// The property holding the unit's text (caption, content or title), or -1 when it has none.
int TextPropertyIndex(std::string_view typeName);

}  // namespace vorenn::driver
