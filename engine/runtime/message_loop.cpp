#include "engine/runtime/message_loop.h"

#include "engine/runtime/frame.h"
#include "engine/templates/loaded_windows.h"
#include "platform/backend.h"

namespace vorenn {

bool RunLoop(bool (*keepRunning)(void* context), void* context, int* quitCode) {
  platform::Backend& native = platform::Native();
  bool idle = true;
  int idleCount = 0;
  for (;;) {
    while (idle && !native.MessageWaiting()) {
      RunIdleHandlers();
      if (!native.Idle(idleCount++)) idle = false;
    }
    int code = 0;
    bool sawInput = false;
    if (!native.DispatchMessages(/*block=*/true, &code, &sawInput)) {
      if (quitCode != nullptr) *quitCode = code;
      if (keepRunning != nullptr) native.PostQuit(code);
      return true;
    }
    if (sawInput) {
      idle = true;
      idleCount = 0;
    }
    if (keepRunning != nullptr && !keepRunning(context)) return false;
  }
}

void RunMessageLoop() {
  MarkLoopStarted();
  if (!AnyLoadedWindowAlive()) return;
  int code = 0;
  RunLoop(nullptr, nullptr, &code);
}

}  // namespace vorenn
