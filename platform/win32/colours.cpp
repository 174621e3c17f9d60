// Colours from the units' looks: each window with a background colour of its own keeps a brush of
// it; the controls' colour messages (WM_CTLCOLORSTATIC, ...EDIT, ...BTN, ...SCROLLBAR) answer with
// the control's own colours, else its container's, else the system's.
#include "platform/win32/win32_backend_class.h"

namespace vorenn::platform::win32 {

void Win32Backend::ApplyBackground(Entry& e) {
  if (e.background != nullptr) DeleteObject(e.background);
  e.background = nullptr;
  uint32_t colour = e.appearance.backgroundColour;
  if (colour != kDefaultColour) e.background = CreateSolidBrush(COLORREF(colour & 0xFFFFFF));
}

// The brush a window's background shows: its own colour, else the nearest container's, else the
// face colour of dialogs.
HBRUSH Win32Backend::ContainerBrush(WindowHandle w) {
  for (WindowHandle at = w; at != kNoWindow; at = ParentOf(at)) {
    const Entry* e = Find(at);
    if (e != nullptr && e->background != nullptr) return e->background;
  }
  return GetSysColorBrush(COLOR_BTNFACE);
}

HBRUSH Win32Backend::ColourMessage(HWND control, HDC dc) {
  WindowHandle w = HandleOf(control);
  const Entry* e = Find(w);
  if (e == nullptr) return nullptr;
  const Appearance& a = e->appearance;
  bool enabled = IsWindowEnabled(control) != FALSE;
  if (a.textColour != kDefaultColour && enabled) SetTextColor(dc, COLORREF(a.textColour & 0xFFFFFF));
  HBRUSH brush;
  if (e->role == WindowRole::EditBox) {
    // An edit box is white unless it has a colour of its own, read-only or not.
    brush = e->background != nullptr ? e->background : GetSysColorBrush(COLOR_WINDOW);
    SetBkColor(dc, a.backgroundColour != kDefaultColour ? COLORREF(a.backgroundColour & 0xFFFFFF)
                                                        : GetSysColor(COLOR_WINDOW));
    return brush;
  }
  brush = ContainerBrush(w);
  LOGBRUSH info{};
  GetObjectW(brush, sizeof info, &info);
  SetBkColor(dc, info.lbColor);
  SetBkMode(dc, TRANSPARENT);
  return brush;
}

}  // namespace vorenn::platform::win32
