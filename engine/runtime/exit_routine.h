// The way out of the program: the exit routine, ExitProgram, and the runtime-error report's ports.
#pragma once

#include <string>

namespace vorenn {

// The exit routine. On the main thread: events suppressed, idle handlers cleared, the end callback
// run once, every library told that the program ends (notify 6), DLL modules freed, the engine
// window destroyed; a second run does nothing. On another thread: the exit is handed to the main
// thread (message 0x83E7 to the engine window), and unless the main thread is already exiting the
// process ends at once with `code`.
void RunExitRoutine(int code);

// The exit routine, then the end of the process with `code`.
[[noreturn]] void ExitProgram(int code);

// Wires the runtime-error report to the frame: event suppression, the "错误" box with the error icon
// through the platform, then the end callback cleared, the exit routine with -1 and exit code -1.
void InstallRuntimeErrorPorts();

// The box of the runtime-error report: no owner, caption "错误", error icon, one OK button.
void ShowRuntimeErrorBox(const std::string& gbkText);

}  // namespace vorenn
