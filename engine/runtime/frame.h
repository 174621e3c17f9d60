// The engine's process-wide state (the application object) and the small services that read or
// change it: the engine window, the main thread, the end callback and idle handlers. Event
// suppression (engine/core/event_suppression.h), the extra DLL directory
// (engine/core/program_directory.h) and the loaded windows (engine/templates/loaded_windows.h)
// sit lower, where the code below the runtime reads them.
#pragma once

#include <cstdint>

#include "platform/native_window.h"

namespace vorenn {

using EndCallback = void (*)();
using IdleRoutine = void (*)(intptr_t argument);

// The end callback runs at most once, in the exit routine; a runtime error clears it unrun.
void SetEndCallback(EndCallback callback);
EndCallback CurrentEndCallback();

// The hidden engine window and the main thread, recorded by InitRuntime.
platform::WindowHandle EngineWindow();
uint32_t MainThreadId();
bool OnMainThread();

// Idle handlers run while the message loop has nothing to do, last added first, as long as their
// window exists; an entry whose window is gone is dropped.
void AddIdleHandler(platform::WindowHandle window, IdleRoutine routine, intptr_t argument);
void RunIdleHandlers();
void ClearIdleHandlers();
int IdleHandlerCount();

bool Exiting();

// The engine's message numbers.
constexpr uint32_t kMessageExitFromWorker = 0x83E7;  // wParam: exit code

}  // namespace vorenn
