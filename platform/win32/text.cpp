// Texts at the edge of the Win32 backend. The program's texts are GBK and the W functions take
// UTF-16; code page 936 is named explicitly so that the conversion does not depend on the
// system's ANSI code page (1252 on a Western system).
#include "platform/win32/internal/win32_parts.h"

#include <climits>

namespace vorenn::platform::win32 {
namespace {

constexpr UINT kGbk = 936;

}  // namespace

std::wstring WideFromGbk(std::string_view gbk) {
  if (gbk.empty() || gbk.size() > size_t(INT_MAX)) return {};
  int length = MultiByteToWideChar(kGbk, 0, gbk.data(), int(gbk.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(size_t(length), L'\0');
  MultiByteToWideChar(kGbk, 0, gbk.data(), int(gbk.size()), wide.data(), length);
  return wide;
}

std::string GbkFromWide(std::wstring_view wide) {
  if (wide.empty() || wide.size() > size_t(INT_MAX) / 2) return {};
  int length = WideCharToMultiByte(kGbk, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string gbk(size_t(length), '\0');
  WideCharToMultiByte(kGbk, 0, wide.data(), int(wide.size()), gbk.data(), length, nullptr, nullptr);
  return gbk;
}

}  // namespace vorenn::platform::win32
