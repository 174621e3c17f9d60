// The application object's fields; only the frame's own files touch them directly.
#pragma once

#include <atomic>
#include <vector>

#include "engine/runtime/frame.h"

namespace vorenn::internal {

struct IdleEntry {
  platform::WindowHandle window;
  IdleRoutine routine;
  intptr_t argument;
};

struct FrameState {
  std::atomic<uint32_t> mainThreadId{0};
  platform::WindowHandle engineWindow = platform::kNoWindow;
  EndCallback endCallback = nullptr;
  bool initialised = false;
  std::atomic<bool> exiting{false};
  bool exitDone = false;
  std::vector<IdleEntry> idleHandlers;
};

FrameState& Frame();

}  // namespace vorenn::internal
