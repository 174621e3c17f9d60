// Engine start-up: what the program hands the engine before InitRuntime, InitRuntime itself, and
// the application frame that runs the program's entry routine.
#pragma once

#include <cstdint>
#include <span>

#include "engine/core/dll_call.h"
#include "engine/core/library.h"
#include "engine/templates/window_template.h"

namespace vorenn {

// The program's own tables, as its main assembles them.
struct ProgramImage {
  std::span<const LibraryDescriptor> libraries;  // the six, in library order
  std::span<const DllFunctionRow> dllRows;       // copied into the engine's DLL-function table
  const void* constBegin = nullptr;              // null: the VORENN_CONST section
  const void* constEnd = nullptr;
  std::span<const uint8_t> templateSegment;
  std::span<const EventHandler> eventHandlers;   // what template handler offsets index
};
void SetProgramImage(const ProgramImage& image);

// The engine initialisation, once per process (later calls do nothing), in this order: the program
// directory made current; the hidden engine window and the main thread id; the constant-segment
// range; the DLL-function table with empty caches; notify 1 with the engine's library callback to
// every library in order; the loader host and the standard units; the template segment (a
// malformed one ends the program with "载入窗口模板数据段出错!"); the handler fix-up against the
// program's handler table. Engine blocks come from the process heap and need no set-up.
void InitRuntime();
bool RuntimeInitialised();

// The unit contract wired in with what it cannot name itself: the standard unit types for library
// 1 and its two property functions in the services table. InitRuntime calls it after installing
// the frame's loader host; code that runs units without the whole start-up calls it directly.
void InstallStandardUnits();

// Loads a window by id as the start-up window; "载入启动窗口失败" when it has no template or cannot be
// created.
void LoadStartWindow(uint32_t windowId);

// The application frame: records the module directory, installs the runtime-error report, runs
// `entry` (which returns only when the program ends), then the exit handling: the exit routine with
// the entry's result and the end of the process with it.
using EntryRoutine = int (*)();
[[noreturn]] void RunApplication(EntryRoutine entry);

}  // namespace vorenn
