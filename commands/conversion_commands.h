// Conversions between value kinds: ToText, ToNumber, ToBytes, and the full-width to half-width
// rule that number and date-time texts go through.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/runtime_value.h"

namespace vorenn {

// byte "%u"; short, integer, long "%d"; float "%.6g"; double "%.13g"; bool "真" or "假"; date-time
// by DateTimeToText; text a copy; byte array its bytes up to the first zero; an array of a numeric
// kind its element memory up to the first zero; every other kind the empty text. Never depends on
// the process locale.
std::string ToText(const RuntimeValue& value);
std::string DoubleToText(double value);  // "%.13g"
std::string FloatToText(float value);    // "%.6g"
// "Y年M月D日", then "H时M分S秒", "H时M分" or "H时" as far as the time of day is not zero; the value is
// first limited to the date-time range.
std::string DateTimeToText(double dateTime);

// Numbers exactly, bool 1 or 0, subroutine pointer its address, text by TextToNumber; every other
// kind (date-time included) 0.
double ToNumber(const RuntimeValue& value);
// Full-width characters to half-width, then the longest decimal prefix after leading white space
// (sign, digits, fraction, exponent); 0 when there is none.
double TextToNumber(std::string_view text);

// 0xA3 x (x 0xA1..0xFE) -> x - 0x80; 0xA1 0xA1 -> space; 0xA1 0xAB -> "~"; 0xA1 0xEE and 0xA1 0xEF
// -> "*"; every other character unchanged.
std::string FullWidthToHalfWidth(std::string_view text);

// Text without its zero, a copy of a byte array, the raw little-endian bytes of a fixed-width value,
// the element memory of a numeric array; empty for every other kind.
std::vector<uint8_t> ToBytes(const RuntimeValue& value);

}  // namespace vorenn
