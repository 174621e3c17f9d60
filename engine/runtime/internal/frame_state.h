// The application object's fields; only the frame's own files touch them directly.
#pragma once

#include <atomic>
#include <set>
#include <string>
#include <vector>

#include "engine/frame.h"

namespace vorenn::internal {

struct IdleEntry {
  platform::WindowHandle window;
  IdleRoutine routine;
  intptr_t argument;
};

struct FrameState {
  std::string extraDllDirectory;
  std::atomic<uint32_t> mainThreadId{0};
  platform::WindowHandle engineWindow = platform::kNoWindow;
  EndCallback endCallback = nullptr;
  bool initialised = false;
  bool oleInitialised = false;
  bool loopStarted = false;
  std::atomic<bool> exiting{false};
  bool exitDone = false;
  std::atomic<int> eventSuppression{0};
  std::vector<IdleEntry> idleHandlers;
  std::set<platform::WindowHandle> loadedWindows;
};

FrameState& Frame();

void MarkLoopStarted();

}  // namespace vorenn::internal
