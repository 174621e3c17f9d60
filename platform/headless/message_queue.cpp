// The headless message queue: posted events and the quit message from any thread, due timers,
// dispatch with pre-translation, idle passes and the message-aware wait.
#include "platform/headless/headless_backend.h"

#include <algorithm>
#include <chrono>

namespace vorenn::platform {
namespace {
constexpr int kKeySpace = 0x20;
constexpr int kKeyBackspace = 0x08;
}  // namespace

void HeadlessBackend::PostEvent(const WindowEvent& event, std::function<void()> onHandled) {
  {
    std::lock_guard lock(queueMutex_);
    queue_.push_back(Queued{event, std::move(onHandled)});
  }
  queueCv_.notify_all();
}

void HeadlessBackend::PostQuit(int exitCode) {
  {
    std::lock_guard lock(queueMutex_);
    Queued q;
    q.quit = true;
    q.quitCode = exitCode;
    queue_.push_back(std::move(q));
  }
  queueCv_.notify_all();
}

bool HeadlessBackend::QuitPending() {
  std::lock_guard lock(queueMutex_);
  return std::any_of(queue_.begin(), queue_.end(), [](const Queued& q) { return q.quit; });
}

bool HeadlessBackend::MessageWaiting() {
  {
    std::lock_guard lock(queueMutex_);
    if (!queue_.empty()) return true;
  }
  std::optional<uint64_t> next = NextTimerDue();
  return next && *next <= nowMs_;
}

bool HeadlessBackend::TakeNext(Queued* out) {
  {
    std::lock_guard lock(queueMutex_);
    if (!queue_.empty()) {
      *out = std::move(queue_.front());
      queue_.pop_front();
      return true;
    }
  }
  // Timer events are made only when nothing else is queued, as native timers are.
  if (std::optional<WindowEvent> t = TakeDueTimer()) {
    *out = Queued{*t, {}};
    return true;
  }
  return false;
}

bool HeadlessBackend::DispatchMessages(bool block, int* exitCode, bool* sawInput) {
  bool dispatched = false;
  if (sawInput != nullptr) *sawInput = false;
  for (;;) {
    Queued item;
    if (!TakeNext(&item)) {
      if (!block || dispatched) return true;
      if (idleDriver_ && idleDriver_()) continue;
      std::unique_lock lock(queueMutex_);
      queueCv_.wait(lock, [&] { return !queue_.empty(); });
      continue;
    }
    if (item.quit) {
      if (exitCode != nullptr) *exitCode = item.quitCode;
      return false;
    }
    if (sawInput != nullptr && IsInputEvent(item.event.kind)) *sawInput = true;
    Dispatch(item);
    dispatched = true;
  }
}

void HeadlessBackend::DispatchPending() {
  for (;;) {
    Queued item;
    {
      std::lock_guard lock(queueMutex_);
      if (!queue_.empty() && queue_.front().quit) return;
    }
    if (!TakeNext(&item)) return;
    Dispatch(item);
  }
}

void HeadlessBackend::Dispatch(Queued& item) {
  const WindowEvent& e = item.event;
  if (IsInputEvent(e.kind)) {
    DispatchInput(e);
  } else if (e.kind == EventKind::CloseRequested) {
    if (IsWindow(e.window) && !Deliver(e).swallow) DestroyNativeWindow(e.window);
  } else {
    Deliver(e);
  }
  if (item.onHandled) item.onHandled();
}

// Input reaches only enabled, visible windows; what a sink lets through gets the window's own
// handling: focus on a press, a click on a button's release, characters into an edit box. The wheel
// goes to the focused window, as on the desktop, not to the one under the pointer.
void HeadlessBackend::DispatchInput(const WindowEvent& input) {
  WindowEvent e = input;
  // The wheel turns for the window that has the keyboard focus, wherever the pointer is.
  if (e.kind == EventKind::Wheel && IsWindow(focus_)) e.window = focus_;
  WindowRecord* r = Find(e.window);
  if (r == nullptr || !r->enabled || !r->visible) return;
  WindowRole role = r->role;
  if (e.kind == EventKind::MouseDown && role != WindowRole::Label && role != WindowRole::GroupBox)
    SetFocus(e.window);
  EventAnswer a = Deliver(e);
  if (a.swallow || !IsWindow(e.window)) return;
  CountInputReached(e);
  bool buttonRelease = (e.kind == EventKind::MouseUp && e.button == MouseButton::Left) ||
                       (e.kind == EventKind::KeyUp && e.key == kKeySpace);
  if (role == WindowRole::Button && buttonRelease) {
    ToggleOnClick(e.window);
    WindowEvent c;
    c.kind = EventKind::Clicked;
    c.window = e.window;
    Deliver(c);
  } else if (role == WindowRole::EditBox && e.kind == EventKind::Char) {
    EditBoxChar(e.window, a.replacementChar >= 0 ? a.replacementChar : e.key);
  }
}

void HeadlessBackend::EditBoxChar(WindowHandle w, int character) {
  WindowRecord* r = Find(w);
  if (r == nullptr || (r->style & kStyleReadOnly) != 0) return;
  if (character == kKeyBackspace) {
    if (r->text.empty()) return;
    // Remove one character, both bytes of a double-byte one.
    size_t i = 0, last = 0;
    while (i < r->text.size()) {
      last = i;
      i += (uint8_t(r->text[i]) >= 0x81 && i + 1 < r->text.size()) ? 2 : 1;
    }
    r->text.erase(last);
  } else if (character >= 0x100) {
    r->text.push_back(char(character >> 8));
    r->text.push_back(char(character & 0xFF));
  } else if (character >= 0x20) {
    r->text.push_back(char(character));
  } else {
    return;
  }
  WindowEvent c;
  c.kind = EventKind::TextChanged;
  c.window = w;
  Deliver(c);
}

bool HeadlessBackend::Idle(int passCount) {
  ++idlePasses_;
  return passCount < 1;
}

bool HeadlessBackend::WaitForInputOrWake(Deadline deadline, bool wantInput) {
  if (wantInput && MessageWaiting()) return true;
  std::unique_lock lock(queueMutex_);
  auto ready = [&] { return wakePending_ || (wantInput && !queue_.empty()); };
  if (deadline == kNoDeadline)
    queueCv_.wait(lock, ready);
  else
    queueCv_.wait_for(lock, std::chrono::milliseconds(std::max<int64_t>(0, deadline - SteadyNowMs())),
                      ready);
  bool woken = wakePending_;
  wakePending_ = false;
  return !woken && wantInput && !queue_.empty();
}

void HeadlessBackend::Wake() {
  {
    std::lock_guard lock(queueMutex_);
    wakePending_ = true;
  }
  queueCv_.notify_all();
}

void HeadlessBackend::Click(WindowHandle w) {
  Rect r = Geometry(w);
  WindowEvent e;
  e.window = w;
  e.button = MouseButton::Left;
  e.x = r.width / 2;
  e.y = r.height / 2;
  e.kind = EventKind::MouseDown;
  PostEvent(e);
  e.kind = EventKind::MouseUp;
  PostEvent(e);
}

void HeadlessBackend::RequestClose(WindowHandle w) {
  WindowEvent e;
  e.kind = EventKind::CloseRequested;
  e.window = w;
  PostEvent(e);
}

void HeadlessBackend::PressKey(WindowHandle w, int keyCode, int keyState) {
  WindowEvent e;
  e.window = w;
  e.key = keyCode;
  e.keyState = keyState;
  e.kind = EventKind::KeyDown;
  PostEvent(e);
  e.kind = EventKind::KeyUp;
  PostEvent(e);
}

void HeadlessBackend::TypeChar(WindowHandle w, int character) {
  WindowEvent e;
  e.kind = EventKind::Char;
  e.window = w;
  e.key = character;
  PostEvent(e);
}

}  // namespace vorenn::platform
