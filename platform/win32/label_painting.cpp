// What labels, panels and group boxes draw: the unit border kinds, a label's caption aligned and
// optionally word-wrapped or embossed with '&' shown as it is, and a group box's etched frame with
// its caption in the top line.
#include <algorithm>

#include "platform/win32/win32_backend_class.h"

namespace vorenn::platform::win32 {
namespace {

constexpr COLORREF kDisabledText = RGB(109, 109, 109);

// Draws border kind 0-5 (none, sunken, raised frame, shallow sunken, sunken with frame, single
// line) inside r and returns what lies inside it.
RECT DrawBorder(HDC dc, RECT r, int border) {
  switch (border) {
    case 1: DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST); break;
    case 2: DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST); break;
    case 3: DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST); break;
    case 4:
      DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
      DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
      break;
    case 5:
      FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      InflateRect(&r, -1, -1);
      break;
    default: break;
  }
  return r;
}

COLORREF TextColourOf(const Appearance& a, bool enabled) {
  if (!enabled) return kDisabledText;
  return a.textColour == kDefaultColour ? RGB(0, 0, 0) : COLORREF(a.textColour & 0xFFFFFF);
}

// A label's caption in its area: aligned left, centred or right; wrapped at words from the top, or
// on its own lines aligned top, centre or bottom.
void DrawCaption(HDC dc, const std::wstring& text, const RECT& area, const Appearance& a, COLORREF colour) {
  UINT flags = DT_EXPANDTABS | (a.hAlign == 1 ? DT_CENTER : a.hAlign == 2 ? DT_RIGHT : DT_LEFT);
  if (a.literalPrefix) flags |= DT_NOPREFIX;
  if (a.wordWrap) flags |= DT_WORDBREAK;
  RECT place = area;
  if (!a.wordWrap && a.vAlign != 0) {
    RECT measured = area;
    DrawTextW(dc, text.c_str(), int(text.size()), &measured, flags | DT_CALCRECT);
    int room = int(area.bottom - area.top) - int(measured.bottom - measured.top);
    place.top += a.vAlign == 1 ? room / 2 : room;
  }
  if (a.embossed) {
    RECT below = place;
    OffsetRect(&below, 1, 1);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextW(dc, text.c_str(), int(text.size()), &below, flags);
  }
  SetTextColor(dc, colour);
  DrawTextW(dc, text.c_str(), int(text.size()), &place, flags);
}

std::wstring CaptionOf(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  std::wstring text(size_t(length) + 1, L'\0');
  text.resize(size_t(std::max(0, GetWindowTextW(hwnd, text.data(), length + 1))));
  return text;
}

}  // namespace

void Win32Backend::PaintLabel(Entry& e, HDC dc) {
  RECT all;
  GetClientRect(e.hwnd, &all);
  // A label without a background of its own shows its container's.
  FillRect(dc, &all, ContainerBrush(HandleOf(e.hwnd)));
  RECT area = DrawBorder(dc, all, e.appearance.border);
  std::wstring text = CaptionOf(e.hwnd);
  if (text.empty()) return;
  int saved = SaveDC(dc);
  IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
  SelectObject(dc, FontFromRecord(e.appearance.font));
  SetBkMode(dc, TRANSPARENT);
  DrawCaption(dc, text, area, e.appearance, TextColourOf(e.appearance, IsWindowEnabled(e.hwnd) != FALSE));
  RestoreDC(dc, saved);
}

void Win32Backend::PaintPanel(Entry& e, HDC dc) {
  RECT all;
  GetClientRect(e.hwnd, &all);
  DrawBorder(dc, all, e.appearance.border);
}

void Win32Backend::PaintGroupBox(Entry& e, HDC dc) {
  RECT all;
  GetClientRect(e.hwnd, &all);
  HBRUSH background = ContainerBrush(HandleOf(e.hwnd));
  // Opaque: a group box hides what lies below it (another group shown in the same place).
  FillRect(dc, &all, background);
  int saved = SaveDC(dc);
  SelectObject(dc, FontFromRecord(e.appearance.font));
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  int lineY = int(metrics.tmHeight) / 2;
  RECT frame{all.left, all.top + lineY, all.right, all.bottom};
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  std::wstring text = CaptionOf(e.hwnd);
  if (size_t line = text.find_first_of(L"\r\n"); line != std::wstring::npos) text.resize(line);
  if (!text.empty()) {
    const int inset = 8, pad = 2;
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    int width = std::min(int(size.cx), std::max(0, int(all.right) - 2 * inset - 2 * pad));
    int x = e.appearance.hAlign == 1   ? (int(all.right) - width) / 2
            : e.appearance.hAlign == 2 ? int(all.right) - inset - pad - width
                                       : inset + pad;
    RECT caption{x, 0, x + width, int(metrics.tmHeight)};
    // The caption interrupts the frame line.
    RECT gap{caption.left - pad, caption.top, caption.right + pad, caption.bottom};
    FillRect(dc, &gap, background);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TextColourOf(e.appearance, IsWindowEnabled(e.hwnd) != FALSE));
    DrawTextW(dc, text.c_str(), int(text.size()), &caption, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  RestoreDC(dc, saved);
}

}  // namespace vorenn::platform::win32
