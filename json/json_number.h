// Number texts of the JSON module: exponent expansion for big numbers and the conversion behind
// JsonValue::AsLong.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorenn {

// Exponents larger than this are not expanded: a dozen bytes of input must not become megabytes
// of zeros.
constexpr int kMaxExpandedExponent = 1000;

// A number text with "e+" or "e-" rewritten as plain decimal text of the same value: the mantissa's
// digits with the decimal point moved right ("e+") or left ("e-"), zeros added as needed, leading
// zeros of the integer part dropped ("1.5e-3" -> "0.0015", "1e+3" -> "1000"); a sign stays. The
// text comes back unchanged when it has no "e+"/"e-", when mantissa or exponent is malformed, or
// when the exponent exceeds kMaxExpandedExponent.
std::string ExpandExponent(std::string_view number);

// The text as a 64-bit integer: an optional sign and decimal digits that fit convert exactly;
// anything else through the command library's text-to-number conversion, truncated toward zero
// and saturated at the ends of the range (NaN gives 0).
int64_t TextToLong(std::string_view text);

}  // namespace vorenn
