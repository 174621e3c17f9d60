// The handle registry of the internet stand-in. Handle values are numbers that are never reused, so
// a stale handle is recognised instead of being followed into freed memory.
#include "platform/stand_ins/internet_internal.h"

#include <unordered_map>

namespace vorenn::internet {
namespace {

thread_local DWORD t_lastError = 0;

std::mutex g_lock;
std::unordered_map<uintptr_t, std::shared_ptr<Handle>> g_handles;
uintptr_t g_nextValue = 0x10000;

uintptr_t ValueOf(HINTERNET h) { return reinterpret_cast<uintptr_t>(h); }

// Marks h and its descendants closed; the caller holds g_lock.
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
  std::lock_guard lock(g_lock);
  if (parent) {
    if (parent->closed) return nullptr;
    std::erase_if(parent->children, [](const std::weak_ptr<Handle>& w) { return w.expired(); });
    parent->children.push_back(h);
  }
  uintptr_t value = g_nextValue;
  g_nextValue += 4;
  g_handles.emplace(value, h);
  return reinterpret_cast<HINTERNET>(value);
}

std::shared_ptr<Handle> FindHandle(HINTERNET value, HandleKind kind) {
  std::lock_guard lock(g_lock);
  auto it = g_handles.find(ValueOf(value));
  if (it == g_handles.end() || it->second->kind != kind || it->second->closed) return nullptr;
  return it->second;
}

bool CloseHandleValue(HINTERNET value) {
  std::shared_ptr<Handle> h;
  {
    std::lock_guard lock(g_lock);
    auto it = g_handles.find(ValueOf(value));
    if (it == g_handles.end()) return false;
    h = std::move(it->second);
    g_handles.erase(it);
    CloseTree(*h);
    // Descendants leave the registry with their parent: their handle values are dead now.
    std::erase_if(g_handles, [](const auto& entry) { return entry.second->closed.load(); });
  }
  // The last reference may go here or in a call still working on the handle, outside the lock.
  return true;
}

}  // namespace vorenn::internet
