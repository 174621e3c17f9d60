#include "engine/frame.h"

#include "engine/internal/frame_state.h"
#include "engine/program_directory.h"
#include "engine/window_template.h"
#include "engine/window_template_units.h"
#include "platform/backend.h"
#include "platform/process.h"

namespace vorenn {
namespace internal {

FrameState& Frame() {
  // Lives as long as the process: workers may still read it while the process ends.
  static FrameState* state = new FrameState;
  return *state;
}

void MarkLoopStarted() { Frame().loopStarted = true; }

}  // namespace internal

using internal::Frame;

const char* ModuleDirectory() {
  thread_local std::string dir;
  dir = ProgramDirectory();
  if (dir != "/") dir += '/';
  return dir.c_str();
}

void SuppressEvents() { ++Frame().eventSuppression; }
void ResumeEvents() {
  if (Frame().eventSuppression > 0) --Frame().eventSuppression;
}
bool EventsSuppressed() { return Frame().eventSuppression > 0; }

void SetEndCallback(EndCallback callback) { Frame().endCallback = callback; }
EndCallback CurrentEndCallback() { return Frame().endCallback; }

platform::WindowHandle EngineWindow() { return Frame().engineWindow; }
uint32_t MainThreadId() { return Frame().mainThreadId; }
bool OnMainThread() {
  uint32_t main = Frame().mainThreadId;
  return main == 0 || main == platform::CurrentThreadId();
}

void SetExtraDllDirectory(const std::string& dir) { Frame().extraDllDirectory = dir; }
const std::string& ExtraDllDirectory() { return Frame().extraDllDirectory; }

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

bool LoopStarted() { return Frame().loopStarted; }
bool Exiting() { return Frame().exiting; }

void AddLoadedWindow(platform::WindowHandle window) {
  if (window != platform::kNoWindow) Frame().loadedWindows.insert(window);
}

bool AnyLoadedWindowAlive() {
  for (platform::WindowHandle w : Frame().loadedWindows)
    if (platform::Native().IsWindow(w)) return true;
  for (const WindowInstance* instance : LoadedWindows()) {
    const UnitWindow* window = instance->records.empty() ? nullptr : instance->records[0].window;
    if (window != nullptr && platform::Native().IsWindow(window->Handle())) return true;
  }
  return false;
}

void LoadedWindowDestroyed(platform::WindowHandle window) {
  Frame().loadedWindows.erase(window);
  // Called while the window is being destroyed: it may still answer IsWindow, so it is left out.
  if (Frame().loopStarted && !AnyLoadedWindowAlive()) platform::Native().PostQuit(0);
}

}  // namespace vorenn
