// The thread role of the system libraries: CreateThread, MsgWaitForMultipleObjects,
// TerminateThread and CloseHandle with their usual signatures and results, carried out by the
// host's threads and its message-aware wait (handed over at load time).
#include <cstdint>

#include "platform/stand_ins/host_hooks.h"
#include "platform/stand_ins/stand_in.h"

namespace {

using DWORD = uint32_t;
using BOOL = int;
using HANDLE = void*;
using ThreadStart = DWORD (*)(void*);

const VorennHostHooks* g_host = nullptr;

constexpr DWORD kWaitFailed = 0xFFFFFFFF;

}  // namespace

extern "C" {

__attribute__((visibility("default"))) HANDLE CreateThread(void* /*securityAttributes*/,
                                                           uintptr_t /*stackSize*/,
                                                           ThreadStart startAddress, void* parameter,
                                                           DWORD creationFlags, DWORD* threadId) {
  // Suspended creation has no resume here; refuse it rather than start the thread anyway.
  constexpr DWORD kCreateSuspended = 0x4;
  if (g_host == nullptr || startAddress == nullptr || (creationFlags & kCreateSuspended) != 0)
    return nullptr;
  return g_host->startThread(startAddress, parameter, threadId);
}

__attribute__((visibility("default"))) DWORD MsgWaitForMultipleObjects(DWORD count,
                                                                       const HANDLE* handles,
                                                                       BOOL waitAll,
                                                                       DWORD milliseconds,
                                                                       DWORD wakeMask) {
  if (g_host == nullptr) return kWaitFailed;
  return g_host->waitForThreadsOrInput(count, handles, waitAll, milliseconds, wakeMask);
}

__attribute__((visibility("default"))) BOOL TerminateThread(HANDLE thread, DWORD exitCode) {
  return g_host != nullptr ? g_host->terminateThread(thread, exitCode) : 0;
}

__attribute__((visibility("default"))) BOOL CloseHandle(HANDLE object) {
  return g_host != nullptr ? g_host->closeHandle(object) : 0;
}

__attribute__((visibility("default"))) void vorenn_stand_in_attach(const VorennHostHooks* hooks) {
  g_host = hooks;
}

__attribute__((visibility("default"))) const StandInExport* vorenn_stand_in_exports(int* count) {
  static const StandInExport kExports[] = {
      {"CreateThread", reinterpret_cast<void*>(&CreateThread), 6},
      {"MsgWaitForMultipleObjects", reinterpret_cast<void*>(&MsgWaitForMultipleObjects), 5},
      {"TerminateThread", reinterpret_cast<void*>(&TerminateThread), 2},
      {"CloseHandle", reinterpret_cast<void*>(&CloseHandle), 1},
  };
  *count = int(sizeof kExports / sizeof kExports[0]);
  return kExports;
}

}  // extern "C"
