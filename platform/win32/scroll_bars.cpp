// Vertical scroll bars: the unit's range, page and thumb on a system scroll bar, and what the user
// did to it (WM_VSCROLL to its container) as a ScrollChanged event. The unit decides where the
// thumb stands; while it is dragged it follows the mouse.
#include <algorithm>

#include "platform/win32/win32_backend_class.h"

namespace vorenn::platform::win32 {
namespace {

ScrollAction ScrollActionOf(WORD request) {
  switch (request) {
    case SB_LINEUP: return ScrollAction::LineUp;
    case SB_LINEDOWN: return ScrollAction::LineDown;
    case SB_PAGEUP: return ScrollAction::PageUp;
    case SB_PAGEDOWN: return ScrollAction::PageDown;
    case SB_THUMBPOSITION: return ScrollAction::ThumbReleased;
    case SB_THUMBTRACK: return ScrollAction::ThumbTracked;
    case SB_TOP: return ScrollAction::ToTop;
    case SB_BOTTOM: return ScrollAction::ToBottom;
    case SB_ENDSCROLL: return ScrollAction::EndScroll;
    default: return ScrollAction::None;
  }
}

void ApplyState(HWND bar, const ScrollBarState& state) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  int low = std::min(state.minimum, state.maximum), high = std::max(state.minimum, state.maximum);
  int page = std::max(0, state.page);
  // The system's thumb reaches nMax - nPage + 1; the unit's reaches its maximum whatever the page.
  info.nMin = low;
  info.nMax = page > 0 ? high + page - 1 : high;
  info.nPage = UINT(page);
  info.nPos = std::clamp(state.position, low, high);
  SetScrollInfo(bar, SB_CTL, &info, TRUE);
}

}  // namespace

void Win32Backend::SetScrollBar(WindowHandle w, const ScrollBarState& state) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  e->scroll = state;
  if (e->role == WindowRole::VScrollBar) ApplyState(e->hwnd, state);
}

ScrollBarState Win32Backend::ScrollBarOf(WindowHandle w) const {
  const Entry* e = Find(w);
  return e != nullptr ? e->scroll : ScrollBarState{};
}

void Win32Backend::ScrollMessage(WindowHandle w, WPARAM wParam) {
  Entry* e = Find(w);
  if (e == nullptr || e->role != WindowRole::VScrollBar) return;
  ScrollAction kind = ScrollActionOf(LOWORD(wParam));
  if (kind == ScrollAction::None) return;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS | SIF_TRACKPOS;
  GetScrollInfo(e->hwnd, SB_CTL, &info);
  WindowEvent ev;
  ev.kind = EventKind::ScrollChanged;
  ev.window = w;
  ev.scrollAction = kind;
  bool thumb = kind == ScrollAction::ThumbTracked || kind == ScrollAction::ThumbReleased;
  ev.value = thumb ? info.nTrackPos : info.nPos;
  sawInput_ = true;
  Deliver(ev);
  e = Find(w);
  if (e != nullptr && kind != ScrollAction::ThumbTracked) ApplyState(e->hwnd, e->scroll);
}

}  // namespace vorenn::platform::win32
