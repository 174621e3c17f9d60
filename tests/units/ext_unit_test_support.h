// The unit-test window of tests/engine with the real extended-unit libraries in the library table,
// and direct creation of a unit from raw unit data.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "engine/templates/window_template_units.h"
#include "tests/engine/unit_test_support.h"

namespace vorenn::testing_support {

class ExtUnitTest : public UnitTest {
 protected:
  void SetUp() override;
  // A unit of the type made from `data` under a plain parent window; null when creation fails.
  std::unique_ptr<UnitWindow> CreateDirect(uint32_t typeCode, std::span<const uint8_t> data);
  // The unit data a unit of the loaded window hands back (operation 5).
  std::vector<uint8_t> DataOf(uint32_t unitId, uint32_t typeCode);

 private:
  std::unique_ptr<UnitWindow> parent_;
};

// Little-endian unit-data writer.
struct DataWriter {
  std::vector<uint8_t> bytes;
  DataWriter& U32(uint32_t v);
  DataWriter& U8(uint8_t v);
  DataWriter& Strz(const std::string& s);
  DataWriter& Buffer(const std::vector<uint8_t>& b);
  DataWriter& Text(const std::string& s);
};

}  // namespace vorenn::testing_support
