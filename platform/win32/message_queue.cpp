// The Win32 message queue of the UI thread: engine events queued in order and woken by a message
// posted to the backend's hidden window (so they keep their order with other posted messages), the
// quit message, dispatch, idle passes, and the message-aware wait on MsgWaitForMultipleObjects
// with an event that Wake sets.
#include <algorithm>

#include "platform/win32/win32_backend_class.h"

namespace vorenn::platform::win32 {
namespace {

bool IsInputMessage(UINT m) {
  return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST);
}

DWORD MillisecondsUntil(Deadline deadline) {
  if (deadline == kNoDeadline) return INFINITE;
  int64_t left = std::max<int64_t>(0, deadline - SteadyNowMs());
  return DWORD(std::min<int64_t>(left, INFINITE - 1));
}

}  // namespace

LRESULT CALLBACK Win32Backend::QueueProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kQueuedEventMessage) {
    auto* b = reinterpret_cast<Win32Backend*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (b != nullptr) b->TakeQueued();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Win32Backend::PostEvent(const WindowEvent& event, std::function<void()> onHandled) {
  {
    std::lock_guard lock(queueMutex_);
    queue_.push_back(Queued{event, std::move(onHandled)});
  }
  // One wake-up per event: each takes the oldest one, in the order the system's queue keeps.
  PostMessageW(queueWindow_, kQueuedEventMessage, 0, 0);
}

void Win32Backend::TakeQueued() {
  Queued item;
  {
    std::lock_guard lock(queueMutex_);
    if (queue_.empty()) return;
    item = std::move(queue_.front());
    queue_.pop_front();
  }
  const WindowEvent& e = item.event;
  if (IsInputEvent(e.kind)) sawInput_ = true;
  if (e.kind == EventKind::CloseRequested) {
    if (IsWindow(e.window) && !Deliver(e).swallow) DestroyNativeWindow(e.window);
  } else {
    Deliver(e);
  }
  if (item.onHandled) item.onHandled();
}

void Win32Backend::PostQuit(int exitCode) {
  quitCode_ = exitCode;
  quitPending_ = true;
  // Any wait in progress ends and finds the quit message.
  PostMessageW(queueWindow_, WM_NULL, 0, 0);
}

bool Win32Backend::MessageWaiting() {
  if (quitPending_) return true;
  {
    std::lock_guard lock(queueMutex_);
    if (!queue_.empty()) return true;
  }
  MSG msg;
  return PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_NOYIELD) != FALSE;
}

void Win32Backend::DispatchOne(const MSG& msg) {
  if (IsInputMessage(msg.message)) sawInput_ = true;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

bool Win32Backend::DispatchMessages(bool block, int* exitCode, bool* sawInput) {
  sawInput_ = false;
  if (!quitPending_) {
    MSG msg;
    bool any = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE;
    if (!any && block) {
      // The quit flag is set before its wake-up is posted, so the wait ends for it.
      while (!quitPending_ && !(any = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE)) WaitMessage();
    }
    while (any && !quitPending_) {
      if (msg.message == WM_QUIT) {
        // A quit message of the system's own (a dialog that ended the loop) ends it here too.
        quitCode_ = int(msg.wParam);
        quitPending_ = true;
        break;
      }
      DispatchOne(msg);
      any = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE;
    }
  }
  if (sawInput != nullptr) *sawInput = sawInput_;
  if (quitPending_.exchange(false)) {
    if (exitCode != nullptr) *exitCode = quitCode_;
    return false;
  }
  return true;
}

void Win32Backend::DispatchPending() {
  MSG msg;
  while (!quitPending_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quitCode_ = int(msg.wParam);
      quitPending_ = true;
      return;
    }
    DispatchOne(msg);
  }
}

bool Win32Backend::Idle(int) { return false; }

bool Win32Backend::WaitForInputOrWake(Deadline deadline, bool wantInput) {
  if (!wantInput) {
    WaitForSingleObject(wakeEvent_, MillisecondsUntil(deadline));
    return false;
  }
  // A Wake that came first ends the wait at once.
  if (WaitForSingleObject(wakeEvent_, 0) == WAIT_OBJECT_0) return false;
  // A quit message waiting is input the wait is for: the program is ending.
  if (MessageWaiting()) return true;
  DWORD r = MsgWaitForMultipleObjectsEx(1, &wakeEvent_, MillisecondsUntil(deadline), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  if (r == WAIT_OBJECT_0 + 1) return true;
  return false;
}

void Win32Backend::Wake() { SetEvent(wakeEvent_); }

}  // namespace vorenn::platform::win32
