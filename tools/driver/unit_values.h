// Property values as the driver writes and prints them: through ReadProperty and WriteProperty, by
// the property's kind. Numbers (integers, picks, colours, 8-byte values) are decimal (hex with
// 0x accepted on input), logicals 1 or 0 (true and false accepted), texts UTF-8, bytes as hex
// digits. Font properties are not handled.
#pragma once

#include <string>
#include <string_view>

#include "tools/driver/unit_lookup.h"

namespace vorenn::driver {

// Reads property `index` into *value. False with *error when the type has no such property or its
// kind is not handled.
bool ReadPropertyText(const UnitAt& unit, int index, std::string* value, std::string* error);
// Writes property `index` from its text. False with *error as above, or when the text does not
// fit the kind.
bool WritePropertyText(const UnitAt& unit, int index, std::string_view text, std::string* error);

// Whether a printed value matches what a script expects: equal texts, or equal numbers however
// written, or the same logical (1/true, 0/false).
bool ValuesMatch(std::string_view actual, std::string_view expected);

// Whether UTF-8 text converts to GBK and back unchanged (invalid UTF-8 and characters GBK lacks
// do not).
bool HasGbkForm(std::string_view utf8);

// Parses a whole decimal (or 0x hex) integer, optionally negative.
bool ParseInteger(std::string_view text, int64_t* value);

}  // namespace vorenn::driver
