#include "engine/runtime/exit_routine.h"

#include <cstdio>

#include "engine/core/dll_call.h"
#include "engine/core/event_suppression.h"
#include "engine/core/library_table.h"
#include "engine/core/runtime_error.h"
#include "engine/runtime/frame.h"
#include "engine/runtime/internal/frame_state.h"
#include "platform/backend.h"
#include "platform/process.h"

namespace vorenn {
namespace {

// How long a worker waits for the main thread to take over the exit before ending the process
// itself: the main thread may be stuck and never look at its queue.
constexpr uint32_t kHandOverLimitMs = 10000;

void HandOverToMainThread(int code) {
  platform::WindowHandle engine = EngineWindow();
  if (platform::HasBackend() && platform::Native().IsWindow(engine))
    platform::Send(engine, kMessageExitFromWorker, uintptr_t(code), 0, kHandOverLimitMs);
  if (!Exiting()) platform::EndProcess(code);
}

[[noreturn]] void EndAfterRuntimeError(int code) {
  // The program's globals are not destroyed on this path.
  SetEndCallback(nullptr);
  RunExitRoutine(code);
  platform::EndProcess(code);
}

}  // namespace

void RunExitRoutine(int code) {
  internal::FrameState& f = internal::Frame();
  SuppressEvents();
  if (!OnMainThread()) {
    HandOverToMainThread(code);
    return;
  }
  if (f.exitDone) return;
  f.exitDone = true;
  f.exiting = true;
  ClearIdleHandlers();
  if (EndCallback end = f.endCallback) {
    f.endCallback = nullptr;
    end();
  }
  NotifyLibraries(kNotifyEnd, 0, 0);
  FreeDllModules();
  if (platform::HasBackend() && f.engineWindow != platform::kNoWindow) {
    platform::Native().DestroyNativeWindow(f.engineWindow);
    f.engineWindow = platform::kNoWindow;
  }
}

void ExitProgram(int code) {
  RunExitRoutine(code);
  platform::EndProcess(code);
}

void ShowRuntimeErrorBox(const std::string& gbkText) {
  if (!platform::HasBackend()) {
    std::fwrite(gbkText.data(), 1, gbkText.size(), stderr);
    std::fputc('\n', stderr);
    return;
  }
  platform::Native().MessageBox(platform::kNoWindow, gbkText, "错误",
                                platform::kBoxOk | platform::kBoxIconError);
}

void InstallRuntimeErrorPorts() {
  SetRuntimeErrorPorts(RuntimeErrorPorts{SuppressEvents, ShowRuntimeErrorBox, EndAfterRuntimeError});
}

}  // namespace vorenn
