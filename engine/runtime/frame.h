// The engine's process-wide state (the application object) and the small services that read or
// change it: event suppression, the engine window, the main thread, the end callback, idle
// handlers and the loaded windows whose end ends the program.
#pragma once

#include <cstdint>
#include <string>

#include "platform/native_window.h"

namespace vorenn {

using EndCallback = void (*)();
using IdleRoutine = void (*)(intptr_t argument);

// No event handler runs while the counter is above 0. A runtime error and the exit routine raise it
// for good; window loading and unit re-creation raise and lower it.
void SuppressEvents();
void ResumeEvents();
bool EventsSuppressed();

// The end callback runs at most once, in the exit routine; a runtime error clears it unrun.
void SetEndCallback(EndCallback callback);
EndCallback CurrentEndCallback();

// The hidden engine window and the main thread, recorded by InitRuntime.
platform::WindowHandle EngineWindow();
uint32_t MainThreadId();
bool OnMainThread();

// An extra directory searched first for DLL files ("" = none); with trailing separator.
void SetExtraDllDirectory(const std::string& dir);
const std::string& ExtraDllDirectory();

// Idle handlers run while the message loop has nothing to do, last added first, as long as their
// window exists; an entry whose window is gone is dropped.
void AddIdleHandler(platform::WindowHandle window, IdleRoutine routine, intptr_t argument);
void RunIdleHandlers();
void ClearIdleHandlers();
int IdleHandlerCount();

bool LoopStarted();
bool Exiting();

// Windows loaded from templates. When one is destroyed and none is left alive after the message
// loop has started, the quit message (code 0) is posted.
void AddLoadedWindow(platform::WindowHandle window);
void LoadedWindowDestroyed(platform::WindowHandle window);
bool AnyLoadedWindowAlive();

// The engine's message numbers.
constexpr uint32_t kMessageExitFromWorker = 0x83E7;  // wParam: exit code

}  // namespace vorenn
