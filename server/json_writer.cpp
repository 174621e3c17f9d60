#include "server/json_writer.h"

#include <array>
#include <cstdint>

namespace vorenn::server {

namespace {

void AppendEscape(std::string& out, uint32_t unit) {
  static constexpr char kHex[] = "0123456789abcdef";
  char escape[6] = {'\\', 'u', kHex[(unit >> 12) & 0xf], kHex[(unit >> 8) & 0xf], kHex[(unit >> 4) & 0xf],
                    kHex[unit & 0xf]};
  out.append(escape, sizeof escape);
}

// Printable ASCII other than the quote and the backslash goes out as it is.
constexpr std::array<bool, 256> kPlain = [] {
  std::array<bool, 256> plain{};
  for (int c = 0x20; c < 0x7f; ++c) plain[c] = c != '"' && c != '\\';
  return plain;
}();

// Decodes one UTF-8 sequence at `i`; on a malformed one returns U+FFFD and consumes one byte.
uint32_t NextCodePoint(std::string_view s, size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  int length = 0;
  if (c >= 0xc2 && c <= 0xdf) length = 2;
  else if (c >= 0xe0 && c <= 0xef) length = 3;
  else if (c >= 0xf0 && c <= 0xf4) length = 4;
  if (length == 0 || i + length > s.size()) {
    ++i;
    return 0xfffd;
  }
  uint32_t cp = c & (0x7f >> length);
  for (int k = 1; k < length; ++k) {
    unsigned char t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xc0) != 0x80) {
      ++i;
      return 0xfffd;
    }
    cp = (cp << 6) | (t & 0x3f);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  static constexpr uint32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMinimum[length] || (cp >= 0xd800 && cp <= 0xdfff) || cp > 0x10ffff) {
    ++i;
    return 0xfffd;
  }
  i += length;
  return cp;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view utf8) {
  out.reserve(out.size() + utf8.size() + 2);
  out += '"';
  for (size_t i = 0; i < utf8.size();) {
    // Runs of plain characters (the digits of an amount, most names) are copied whole.
    size_t run = i;
    while (run < utf8.size() && kPlain[static_cast<unsigned char>(utf8[run])]) ++run;
    if (run > i) {
      out.append(utf8.data() + i, run - i);
      i = run;
      continue;
    }
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      ++i;
      if (c == '"' || c == '\\') {
        out += '\\';
        out += static_cast<char>(c);
      } else if (c < 0x20 || c == 0x7f) {
        AppendEscape(out, c);
      } else {
        out += static_cast<char>(c);
      }
      continue;
    }
    uint32_t cp = NextCodePoint(utf8, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      AppendEscape(out, 0xd800 + (cp >> 10));
      AppendEscape(out, 0xdc00 + (cp & 0x3ff));
    } else {
      AppendEscape(out, cp);
    }
  }
  out += '"';
}

std::string JsonString(std::string_view utf8) {
  std::string out;
  AppendJsonString(out, utf8);
  return out;
}

JsonObject& JsonObject::Text(std::string_view key, std::string_view utf8) {
  if (body_.size() > 1) body_ += ',';
  AppendJsonString(body_, key);
  body_ += ':';
  AppendJsonString(body_, utf8);
  return *this;
}

JsonObject& JsonObject::Raw(std::string_view key, std::string_view json) {
  if (body_.size() > 1) body_ += ',';
  AppendJsonString(body_, key);
  body_ += ':';
  body_ += json;
  return *this;
}

std::string JsonArray(const std::vector<std::string>& values) {
  std::string out = "[";
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += ',';
    out += values[i];
  }
  out += ']';
  return out;
}

}  // namespace vorenn::server
