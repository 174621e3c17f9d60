// Edit boxes: the style bits and look a system edit control takes after creation (mask character,
// read-only, border kind), and the selection, which the program counts in bytes of the GBK text
// while the control counts UTF-16 units.
#include <algorithm>
#include <vector>

#include "platform/win32/win32_backend_class.h"

namespace vorenn::platform::win32 {
namespace {

// Character boundaries of a text, in UTF-16 units and in GBK bytes.
struct Boundary {
  int unit;
  int byte;
};

std::vector<Boundary> BoundariesOf(const std::wstring& text) {
  std::vector<Boundary> out{{0, 0}};
  for (size_t i = 0; i < text.size();) {
    size_t len = (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size()) ? 2 : 1;
    int bytes = text[i] < 0x80 ? 1 : int(GbkFromWide(std::wstring_view(text).substr(i, len)).size());
    out.push_back({int(i + len), out.back().byte + bytes});
    i += len;
  }
  return out;
}

// The character boundary at or before a byte position (roundUp: at or after it).
Boundary BoundaryAt(const std::vector<Boundary>& bounds, int byte, bool roundUp) {
  if (roundUp) {
    for (const Boundary& b : bounds)
      if (b.byte >= byte) return b;
    return bounds.back();
  }
  Boundary found = bounds.front();
  for (const Boundary& b : bounds)
    if (b.byte <= byte) found = b;
  return found;
}

std::wstring TextOf(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  std::wstring text(size_t(length) + 1, L'\0');
  text.resize(size_t(std::max(0, GetWindowTextW(hwnd, text.data(), length + 1))));
  return text;
}

}  // namespace

void Win32Backend::ApplyEditStyle(Entry& e) {
  // A lead byte alone is no character; such a mask shows as '*'.
  auto mask = uint8_t(e.appearance.passwordChar);
  wchar_t shown = (mask >= 0x21 && mask < 0x7F) ? wchar_t(mask) : L'*';
  bool single = (GetWindowLongW(e.hwnd, GWL_STYLE) & ES_MULTILINE) == 0;
  if (single) SendMessageW(e.hwnd, EM_SETPASSWORDCHAR, (e.style & kStylePassword) ? shown : 0, 0);
  SendMessageW(e.hwnd, EM_SETREADONLY, (e.style & kStyleReadOnly) ? TRUE : FALSE, 0);
  if (!e.appearanceSet) return;
  LONG ex = GetWindowLongW(e.hwnd, GWL_EXSTYLE) & ~LONG(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME);
  LONG style = GetWindowLongW(e.hwnd, GWL_STYLE) & ~LONG(WS_BORDER);
  switch (e.appearance.border) {
    case 1: ex |= WS_EX_CLIENTEDGE; break;
    case 2: ex |= WS_EX_DLGMODALFRAME; break;
    case 3: ex |= WS_EX_STATICEDGE; break;
    case 4: ex |= WS_EX_CLIENTEDGE | WS_EX_STATICEDGE; break;
    case 5: style |= WS_BORDER; break;
    default: break;
  }
  if (ex == GetWindowLongW(e.hwnd, GWL_EXSTYLE) && style == GetWindowLongW(e.hwnd, GWL_STYLE)) {
    InvalidateRect(e.hwnd, nullptr, TRUE);
    return;
  }
  SetWindowLongW(e.hwnd, GWL_EXSTYLE, ex);
  SetWindowLongW(e.hwnd, GWL_STYLE, style);
  SetWindowPos(e.hwnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Win32Backend::SetSelection(WindowHandle w, int start, int length) {
  Entry* e = Find(w);
  if (e == nullptr || e->role != WindowRole::EditBox) return;
  std::vector<Boundary> bounds = BoundariesOf(TextOf(e->hwnd));
  int size = bounds.back().byte;
  int from = std::clamp(start, 0, size);
  int to = from + std::clamp(length, 0, size - from);
  // Selections never split a double-byte character.
  Boundary a = BoundaryAt(bounds, from, /*roundUp=*/false), b = BoundaryAt(bounds, to, /*roundUp=*/true);
  SendMessageW(e->hwnd, EM_SETSEL, WPARAM(a.unit), LPARAM(b.unit));
}

void Win32Backend::Selection(WindowHandle w, int* start, int* length) const {
  *start = 0;
  *length = 0;
  const Entry* e = Find(w);
  if (e == nullptr || e->role != WindowRole::EditBox) return;
  DWORD from = 0, to = 0;
  SendMessageW(e->hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  std::vector<Boundary> bounds = BoundariesOf(TextOf(e->hwnd));
  auto byteAt = [&](int unit) {
    for (const Boundary& b : bounds)
      if (b.unit >= unit) return b.byte;
    return bounds.back().byte;
  };
  *start = byteAt(int(std::min(from, to)));
  *length = byteAt(int(std::max(from, to))) - *start;
}

}  // namespace vorenn::platform::win32
