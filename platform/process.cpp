#include "platform/process.h"

#include <atomic>

namespace vorenn::platform {
namespace {
std::atomic<uint32_t> g_uiThread{0};
}

void MarkUiThread() { g_uiThread = CurrentThreadId(); }

bool OnUiThread() {
  uint32_t ui = g_uiThread.load();
  return ui == 0 || ui == CurrentThreadId();
}

}  // namespace vorenn::platform
