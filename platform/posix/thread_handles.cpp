#include "platform/thread_handles.h"

#include <map>
#include <mutex>
#include <vector>

#include "platform/stand_ins/host_hooks.h"

namespace vorenn::platform {
namespace {

// Any input the UI thread can wake for; the game asks with 0x4BF, the full set is 0x4FF.
constexpr uint32_t kAnyInputMask = 0x4FF;

std::mutex g_mutex;
std::map<void*, ThreadRef> g_handles;

// Distinct, never dereferenced addresses.
struct HandleToken {
  char unused;
};

void* StartThreadHook(uint32_t (*routine)(void*), void* parameter, uint32_t* threadId) {
  ThreadRef t = StartThread(routine, parameter);
  if (!t) return nullptr;
  void* handle = new HandleToken{};
  {
    std::lock_guard lock(g_mutex);
    g_handles[handle] = t;
  }
  if (threadId != nullptr) *threadId = t->Id();
  return handle;
}

uint32_t WaitHook(uint32_t count, void* const* handles, int waitAll, uint32_t milliseconds,
                  uint32_t wakeMask) {
  // Windows refuses more than 64 objects; so do we.
  if (count == 0 || count > 64 || handles == nullptr) return kWaitFailed;
  std::vector<ThreadRef> threads;
  for (uint32_t i = 0; i < count; ++i) {
    ThreadRef t = ThreadOfHandle(handles[i]);
    if (!t) return kWaitFailed;
    threads.push_back(std::move(t));
  }
  return WaitForThreadsOrInput(threads, waitAll != 0, milliseconds, (wakeMask & kAnyInputMask) != 0);
}

int TerminateHook(void* handle, uint32_t exitCode) {
  ThreadRef t = ThreadOfHandle(handle);
  if (!t) return 0;
  t->Abandon(exitCode);
  return 1;
}

int CloseHook(void* handle) {
  std::lock_guard lock(g_mutex);
  auto it = g_handles.find(handle);
  if (it == g_handles.end()) return 0;
  g_handles.erase(it);
  delete static_cast<HandleToken*>(handle);
  return 1;
}

const VorennHostHooks kHooks{StartThreadHook, WaitHook, TerminateHook, CloseHook};

}  // namespace

const VorennHostHooks& HostHooks() { return kHooks; }

ThreadRef ThreadOfHandle(void* handle) {
  std::lock_guard lock(g_mutex);
  auto it = g_handles.find(handle);
  return it == g_handles.end() ? nullptr : it->second;
}

int OpenThreadHandleCount() {
  std::lock_guard lock(g_mutex);
  return int(g_handles.size());
}

}  // namespace vorenn::platform
