#include "platform/win32/internal/code_page_936.h"

#include <windows.h>

namespace vorenn::platform::win32 {
namespace {

constexpr UINT kGbk = 936;

// Code page 936 gives its user-defined areas the private-use characters U+E000-U+E765 and a few
// more after them; the GBK of the program's texts (and of Linux's conversion) has none of them.
bool PrivateUse(uint32_t codePoint) { return codePoint >= 0xE000 && codePoint <= 0xF8FF; }

size_t ToUtf16(uint32_t codePoint, wchar_t* units) {
  if (codePoint < 0x10000) {
    units[0] = wchar_t(codePoint);
    return 1;
  }
  codePoint -= 0x10000;
  units[0] = wchar_t(0xD800 + (codePoint >> 10));
  units[1] = wchar_t(0xDC00 + (codePoint & 0x3FF));
  return 2;
}

}  // namespace

Decoded DecodeGbk(const char* p, size_t left, uint32_t* codePoint, size_t* length) {
  auto lead = static_cast<unsigned char>(p[0]);
  if (lead < 0x80) {
    *codePoint = lead;
    *length = 1;
    return Decoded::Ok;
  }
  // Code page 936 reads a lone 0x80 as the euro sign, as GBK does.
  if (lead == 0x80) {
    *codePoint = 0x20AC;
    *length = 1;
    return Decoded::Ok;
  }
  if (lead == 0xFF) return Decoded::Invalid;
  if (left < 2) return Decoded::Incomplete;
  wchar_t units[2];
  int n = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, p, 2, units, 2);
  if (n != 1 || (units[0] >= 0xD800 && units[0] <= 0xDFFF) || PrivateUse(units[0])) return Decoded::Invalid;
  *codePoint = uint32_t(units[0]);
  *length = 2;
  return Decoded::Ok;
}

Decoded DecodeUtf8(const char* p, size_t left, uint32_t* codePoint, size_t* length) {
  auto b0 = static_cast<unsigned char>(p[0]);
  if (b0 < 0x80) {
    *codePoint = b0;
    *length = 1;
    return Decoded::Ok;
  }
  size_t n;
  uint32_t c, minimum;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 2, c = b0 & 0x1F, minimum = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 3, c = b0 & 0x0F, minimum = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 4, c = b0 & 0x07, minimum = 0x10000;
  } else {
    return Decoded::Invalid;
  }
  for (size_t i = 1; i < n; ++i) {
    if (i >= left) return Decoded::Incomplete;
    auto b = static_cast<unsigned char>(p[i]);
    if ((b & 0xC0) != 0x80) return Decoded::Invalid;
    c = c << 6 | (b & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return Decoded::Invalid;
  *codePoint = c;
  *length = n;
  return Decoded::Ok;
}

size_t EncodeGbk(uint32_t codePoint, char* out) {
  if (codePoint < 0x80) {
    out[0] = char(codePoint);
    return 1;
  }
  if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF) || PrivateUse(codePoint)) return 0;
  wchar_t units[2];
  size_t count = ToUtf16(codePoint, units);
  BOOL defaulted = FALSE;
  int n = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, units, int(count), out, 4, nullptr, &defaulted);
  if (n <= 0 || defaulted) return 0;
  return size_t(n);
}

size_t EncodeUtf8(uint32_t c, char* out) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  if (c < 0x80) {
    out[0] = char(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = char(0xC0 | c >> 6);
    out[1] = char(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = char(0xE0 | c >> 12);
    out[1] = char(0x80 | (c >> 6 & 0x3F));
    out[2] = char(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = char(0xF0 | c >> 18);
  out[1] = char(0x80 | (c >> 12 & 0x3F));
  out[2] = char(0x80 | (c >> 6 & 0x3F));
  out[3] = char(0x80 | (c & 0x3F));
  return 4;
}

}  // namespace vorenn::platform::win32
