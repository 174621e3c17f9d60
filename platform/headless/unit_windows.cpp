// Headless state that the standard units need: reparenting, frames, show states, styles,
// appearance, edit-box selection, scroll bars, pointers, and the user input that drives them.
#include <algorithm>

#include "platform/headless/headless_backend.h"

namespace vorenn::platform {

void HeadlessBackend::SetParent(WindowHandle w, WindowHandle parent) {
  WindowRecord* r = Find(w);
  if (r == nullptr || r->role == WindowRole::TopLevel || r->role == WindowRole::Engine) return;
  if (parent == w || Find(parent) == nullptr || r->parent == parent) return;
  // A window never goes below one of its own descendants.
  for (WindowHandle p = parent; p != kNoWindow; p = ParentOf(p)) {
    if (p == w) return;
  }
  auto& old = SiblingsOf(r->parent);
  old.erase(std::remove(old.begin(), old.end(), w), old.end());
  r->parent = parent;
  SiblingsOf(parent).push_back(w);
}

FrameMargins HeadlessBackend::FrameOf(WindowHandle w) const {
  auto r = Find(w);
  return r != nullptr && r->role == WindowRole::TopLevel ? kHeadlessFrame : FrameMargins{};
}

void HeadlessBackend::SetShowState(WindowHandle w, ShowState state) {
  WindowRecord* r = Find(w);
  if (r == nullptr || r->role != WindowRole::TopLevel || r->showState == state) return;
  ShowState old = r->showState;
  r->showState = state;
  if (old == ShowState::Normal) r->normalRect = r->rect;
  WindowEvent e;
  e.window = w;
  if (state == ShowState::Minimized) {
    e.kind = EventKind::Minimized;
    Deliver(e);
    return;
  }
  if (old == ShowState::Minimized) {
    e.kind = EventKind::Restored;
    Deliver(e);
  }
  if (!IsWindow(w)) return;
  if (state == ShowState::Maximized) {
    SetGeometry(w, ScreenArea());
  } else if (old == ShowState::Maximized) {
    SetGeometry(w, Find(w)->normalRect);
  }
}

ShowState HeadlessBackend::ShowStateOf(WindowHandle w) const {
  auto r = Find(w);
  return r ? r->showState : ShowState::Normal;
}

void HeadlessBackend::SetStyle(WindowHandle w, uint32_t style) {
  if (WindowRecord* r = Find(w)) r->style = style;
}

uint32_t HeadlessBackend::StyleOf(WindowHandle w) const {
  auto r = Find(w);
  return r ? r->style : 0;
}

void HeadlessBackend::SetAppearance(WindowHandle w, const Appearance& appearance) {
  if (WindowRecord* r = Find(w)) r->appearance = appearance;
}

Appearance HeadlessBackend::AppearanceOf(WindowHandle w) const {
  auto r = Find(w);
  return r ? r->appearance : Appearance{};
}

void HeadlessBackend::SetSelection(WindowHandle w, int start, int length) {
  WindowRecord* r = Find(w);
  if (r == nullptr) return;
  int size = int(r->text.size());
  r->selStart = std::clamp(start, 0, size);
  r->selLength = std::clamp(length, 0, size - r->selStart);
}

void HeadlessBackend::Selection(WindowHandle w, int* start, int* length) const {
  auto r = Find(w);
  int size = r ? int(r->text.size()) : 0;
  *start = r ? std::min(r->selStart, size) : 0;
  *length = r ? std::min(r->selLength, size - *start) : 0;
}

void HeadlessBackend::SetScrollBar(WindowHandle w, const ScrollBarState& state) {
  if (WindowRecord* r = Find(w)) r->scroll = state;
}

ScrollBarState HeadlessBackend::ScrollBarOf(WindowHandle w) const {
  auto r = Find(w);
  return r ? r->scroll : ScrollBarState{};
}

void HeadlessBackend::SetPointer(WindowHandle w, PointerShape shape) {
  if (WindowRecord* r = Find(w)) r->pointer = shape;
}

PointerShape HeadlessBackend::PointerOf(WindowHandle w) const {
  auto r = Find(w);
  return r ? r->pointer : PointerShape::Default;
}

bool HeadlessBackend::IsShowing(WindowHandle w) const {
  for (auto r = Find(w); r != nullptr; r = Find(r->parent)) {
    if (!r->visible) return false;
    if (r->parent == kNoWindow) return true;
  }
  return false;
}

void HeadlessBackend::CountInputReached(const WindowEvent& e) {
  if (WindowRecord* r = Find(e.window)) ++r->inputReached[e.kind];
}

int HeadlessBackend::InputReachedWindow(WindowHandle w, EventKind kind) const {
  auto r = Find(w);
  if (r == nullptr) return 0;
  auto it = r->inputReached.find(kind);
  return it == r->inputReached.end() ? 0 : it->second;
}

void HeadlessBackend::Scroll(WindowHandle w, ScrollAction action, int thumbPosition) {
  WindowEvent e;
  e.kind = EventKind::ScrollChanged;
  e.window = w;
  e.scrollAction = action;
  e.value = thumbPosition;
  PostEvent(e);
}

void HeadlessBackend::Wheel(WindowHandle w, int notches, int keyState) {
  WindowEvent e;
  e.kind = EventKind::Wheel;
  e.window = w;
  e.wheelNotches = notches;
  e.keyState = keyState;
  PostEvent(e);
}

void HeadlessBackend::TrayClick(WindowHandle w, int action) {
  WindowEvent e;
  e.kind = EventKind::TrayIcon;
  e.window = w;
  e.trayAction = action;
  PostEvent(e);
}

}  // namespace vorenn::platform
