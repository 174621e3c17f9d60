// The program started on the headless backend the way its main starts it, up to (not into) the
// message loop, so a test can drive the loaded window line by line.
#pragma once

#include "platform/headless/headless_backend.h"

namespace vorenn::driver::testing_support {

// Installs the headless backend, hands the engine the program's tables and runs the game's entry
// without its loop. Once per process; later calls return the same backend. Null when the window
// could not be loaded.
platform::HeadlessBackend* StartProgram();

}  // namespace vorenn::driver::testing_support
