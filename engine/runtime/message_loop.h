// The message loop: idle handlers and idle processing while nothing waits, then dispatching until
// the quit message.
#pragma once

namespace vorenn {

// Sets the loop-started flag; runs the loop when a loaded window is alive, else returns at once.
// From here on, the destruction of the last loaded window ends the program.
void RunMessageLoop();

// Runs the loop until the quit message (true, its code in *quitCode) or until keepRunning answers
// false after a dispatch (false). A quit message that ends a nested loop is posted again so that
// the enclosing loop ends too.
bool RunLoop(bool (*keepRunning)(void* context), void* context, int* quitCode);

}  // namespace vorenn
