// A unit's own properties held by index, read from and written back to its stored unit data.
//
// Unit data: u32 version, then the type's fields in its fixed order. A field is a word (u32/i32,
// colours 0x00BBGGRR), a text (u32 count + GBK bytes) or a buffer (u32 count + bytes; fonts are
// empty or a 60-byte logical-font record). A field may exist only from a version on. Each type's
// field table sits at the top of its unit file; empty data means the type's defaults, a version
// above the type's highest, or data that ends early, means the unit cannot be created.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/units/unit_contract.h"

namespace vorenn {

enum class FieldForm : uint8_t { Word, Text, Buffer, Reserved };

struct DataField {
  int16_t property;  // property index (8 and above); ignored for Reserved
  FieldForm form;
  uint8_t sinceVersion = 0;
};

struct UnitLayout {
  uint32_t highestVersion;
  std::span<const DataField> fields;
};

class PropertyStore {
 public:
  // Own properties 8 .. propertyCount-1, all zero / empty until set.
  explicit PropertyStore(int propertyCount);

  // Reads unit data over the current values; false (values unspecified) when it cannot be read.
  [[nodiscard]] bool Read(const UnitLayout& layout, std::span<const uint8_t> data);
  // The unit data at the layout's highest version.
  std::vector<uint8_t> Write(const UnitLayout& layout) const;

  // By property index (8 and above); indices outside the table read as an empty value.
  const UnitValue& Get(int index) const;
  void Set(int index, UnitValue value);
  int32_t Word(int index) const { return Get(index).Word(); }
  void SetWord(int index, int64_t value) { Set(index, UnitValue::OfWord(value)); }
  const std::string& Text(int index) const { return Get(index).text; }
  bool Has(int index) const { return index >= 8 && index - 8 < int(values_.size()); }

 private:
  std::vector<UnitValue> values_;
};

}  // namespace vorenn
