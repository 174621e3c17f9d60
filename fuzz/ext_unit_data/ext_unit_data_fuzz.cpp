// The first byte picks a reader: even the ListView, odd the SuperBtn. The rest is its unit data.
// A unit that accepts the data must give back data that makes the same unit again: get-data of a
// unit created from its own get-data is unchanged. Rows and columns come from the data's blocks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/units/unit_contract.h"
#include "platform/headless/headless_backend.h"
#include "tests/support/bare_parent_window.h"
#include "units/list_view_unit.h"
#include "units/super_btn_unit.h"

namespace {

using namespace vorenn;

using Parent = testing_support::BareParentWindow;

std::unique_ptr<UnitWindow> Create(const TypeDescriptor& type, UnitWindow* parent, std::span<const uint8_t> data) {
  return testing_support::CreateUnitFromData(type, parent, data, /*width=*/120, /*height=*/40);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static platform::HeadlessBackend& native = platform::InstallHeadlessBackend();
  static Parent parent = [] {
    platform::WindowSpec params;
    return Parent(native.CreateNativeWindow(params));
  }();
  if (size == 0) return 0;
  // A private copy, so that a read one past the input is caught by the address sanitizer.
  std::vector<uint8_t> input(data + 1, data + size);
  const TypeDescriptor& type = data[0] % 2 == 0 ? ListViewUnitType() : SuperBtnUnitType();
  auto first = Create(type, &parent, input);
  if (first == nullptr) return 0;
  auto getData = OperationOf<GetDataOperation>(type, kOpGetData);
  std::vector<uint8_t> stored = getData(*first);
  auto second = Create(type, &parent, stored);
  if (second == nullptr || getData(*second) != stored) std::abort();
  if (native.ListItemCount(first->Handle()) != native.ListItemCount(second->Handle())) std::abort();
  return 0;
}
