// Timers on the system's SetTimer: each is a timer of its window's native window, so it ends with
// the window, and WM_TIMER comes only when nothing else waits, as on the other backends.
#include "platform/win32/win32_backend_class.h"

namespace vorenn::platform::win32 {

void Win32Backend::SetTimer(WindowHandle w, int timerId, uint32_t periodMs) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  // Setting an id again restarts it with the new period.
  ::SetTimer(e->hwnd, UINT_PTR(uint32_t(timerId)), periodMs == 0 ? USER_TIMER_MINIMUM : UINT(periodMs), nullptr);
}

void Win32Backend::KillTimer(WindowHandle w, int timerId) {
  if (Entry* e = Find(w)) ::KillTimer(e->hwnd, UINT_PTR(uint32_t(timerId)));
}

}  // namespace vorenn::platform::win32
