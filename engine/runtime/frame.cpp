#include "engine/runtime/frame.h"

#include "engine/runtime/internal/frame_state.h"
#include "platform/backend.h"
#include "platform/process.h"

namespace vorenn {
namespace internal {

FrameState& Frame() {
  // Lives as long as the process: workers may still read it while the process ends.
  static FrameState* state = new FrameState;
  return *state;
}

}  // namespace internal

using internal::Frame;

void SetEndCallback(EndCallback callback) { Frame().endCallback = callback; }
EndCallback CurrentEndCallback() { return Frame().endCallback; }

platform::WindowHandle EngineWindow() { return Frame().engineWindow; }
uint32_t MainThreadId() { return Frame().mainThreadId; }
bool OnMainThread() {
  uint32_t main = Frame().mainThreadId;
  return main == 0 || main == platform::CurrentThreadId();
}

void AddIdleHandler(platform::WindowHandle window, IdleRoutine routine, intptr_t argument) {
  if (routine != nullptr) Frame().idleHandlers.push_back({window, routine, argument});
}

void RunIdleHandlers() {
  auto& list = Frame().idleHandlers;
  // A routine may add or remove entries; walk by index from the end and re-check the bounds.
  for (size_t i = list.size(); i-- > 0;) {
    if (i >= list.size()) continue;
    internal::IdleEntry entry = list[i];
    if (platform::Native().IsWindow(entry.window)) {
      entry.routine(entry.argument);
    } else {
      list.erase(list.begin() + ptrdiff_t(i));
    }
  }
}

void ClearIdleHandlers() { Frame().idleHandlers.clear(); }
int IdleHandlerCount() { return int(Frame().idleHandlers.size()); }

bool Exiting() { return Frame().exiting; }

}  // namespace vorenn
