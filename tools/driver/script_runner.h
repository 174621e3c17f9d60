// The program run by a script (`vorenn --script FILE`): the program's entry takes its usual path
// (engine start-up, window set-up, handlers, message loop), and the script's lines run one at a
// time whenever the loop has nothing else to do. After the last line the window is closed as a
// user closes it, and the program ends its own way.
//
// With the environment variable VORENN_SCRIPT_KEEP_OPEN set (not empty), the window stays open
// after the last line and the program runs on in its own message loop until it is ended from
// outside: the idle benchmark measures the program's own loop, not the driver's waits.
//
// Printed lines go to standard output, failures to standard error. The exit status is the
// program's own (0 after a normal end, -1 after a runtime error), except that it is 1 when a line
// failed or lines were left unrun because the program ended first.
#pragma once

#include <memory>
#include <string>

#include "engine/runtime/init_runtime.h"
#include "tools/driver/driver_host.h"

namespace vorenn::driver {

inline constexpr char kKeepOpenVariable[] = "VORENN_SCRIPT_KEEP_OPEN";

// Never returns. A script file that cannot be read ends the process with status 2 before the
// program starts.
[[noreturn]] void RunScriptedApplication(const std::string& scriptPath, std::unique_ptr<DriverHost> host,
                                         EntryRoutine entry);

// The host for the installed headless backend (null when another backend is installed).
std::unique_ptr<DriverHost> MakeHeadlessHost();

}  // namespace vorenn::driver
