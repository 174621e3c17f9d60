// The one report path for every fatal failure of the engine and its libraries.
#pragma once

#include <string>

namespace vorenn {

// Reports runtime error `number` (1 to 11) from the runtime-error table with the number as its code.
[[noreturn]] void RaiseRuntimeError(int number);

// Reports `message` (GBK, may be empty) with `code` (0 = no code): suppresses events, asks the error
// hook, shows the "错误" box unless the hook answered nonzero, clears the end callback and ends the
// process with exit code -1.
[[noreturn]] void ReportRuntimeError(const char* message, int code);

// The box text: "运行时出错!\r\n\r\n", then the code and the message when present.
std::string RuntimeErrorText(const char* message, int code);

// The message of runtime error `number`, or an empty text outside 1 to 11.
const char* RuntimeErrorMessage(int number);

// A library may install one hook; a nonzero answer suppresses the box. A hook that raises another
// runtime error while it runs is not called again.
using ErrorHook = int (*)(int code, const char* message);
void SetErrorHook(ErrorHook hook);

// How the report reaches the outside world. The runtime installs its own at start-up
// (engine/runtime/exit_routine.h); the defaults print to standard error and end the process.
struct RuntimeErrorPorts {
  void (*suppressEvents)();
  void (*showErrorBox)(const std::string& gbkText);
  void (*exitProcess)(int code);  // must not return (it may throw or jump away in a fuzz harness)
};
void SetRuntimeErrorPorts(const RuntimeErrorPorts& ports);

}  // namespace vorenn
