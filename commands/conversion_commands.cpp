#include "commands/conversion_commands.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "commands/calendar.h"
#include "commands/command_values.h"
#include "platform/c_number.h"

namespace vorenn {
namespace {

template <typename T>
T Load(const void* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

std::string UpToFirstZero(const uint8_t* data, size_t n) {
  if (n == 0) return {};  // empty bytes may come as a null pointer, which memchr must not see
  const void* zero = std::memchr(data, 0, n);
  size_t length = zero != nullptr ? size_t(static_cast<const uint8_t*>(zero) - data) : n;
  return std::string(reinterpret_cast<const char*>(data), length);
}

std::string GeneralFormat(double value, int precision) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}

bool IsAsciiSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the longest decimal number at the start of `s`: sign, digits with an optional point,
// an optional exponent. 0 when there is no digit.
size_t DecimalPrefixLength(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j < s.size() && IsDigit(s[j])) {
      while (j < s.size() && IsDigit(s[j])) ++j;
      i = j;
    }
  }
  return i;
}

}  // namespace

std::string DoubleToText(double value) { return GeneralFormat(value, 13); }
std::string FloatToText(float value) { return GeneralFormat(double(value), 6); }

std::string DateTimeToText(double dateTime) {
  DateTimeFields f = FieldsOf(dateTime);
  char buffer[96];
  int n = std::snprintf(buffer, sizeof buffer, "%d年%d月%d日", f.year, f.month, f.day);
  std::string text(buffer, size_t(n));
  if (f.second != 0) {
    n = std::snprintf(buffer, sizeof buffer, "%d时%d分%d秒", f.hour, f.minute, f.second);
  } else if (f.minute != 0) {
    n = std::snprintf(buffer, sizeof buffer, "%d时%d分", f.hour, f.minute);
  } else if (f.hour != 0) {
    n = std::snprintf(buffer, sizeof buffer, "%d时", f.hour);
  } else {
    n = 0;
  }
  text.append(buffer, size_t(n));
  return text;
}

std::string ToText(const RuntimeValue& v) {
  if (IsArrayType(v.type)) {
    uint32_t element = ElementTypeOf(v.type);
    if (!IsNumericType(element)) return {};
    ArrayElements elements = ElementsOfArrayBlock(PointerOf(v));
    return UpToFirstZero(elements.data, size_t(elements.count) * size_t(RawWidth(element)));
  }
  switch (v.type) {
    case kTypeByte: return std::to_string(v.low & 0xFF);
    case kTypeShort: return std::to_string(int16_t(v.low & 0xFFFF));
    case kTypeInt: return std::to_string(int32_t(v.low));
    case kTypeLong: return std::to_string(LongOf(v));
    case kTypeFloat: return FloatToText(Load<float>(&v.low));
    case kTypeDouble: return DoubleToText(DoubleOf(v));
    case kTypeBool: return v.low != 0 ? "真" : "假";
    case kTypeDateTime: return DateTimeToText(DoubleOf(v));
    case kTypeText: return std::string(TextArg(v));
    case kTypeBytes: {
      ByteSpan bytes = BytesArg(v);
      return UpToFirstZero(bytes.data(), bytes.size());
    }
    default: return {};
  }
}

std::string FullWidthToHalfWidth(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80 || i + 1 >= text.size()) {
      out.push_back(text[i++]);
      continue;
    }
    auto trail = static_cast<unsigned char>(text[i + 1]);
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      out.push_back(char(trail - 0x80));
    } else if (lead == 0xA1 && trail == 0xA1) {
      out.push_back(' ');
    } else if (lead == 0xA1 && trail == 0xAB) {
      out.push_back('~');
    } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
      out.push_back('*');
    } else {
      out.append(text.substr(i, 2));
    }
    i += 2;
  }
  return out;
}

double TextToNumber(std::string_view text) {
  std::string half = FullWidthToHalfWidth(text);
  std::string_view s = half;
  while (!s.empty() && IsAsciiSpace(s.front())) s.remove_prefix(1);
  size_t n = DecimalPrefixLength(s);
  if (n == 0) return 0.0;
  // The process locale may use another decimal point.
  std::string prefix(s.substr(0, n));
  return platform::CLocaleStrtod(prefix.c_str());
}

double ToNumber(const RuntimeValue& v) {
  switch (v.type) {
    case kTypeByte: return double(v.low & 0xFF);
    case kTypeShort: return double(int16_t(v.low & 0xFFFF));
    case kTypeInt: return double(int32_t(v.low));
    case kTypeLong: return double(LongOf(v));
    case kTypeFloat: return double(Load<float>(&v.low));
    case kTypeDouble: return DoubleOf(v);
    case kTypeBool: return v.low != 0 ? 1.0 : 0.0;
    case kTypeSubroutine: return double(v.low);
    case kTypeText: return TextToNumber(TextArg(v));
    default: return 0.0;
  }
}

std::vector<uint8_t> ToBytes(const RuntimeValue& v) {
  if (IsArrayType(v.type)) {
    uint32_t element = ElementTypeOf(v.type);
    if (!IsNumericType(element)) return {};
    ArrayElements elements = ElementsOfArrayBlock(PointerOf(v));
    size_t n = size_t(elements.count) * size_t(RawWidth(element));
    return std::vector<uint8_t>(elements.data, elements.data + n);
  }
  if (v.type == kTypeText) {
    std::string_view text = TextArg(v);
    return std::vector<uint8_t>(text.begin(), text.end());
  }
  if (v.type == kTypeBytes) {
    ByteSpan bytes = BytesArg(v);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  }
  int width = RawWidth(v.type);
  if (width == 0 || v.type == kTypeEightBytes) return {};
  uint8_t raw[8];
  std::memcpy(raw, &v.low, 4);
  std::memcpy(raw + 4, &v.high, 4);
  if (v.type == kTypeBool) {
    uint32_t flag = v.low != 0 ? 1 : 0;
    std::memcpy(raw, &flag, 4);
  }
  return std::vector<uint8_t>(raw, raw + width);
}

}  // namespace vorenn
