// The notification-area icon on Shell_NotifyIconW: one per window, its tip the window's text for
// it, clicks back to the window as TrayIcon events.
#include "platform/win32/win32_backend_class.h"

#include <shellapi.h>

#include <cstring>


namespace vorenn::platform::win32 {
namespace {

constexpr UINT kTrayIconId = 1;

uint32_t Le32(std::span<const uint8_t> d, size_t at) {
  return uint32_t(d[at]) | uint32_t(d[at + 1]) << 8 | uint32_t(d[at + 2]) << 16 | uint32_t(d[at + 3]) << 24;
}

// The icon of an icon file's first image (the unit hands over a file of one image, chosen for the
// notification area); null when the bytes hold none.
HICON IconFromFile(std::span<const uint8_t> file) {
  constexpr size_t kHeader = 6, kEntry = 16;
  if (file.size() < kHeader + kEntry || file[0] != 0 || file[1] != 0 || file[2] != 1 || file[4] == 0) return nullptr;
  uint32_t size = Le32(file, kHeader + 8), offset = Le32(file, kHeader + 12);
  if (offset > file.size() || size > file.size() - offset || size == 0) return nullptr;
  int width = file[kHeader] == 0 ? 256 : file[kHeader], height = file[kHeader + 1] == 0 ? 256 : file[kHeader + 1];
  // CreateIconFromResourceEx may write to the image: it gets its own copy.
  std::vector<BYTE> image(file.begin() + offset, file.begin() + offset + size);
  return CreateIconFromResourceEx(image.data(), DWORD(image.size()), TRUE, 0x00030000, width, height, LR_DEFAULTCOLOR);
}

// Tray actions as the window unit numbers them: 1 left click, 2 left double click, 3 right click.
int TrayActionOf(LPARAM mouse) {
  switch (LOWORD(mouse)) {
    case WM_LBUTTONUP: return 1;
    case WM_LBUTTONDBLCLK: return 2;
    case WM_RBUTTONUP: return 3;
    default: return 0;
  }
}

}  // namespace

void Win32Backend::SetTrayIcon(WindowHandle w, std::span<const uint8_t> icon, std::string_view gbkTip) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = e->hwnd;
  data.uID = kTrayIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayMessage;
  HICON made = IconFromFile(icon);
  // An icon that cannot be drawn would leave a hidden window without anything to click: the
  // program's own stands in.
  data.hIcon = made != nullptr ? made : ProgramIcon(instance_, GetSystemMetrics(SM_CXSMICON));
  std::wstring tip = WideFromGbk(gbkTip);
  wcsncpy(data.szTip, tip.c_str(), sizeof data.szTip / sizeof data.szTip[0] - 1);
  bool shown = e->wantsTray && Shell_NotifyIconW(NIM_MODIFY, &data);
  if (!shown) Shell_NotifyIconW(NIM_ADD, &data);
  if (e->trayIcon != nullptr) DestroyIcon(e->trayIcon);
  e->trayIcon = data.hIcon;
  e->wantsTray = true;
  e->trayTip = std::string(gbkTip);
}

void Win32Backend::DeleteTrayIcon(Entry& e) {
  if (e.wantsTray) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = e.hwnd;
    data.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &data);
  }
  if (e.trayIcon != nullptr) DestroyIcon(e.trayIcon);
  e.trayIcon = nullptr;
  e.wantsTray = false;
  e.trayTip.clear();
}

void Win32Backend::RemoveTrayIcon(WindowHandle w) {
  if (Entry* e = Find(w)) DeleteTrayIcon(*e);
}

std::optional<std::string> Win32Backend::TrayTipOf(WindowHandle w) const {
  const Entry* e = Find(w);
  if (e == nullptr || !e->wantsTray) return std::nullopt;
  return e->trayTip;
}

void Win32Backend::TrayMessage(WindowHandle w, LPARAM lParam) {
  WindowEvent e;
  e.kind = EventKind::TrayIcon;
  e.window = w;
  e.trayAction = TrayActionOf(lParam);
  if (e.trayAction != 0) Deliver(e);
}

}  // namespace vorenn::platform::win32
