#include "tests/units/ext_unit_test_support.h"

#include "engine/core/library_table.h"
#include "engine/standard_units/standard_units.h"
#include "engine/templates/window_template.h"
#include "engine/units/unit_contract.h"
#include "tests/support/bare_parent_window.h"
#include "units/image_button_library.h"
#include "units/list_view_library.h"

namespace vorenn::testing_support {
namespace {

using Parent = testing_support::BareParentWindow;

}  // namespace

void ExtUnitTest::SetUp() {
  UnitTest::SetUp();
  static LibraryDescriptor libraries[6];
  std::span<const TypeDescriptor> core = StandardUnitTypes();
  libraries[0] = {"core", nullptr, int(core.size()), core.data(), 0, nullptr};
  libraries[1] = {"encoding", nullptr, 0, nullptr, 0, nullptr};
  libraries[2] = ImageButtonLibrary();
  libraries[3] = {"numeric", nullptr, 0, nullptr, 0, nullptr};
  libraries[4] = ListViewLibrary();
  libraries[5] = {"data", nullptr, 0, nullptr, 0, nullptr};
  SetLibraryTable(libraries);
  platform::WindowSpec params;
  parent_ = std::make_unique<Parent>(native_->CreateNativeWindow(params));
}

std::unique_ptr<UnitWindow> ExtUnitTest::CreateDirect(uint32_t typeCode, std::span<const uint8_t> data) {
  const TypeDescriptor* type = UnitTypeDescriptor(typeCode);
  if (type == nullptr) return nullptr;
  return CreateUnitFromData(*type, parent_.get(), data, /*width=*/120, /*height=*/30);
}

std::vector<uint8_t> ExtUnitTest::DataOf(uint32_t unitId, uint32_t typeCode) {
  UnitRecord* record = FindRecord(*FindLoadedWindow(kTestWindow), unitId);
  return OperationOf<GetDataOperation>(*UnitTypeDescriptor(typeCode), kOpGetData)(*record->window);
}

DataWriter& DataWriter::U32(uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
  return *this;
}
DataWriter& DataWriter::U8(uint8_t v) {
  bytes.push_back(v);
  return *this;
}
DataWriter& DataWriter::Strz(const std::string& s) {
  bytes.insert(bytes.end(), s.begin(), s.end());
  bytes.push_back(0);
  return *this;
}
DataWriter& DataWriter::Buffer(const std::vector<uint8_t>& b) {
  U32(uint32_t(b.size()));
  bytes.insert(bytes.end(), b.begin(), b.end());
  return *this;
}
DataWriter& DataWriter::Text(const std::string& s) {
  U32(uint32_t(s.size()));
  bytes.insert(bytes.end(), s.begin(), s.end());
  return *this;
}

}  // namespace vorenn::testing_support
