#include "json/json_number.h"

#include <cmath>
#include <limits>
#include <optional>

#include "commands/conversion_commands.h"

namespace vorenn {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view s) {
  for (char c : s) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

std::optional<int64_t> ExactInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || !AllDigits(text)) return std::nullopt;
  // Accumulate as a negative number: its range reaches one further than the positive one.
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  int64_t value = 0;
  for (char c : text) {
    int digit = c - '0';
    if (value < (kMin + digit) / 10) return std::nullopt;
    value = value * 10 - digit;
  }
  if (negative) return value;
  if (value == kMin) return std::nullopt;
  return -value;
}

}  // namespace

int64_t TextToLong(std::string_view text) {
  if (auto exact = ExactInteger(text)) return *exact;
  double d = std::trunc(TextToNumber(text));
  if (std::isnan(d)) return 0;
  // 2^63 is exactly representable; every double below it converts without overflow.
  constexpr double kLimit = 9223372036854775808.0;
  if (d >= kLimit) return std::numeric_limits<int64_t>::max();
  if (d < -kLimit) return std::numeric_limits<int64_t>::min();
  return int64_t(d);
}

std::string ExpandExponent(std::string_view number) {
  size_t e = number.find('e');
  if (e == std::string_view::npos || e + 1 >= number.size()) return std::string(number);
  char direction = number[e + 1];
  if (direction != '+' && direction != '-') return std::string(number);
  std::string_view mantissa = number.substr(0, e), exponent = number.substr(e + 2);

  std::string_view sign;
  if (!mantissa.empty() && (mantissa[0] == '+' || mantissa[0] == '-')) {
    sign = mantissa.substr(0, 1);
    mantissa.remove_prefix(1);
  }
  size_t point = mantissa.find('.');
  std::string_view integerPart = mantissa.substr(0, point);
  std::string_view fraction = point == std::string_view::npos ? std::string_view() : mantissa.substr(point + 1);
  if (integerPart.size() + fraction.size() == 0 || !AllDigits(integerPart) || !AllDigits(fraction) ||
      exponent.empty() || !AllDigits(exponent) || exponent.size() > 6) {
    return std::string(number);
  }
  int shift = std::stoi(std::string(exponent));
  if (shift > kMaxExpandedExponent) return std::string(number);

  std::string digits = std::string(integerPart) + std::string(fraction);
  // The new position of the decimal point, counted in digits from the left.
  long pointAt = long(integerPart.size()) + (direction == '+' ? shift : -shift);
  std::string out(sign);
  if (pointAt <= 0) {
    out += "0.";
    out.append(size_t(-pointAt), '0');
    out += digits;
    return out;
  }
  if (size_t(pointAt) >= digits.size()) {
    digits.append(size_t(pointAt) - digits.size(), '0');
    pointAt = long(digits.size());
  }
  std::string_view whole = std::string_view(digits).substr(0, size_t(pointAt));
  while (whole.size() > 1 && whole[0] == '0') whole.remove_prefix(1);
  out += whole;
  if (size_t(pointAt) < digits.size()) {
    out += '.';
    out += std::string_view(digits).substr(size_t(pointAt));
  }
  return out;
}

}  // namespace vorenn
