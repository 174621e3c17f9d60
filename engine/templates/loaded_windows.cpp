#include "engine/templates/loaded_windows.h"

#include <set>

#include "engine/templates/window_template.h"
#include "engine/templates/window_template_units.h"
#include "platform/backend.h"

namespace vorenn {
namespace {

bool g_loopStarted = false;

// Lives as long as the process, as the rest of the application object does: a window may be
// destroyed while the process ends.
std::set<platform::WindowHandle>& Windows() {
  static auto* windows = new std::set<platform::WindowHandle>;
  return *windows;
}

}  // namespace

void MarkLoopStarted() { g_loopStarted = true; }
bool LoopStarted() { return g_loopStarted; }

void AddLoadedWindow(platform::WindowHandle window) {
  if (window != platform::kNoWindow) Windows().insert(window);
}

bool AnyLoadedWindowAlive() {
  for (platform::WindowHandle w : Windows())
    if (platform::Native().IsWindow(w)) return true;
  for (const WindowInstance* instance : LoadedWindows()) {
    const UnitWindow* window = instance->records.empty() ? nullptr : instance->records[0].window;
    if (window != nullptr && platform::Native().IsWindow(window->Handle())) return true;
  }
  return false;
}

void LoadedWindowDestroyed(platform::WindowHandle window) {
  Windows().erase(window);
  // Called while the window is being destroyed: it may still answer IsWindow, so it is left out.
  if (g_loopStarted && !AnyLoadedWindowAlive()) platform::Native().PostQuit(0);
}

}  // namespace vorenn
