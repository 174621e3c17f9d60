// The windows whose end ends the program. When one is destroyed and none is left alive after the
// message loop has started, the quit message (code 0) is posted.
#pragma once

#include "platform/native_window.h"

namespace vorenn {

// Native windows counted beside the loaded window instances.
void AddLoadedWindow(platform::WindowHandle window);
void LoadedWindowDestroyed(platform::WindowHandle window);
bool AnyLoadedWindowAlive();

// Set once the program's message loop runs.
void MarkLoopStarted();
bool LoopStarted();

}  // namespace vorenn
