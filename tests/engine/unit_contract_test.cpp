// The contract names no concrete unit: library 1's types come from the library table or from what
// the runtime hands it.
#include <gtest/gtest.h>

#include "engine/core/library.h"
#include "engine/core/library_table.h"
#include "engine/core/runtime_value.h"
#include "engine/runtime/init_runtime.h"
#include "engine/standard_units/label_unit.h"
#include "engine/standard_units/standard_units.h"
#include "engine/units/unit_contract.h"

namespace vorenn {
namespace {

TEST(UnitContract, ResolvesTheCoreLibrarysUnitsOnlyFromWhatItIsHanded) {
  static LibraryDescriptor withoutTypes[] = {{"core", nullptr, 0, nullptr, 0, nullptr}};
  SetLibraryTable(withoutTypes);
  SetStandardUnitTypes({});
  EXPECT_EQ(UnitTypeDescriptor(kTypeLabel), nullptr);

  InstallStandardUnits();
  const TypeDescriptor* label = UnitTypeDescriptor(kTypeLabel);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->interface, LabelUnitType().interface);
  // Another library's codes are not answered from the standard types.
  EXPECT_EQ(UnitTypeDescriptor(0x0003000A), nullptr);
  SetStandardUnitTypes({});
}

}  // namespace
}  // namespace vorenn
