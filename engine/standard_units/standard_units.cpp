#include "engine/standard_units/standard_units.h"

#include <array>

#include "engine/core/runtime_value.h"
#include "engine/standard_units/button_unit.h"
#include "engine/standard_units/draw_panel_unit.h"
#include "engine/standard_units/edit_box_unit.h"
#include "engine/standard_units/group_box_unit.h"
#include "engine/standard_units/label_unit.h"
#include "engine/standard_units/timer_unit.h"
#include "engine/standard_units/vscroll_bar_unit.h"
#include "engine/standard_units/window_unit.h"

namespace vorenn {
namespace {

constexpr size_t kCoreTypeCount = TypeIndexOf(kTypeTimer);

// Types of the core library that are not units here (the menu item among them) stay empty.
std::array<TypeDescriptor, kCoreTypeCount> BuildTable() {
  std::array<TypeDescriptor, kCoreTypeCount> table{};
  for (TypeDescriptor& t : table) t = TypeDescriptor{"", "", "", 0, nullptr, 0, 0, 0, nullptr, 0, nullptr, nullptr, 0, nullptr};
  auto place = [&](uint32_t code, const TypeDescriptor& type) { table[TypeIndexOf(code) - 1] = type; };
  place(kTypeWindow, WindowUnitType());
  place(kTypeEditBox, EditBoxUnitType());
  place(kTypeDrawPanel, DrawPanelUnitType());
  place(kTypeGroupBox, GroupBoxUnitType());
  place(kTypeLabel, LabelUnitType());
  place(kTypeButton, ButtonUnitType());
  place(kTypeVScrollBar, VScrollBarUnitType());
  place(kTypeTimer, TimerUnitType());
  return table;
}

}  // namespace

std::span<const TypeDescriptor> StandardUnitTypes() {
  static const std::array<TypeDescriptor, kCoreTypeCount> table = BuildTable();
  return table;
}

}  // namespace vorenn
