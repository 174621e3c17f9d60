// The handle registry of the internet stand-in. Handle values are numbers that are never reused, so
// a stale handle is recognised instead of being followed into freed memory.
#include "platform/stand_ins/internet_internal.h"

#include <unordered_map>

namespace vorenn::internet {
namespace {

thread_local DWORD t_lastError = 0;

// Never destroyed: a worker that was abandoned may still close its handles while the process exits.
struct Registry {
  std::mutex lock;
  std::unordered_map<uintptr_t, std::shared_ptr<Handle>> handles;
  uintptr_t nextValue = 0x10000;
};
Registry& R() {
  static Registry* registry = new Registry;
  return *registry;
}

uintptr_t ValueOf(HINTERNET h) { return reinterpret_cast<uintptr_t>(h); }

// Marks h and its descendants closed; the caller holds the registry lock.
void CloseTree(Handle& h) {
  if (h.closed.exchange(true)) return;
  h.OnClosed();
  for (auto& weak : h.children) {
    if (auto child = weak.lock()) CloseTree(*child);
  }
  h.children.clear();
}

}  // namespace

void SetLastError(DWORD error) { t_lastError = error; }
DWORD LastError() { return t_lastError; }

HINTERNET RegisterHandle(const std::shared_ptr<Handle>& h, const std::shared_ptr<Handle>& parent) {
  Registry& r = R();
  std::lock_guard lock(r.lock);
  if (parent) {
    if (parent->closed) return nullptr;
    std::erase_if(parent->children, [](const std::weak_ptr<Handle>& w) { return w.expired(); });
    parent->children.push_back(h);
  }
  uintptr_t value = r.nextValue;
  r.nextValue += 4;
  r.handles.emplace(value, h);
  return reinterpret_cast<HINTERNET>(value);
}

std::shared_ptr<Handle> FindHandle(HINTERNET value, HandleKind kind) {
  Registry& r = R();
  std::lock_guard lock(r.lock);
  auto it = r.handles.find(ValueOf(value));
  if (it == r.handles.end() || it->second->kind != kind || it->second->closed) return nullptr;
  return it->second;
}

bool CloseHandleValue(HINTERNET value) {
  std::shared_ptr<Handle> h;
  {
    Registry& r = R();
    std::lock_guard lock(r.lock);
    auto it = r.handles.find(ValueOf(value));
    if (it == r.handles.end()) return false;
    h = std::move(it->second);
    r.handles.erase(it);
    CloseTree(*h);
    // Descendants leave the registry with their parent: their handle values are dead now.
    std::erase_if(r.handles, [](const auto& entry) { return entry.second->closed.load(); });
  }
  // The last reference may go here or in a call still working on the handle, outside the lock.
  return true;
}

}  // namespace vorenn::internet
