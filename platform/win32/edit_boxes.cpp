// Edit boxes: the style bits and look a system edit control takes after creation (mask character,
// read-only, border kind), and the selection, which the program counts in bytes of the GBK text
// while the control counts UTF-16 units.
#include <algorithm>
#include <string>

#include "platform/gbk_selection.h"
#include "platform/win32/win32_backend_class.h"

namespace vorenn::platform::win32 {
namespace {

std::u16string_view Units(const std::wstring& text) {
  return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

// The bytes a character takes in the GBK text the backend reads back (GbkFromWide).
int GbkWidth(std::u16string_view character) {
  return int(GbkFromWide({reinterpret_cast<const wchar_t*>(character.data()), character.size()}).size());
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
  std::wstring text = TextOf(e->hwnd);
  UnitRange units = UnitsOfByteSelection(Units(text), start, length, GbkWidth);
  SendMessageW(e->hwnd, EM_SETSEL, WPARAM(units.from), LPARAM(units.to));
}

void Win32Backend::Selection(WindowHandle w, int* start, int* length) const {
  *start = 0;
  *length = 0;
  const Entry* e = Find(w);
  if (e == nullptr || e->role != WindowRole::EditBox) return;
  DWORD from = 0, to = 0;
  SendMessageW(e->hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  std::wstring text = TextOf(e->hwnd);
  ByteSelectionOfUnits(Units(text), int(from), int(to), GbkWidth, start, length);
}

}  // namespace vorenn::platform::win32
