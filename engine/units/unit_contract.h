// The contract between the engine and every unit type, beyond the create operation that the
// window loader calls (engine/templates/window_template_units.h).
//
// A unit type is a TypeDescriptor (engine/core/type_descriptor.h) in its library's type table: state
// word, property table (kinds by index), event table, and the interface function that maps
// operation numbers to operations:
//   1 create        UnitWindow* (*)(const UnitCreateArgs&)                  null: not created
//   4 set property  int (*)(UnitWindow&, int ownIndex, const UnitValue&)    1: re-create the unit
//   5 get data      std::vector<uint8_t> (*)(UnitWindow&)                   the unit data, as stored
//   6 get property  bool (*)(UnitWindow&, int ownIndex, UnitValue*)         true: value delivered
// Own indices count from property 8 (own index 0 is property 8); 0-7 are the engine's.
//
// Units talk to native windows only through platform/backend.h; the engine reaches them only
// through these operations and the UnitWindow interface.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/core/type_descriptor.h"
#include "engine/templates/window_template_units.h"

namespace vorenn {

// Property kinds, as they cross ReadProperty / WriteProperty.
enum PropertyKind : uint16_t {
  kKindInteger = 1000,     // also 1001
  kKindEightBytes = 1002,  // also 1004
  kKindLogical = 1003,
  kKindText = 1005,        // also every kind not listed here
  kKindPick = 1006,
  kKindBytes = 1009,       // also 1010, 1012, 1023, 1024
  kKindPointer = 1011,
  kKindFont = 1013,
  kKindColour = 1014,      // also 1015
  kKindColourOrDefault = 1017,
};

enum class TransferForm { Word, TwoWords, Logical, Text, Bytes, Pointer, Font, Colour, ColourOrDefault };
TransferForm TransferFormOf(uint16_t kind);

// Type state bits the engine reads.
enum UnitTypeState : uint32_t {
  kUnitStateWindowed = 0x00000040,  // a unit with its own native window: it can raise events
};

// A property value in the unit's own form. Integers, logicals, picks and colours use the low 32
// bits of `number`; 8-byte values all 64. Texts are GBK without terminator. Bytes, pointer data
// and fonts (a 60-byte logical-font record, empty for the default font) use `bytes`.
struct UnitValue {
  int64_t number = 0;
  std::string text;
  std::vector<uint8_t> bytes;

  int32_t Word() const { return int32_t(number); }
  bool operator==(const UnitValue&) const = default;
  static UnitValue OfWord(int64_t n) { return UnitValue{n, {}, {}}; }
  static UnitValue OfText(std::string t) { return UnitValue{0, std::move(t), {}}; }
  static UnitValue OfBytes(std::vector<uint8_t> b) { return UnitValue{0, {}, std::move(b)}; }
};

using SetPropertyOperation = int (*)(UnitWindow& unit, int ownIndex, const UnitValue& value);
using GetDataOperation = std::vector<uint8_t> (*)(UnitWindow& unit);
using GetPropertyOperation = bool (*)(UnitWindow& unit, int ownIndex, UnitValue* value);

// The descriptor of a data-type code from the library table (and the standard unit types for
// library 1 before the core library lists them), or null.
const TypeDescriptor* UnitTypeDescriptor(uint32_t typeCode);
// The kind of property `index` (0-7 included) of a type, or 0 beyond its table.
uint16_t PropertyKindOf(const TypeDescriptor& type, int index);
// The type's operation, or null when it lacks one.
template <typename Operation>
Operation OperationOf(const TypeDescriptor& type, int operation) {
  return type.interface != nullptr ? reinterpret_cast<Operation>(type.interface(operation)) : nullptr;
}

// The types that answer for library 1 while the core library's table lists none: the runtime hands
// over the standard units (engine/standard_units/standard_units.h), which this layer cannot name.
void SetStandardUnitTypes(std::span<const TypeDescriptor> types);

// Wires the contract into the engine: the unit-type resolver of the window loader, the
// library-callback codes 1001, 2000, 2007, 2008 and 2031, the event dispatch of the load events,
// custom cursors, and the pre-translation of the installed backend (Tab, Enter, Esc). Call after a
// loader host and a backend are installed; calling again re-wraps only when the host was replaced.
// The property services are the runtime's to install (InstallStandardUnits).
void InstallUnitContract();

}  // namespace vorenn
