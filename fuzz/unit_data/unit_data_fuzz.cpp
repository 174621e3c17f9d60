// The first byte picks a reader: 0-7 one of the eight standard unit types (window, Label, Button,
// EditBox, GroupBox, DrawPanel, VScrollBar, Timer), anything else the tray-icon file reader. The
// rest is its input. A unit that accepts the data must give back data that makes the same unit
// again: get-data of a unit created from its own get-data is unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/core/runtime_value.h"
#include "engine/standard_units/standard_units.h"
#include "engine/standard_units/tray_icon.h"
#include "engine/units/unit_contract.h"
#include "platform/headless/headless_backend.h"
#include "tests/support/bare_parent_window.h"

namespace {

using namespace vorenn;

constexpr uint32_t kTypes[] = {kTypeWindow, kTypeLabel,   kTypeButton,     kTypeEditBox,
                               kTypeGroupBox, kTypeDrawPanel, kTypeVScrollBar, kTypeTimer};

using Parent = testing_support::BareParentWindow;

std::unique_ptr<UnitWindow> Create(const TypeDescriptor& type, UnitWindow* parent, std::span<const uint8_t> data) {
  // The window itself has no parent unit.
  UnitWindow* container = type.interface == StandardUnitTypes()[0].interface ? nullptr : parent;
  return testing_support::CreateUnitFromData(type, container, data, /*width=*/40, /*height=*/20);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static platform::HeadlessBackend& native = platform::InstallHeadlessBackend();
  // What the runtime does at start-up: the contract learns the standard types from it.
  static const bool typesHanded = (SetStandardUnitTypes(StandardUnitTypes()), true);
  (void)typesHanded;
  static Parent parent = [] {
    platform::WindowSpec params;
    return Parent(native.CreateNativeWindow(params));
  }();
  if (size == 0) return 0;
  // A private copy, so that a read one past the input is caught by the address sanitizer.
  std::vector<uint8_t> input(data + 1, data + size);
  if (data[0] >= std::size(kTypes)) {
    std::vector<uint8_t> icon = PickTrayIcon(input);
    if (!icon.empty() && PickTrayIcon(icon) != icon) std::abort();
    return 0;
  }
  const TypeDescriptor& type = *UnitTypeDescriptor(kTypes[data[0]]);
  auto first = Create(type, &parent, input);
  if (first == nullptr) return 0;
  auto getData = OperationOf<GetDataOperation>(type, kOpGetData);
  std::vector<uint8_t> stored = getData(*first);
  auto second = Create(type, &parent, stored);
  if (second == nullptr || getData(*second) != stored) std::abort();
  return 0;
}
