// Headless native windows: records with geometry, flags, text, z-order, focus and an event sink.
#include <algorithm>

#include "platform/headless/headless_backend.h"

namespace vorenn::platform {

HeadlessBackend::WindowRecord* HeadlessBackend::Find(WindowHandle w) {
  auto it = windows_.find(w);
  return it == windows_.end() ? nullptr : &it->second;
}

const HeadlessBackend::WindowRecord* HeadlessBackend::Find(WindowHandle w) const {
  auto it = windows_.find(w);
  return it == windows_.end() ? nullptr : &it->second;
}

std::vector<WindowHandle>& HeadlessBackend::SiblingsOf(WindowHandle parent) {
  return children_[parent];
}

WindowHandle HeadlessBackend::CreateNativeWindow(const WindowSpec& params) {
  // A child needs a live parent; a top-level window's owner may be gone.
  bool child = params.role != WindowRole::TopLevel && params.role != WindowRole::Engine;
  if (child && Find(params.parent) == nullptr) return kNoWindow;
  WindowHandle w = nextHandle_++;
  WindowHandle parent = child ? params.parent : kNoWindow;
  bool visible = params.role == WindowRole::Engine ? false : params.visible;
  Rect rect = params.role == WindowRole::Engine ? Rect{} : params.geometry;
  WindowRecord& r = windows_[w];
  r.role = params.role;
  r.parent = parent;
  r.rect = rect;
  r.text = params.text;
  r.style = params.style;
  r.visible = visible;
  r.enabled = params.enabled;
  // New windows go to the bottom of their siblings, as native child windows do.
  SiblingsOf(parent).push_back(w);
  return w;
}

void HeadlessBackend::DestroyTree(WindowHandle w) {
  auto kids = children_[w];
  for (WindowHandle c : kids) DestroyTree(c);
  WindowEvent e;
  e.kind = EventKind::Destroyed;
  e.window = w;
  Deliver(e);
  WindowRecord* r = Find(w);
  if (r == nullptr) return;
  auto& sibs = SiblingsOf(r->parent);
  sibs.erase(std::remove(sibs.begin(), sibs.end(), w), sibs.end());
  children_.erase(w);
  for (auto it = timers_.begin(); it != timers_.end();)
    it = it->first.first == w ? timers_.erase(it) : std::next(it);
  trays_.erase(w);
  if (focus_ == w) focus_ = kNoWindow;
  windows_.erase(w);
}

void HeadlessBackend::DestroyNativeWindow(WindowHandle w) {
  if (Find(w) != nullptr) DestroyTree(w);
}

bool HeadlessBackend::IsWindow(WindowHandle w) const { return Find(w) != nullptr; }

WindowHandle HeadlessBackend::ParentOf(WindowHandle w) const {
  auto r = Find(w);
  return r ? r->parent : kNoWindow;
}

WindowRole HeadlessBackend::RoleOf(WindowHandle w) const {
  auto r = Find(w);
  return r ? r->role : WindowRole::TopLevel;
}

void HeadlessBackend::SetGeometry(WindowHandle w, const Rect& rect) {
  WindowRecord* r = Find(w);
  if (r == nullptr || r->role == WindowRole::Engine || r->rect == rect) return;
  bool moved = rect.left != r->rect.left || rect.top != r->rect.top;
  bool resized = rect.width != r->rect.width || rect.height != r->rect.height;
  r->rect = rect;
  WindowEvent e;
  e.window = w;
  if (moved) {
    e.kind = EventKind::Moved;
    Deliver(e);
  }
  if (resized && IsWindow(w)) {
    e.kind = EventKind::Resized;
    Deliver(e);
  }
}

Rect HeadlessBackend::Geometry(WindowHandle w) const {
  auto r = Find(w);
  return r ? r->rect : Rect{};
}

void HeadlessBackend::Show(WindowHandle w, bool visible) {
  WindowRecord* r = Find(w);
  if (r == nullptr || r->role == WindowRole::Engine) return;
  r->visible = visible;
}

bool HeadlessBackend::IsVisible(WindowHandle w) const {
  auto r = Find(w);
  return r != nullptr && r->visible;
}

void HeadlessBackend::Enable(WindowHandle w, bool enabled) {
  if (WindowRecord* r = Find(w)) r->enabled = enabled;
}

bool HeadlessBackend::IsEnabled(WindowHandle w) const {
  auto r = Find(w);
  return r != nullptr && r->enabled;
}

void HeadlessBackend::SetText(WindowHandle w, std::string_view gbk) {
  if (WindowRecord* r = Find(w)) r->text = std::string(gbk);
}

std::string HeadlessBackend::Text(WindowHandle w) const {
  auto r = Find(w);
  return r ? r->text : std::string();
}

void HeadlessBackend::PlaceBelow(WindowHandle w, WindowHandle above) {
  WindowRecord* r = Find(w);
  if (r == nullptr || w == above) return;
  auto& sibs = SiblingsOf(r->parent);
  sibs.erase(std::remove(sibs.begin(), sibs.end(), w), sibs.end());
  auto pos = std::find(sibs.begin(), sibs.end(), above);
  sibs.insert(above == kNoWindow || pos == sibs.end() ? sibs.begin() : pos + 1, w);
}

std::vector<WindowHandle> HeadlessBackend::Children(WindowHandle parent) const {
  auto it = children_.find(parent);
  return it == children_.end() ? std::vector<WindowHandle>{} : it->second;
}

void HeadlessBackend::SetFocus(WindowHandle w) {
  if (w == focus_ || (w != kNoWindow && (Find(w) == nullptr || !Find(w)->enabled))) return;
  WindowHandle old = focus_;
  focus_ = w;
  WindowEvent e;
  if (old != kNoWindow) {
    e.kind = EventKind::FocusOut;
    e.window = old;
    Deliver(e);
  }
  if (w != kNoWindow && focus_ == w) {
    e.kind = EventKind::FocusIn;
    e.window = w;
    Deliver(e);
  }
}

void HeadlessBackend::SetEventSink(WindowHandle w, EventSink sink) {
  if (WindowRecord* r = Find(w)) r->sink = std::move(sink);
}

EventAnswer HeadlessBackend::Deliver(const WindowEvent& event) {
  return DeliverEvent(event, preTranslate_, [&]() -> const EventSink* {
    const WindowRecord* r = Find(event.window);
    return r != nullptr ? &r->sink : nullptr;
  });
}

}  // namespace vorenn::platform
