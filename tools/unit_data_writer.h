// Encodes a unit's own properties, given by name in the description, into the unit-data layout of
// its type. The layouts (field order, version gates) are in resources/README.md; every key that the
// description leaves out is written as 0, an empty text or an empty buffer.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace vorenn::tools {

// Data-type code of a unit type by its stored English name ("window", "EditBox", ...); throws
// std::runtime_error for an unknown name.
uint32_t TypeCodeByName(std::string_view typeName);

// Null data gives empty unit data (the type's defaults). Otherwise "version" is required and must
// not exceed the type's highest version; an unknown key or a value of the wrong form throws
// std::runtime_error.
std::vector<uint8_t> EncodeUnitData(std::string_view typeName, const nlohmann::ordered_json& data);

// A 32-bit value from the description: a number, "#RRGGBB" (stored 0x00BBGGRR), "default"
// (0xFF000000) or "0x" hexadecimal.
uint32_t ParseWord(const nlohmann::ordered_json& value);

// The 60-byte logical-font record from {"face", "height", "weight", "charset", ...}.
std::vector<uint8_t> EncodeFont(const nlohmann::ordered_json& font);

}  // namespace vorenn::tools
