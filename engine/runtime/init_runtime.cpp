#include "engine/runtime/init_runtime.h"

#include <vector>

#include "engine/core/library_table.h"
#include "engine/core/memory.h"
#include "engine/core/program_directory.h"
#include "engine/core/runtime_error.h"
#include "engine/runtime/exit_routine.h"
#include "engine/runtime/frame.h"
#include "engine/runtime/internal/frame_state.h"
#include "engine/runtime/loader_host.h"
#include "engine/runtime/services.h"
#include "engine/standard_units/standard_units.h"
#include "engine/templates/library_callback.h"
#include "engine/templates/window_loader.h"
#include "engine/units/unit_contract.h"
#include "engine/units/unit_properties.h"
#include "platform/backend.h"
#include "platform/process.h"

namespace vorenn {
namespace {

ProgramImage g_image;
std::vector<DllFunctionRow> g_dllTable;

platform::EventAnswer EngineWindowEvent(const platform::WindowEvent& e) {
  if (e.kind == platform::EventKind::Posted && e.message == kMessageExitFromWorker)
    ExitProgram(int(e.wParam));
  return {};
}

void CreateEngineWindow() {
  platform::WindowSpec params;
  params.role = platform::WindowRole::Engine;
  platform::WindowHandle w = platform::Native().CreateNativeWindow(params);
  platform::Native().SetEventSink(w, EngineWindowEvent);
  internal::Frame().engineWindow = w;
  internal::Frame().mainThreadId = platform::CurrentThreadId();
}

}  // namespace

void SetProgramImage(const ProgramImage& image) { g_image = image; }

bool RuntimeInitialised() { return internal::Frame().initialised; }

void InitRuntime() {
  internal::FrameState& f = internal::Frame();
  if (f.initialised) return;
  f.initialised = true;
  SetProgramDirectory(platform::ProgramDirectoryOf(platform::ProgramPath()).c_str());
  platform::SetCurrentDirectory(ProgramDirectory());
  CreateEngineWindow();
  if (g_image.constBegin != nullptr) SetConstantRange(g_image.constBegin, g_image.constEnd);
  // A copy of the program's rows: binding caches each row's address and module in it.
  g_dllTable.assign(g_image.dllRows.begin(), g_image.dllRows.end());
  SetDllFunctionTable(g_dllTable.data(), int(g_dllTable.size()));
  SetLibraryTable(g_image.libraries);
  NotifyLibraries(kNotifyStart, reinterpret_cast<intptr_t>(&EngineLibraryCallback), 0);
  // The segment's windows can be made only once the loader host and the unit types are in place.
  InstallFrameLoaderHost();
  InstallStandardUnits();
  if (!g_image.templateSegment.empty())
    LoadTemplateSegment(g_image.templateSegment.data(), g_image.templateSegment.size());
  // Handler offsets become references into the program's handler table.
  RegisterEventHandlers(g_image.eventHandlers);
}

void InstallStandardUnits() {
  SetStandardUnitTypes(StandardUnitTypes());
  SetPropertyServices(ReadUnitProperty, WriteUnitProperty);
  InstallUnitContract();
}

void LoadStartWindow(uint32_t windowId) {
  if (FindTemplate(windowId) == nullptr ||
      !LoadWindowFromTemplate(windowId, /*newInstance=*/true, /*modal=*/false, platform::kNoWindow))
    ReportRuntimeError("载入启动窗口失败", 0);
}

void RunApplication(EntryRoutine entry) {
  InstallRuntimeErrorPorts();
  // The module directory is known from here on (ModuleDirectory()).
  SetProgramDirectory(platform::ProgramDirectoryOf(platform::ProgramPath()).c_str());
  int result = entry();
  ExitProgram(result);
}

}  // namespace vorenn
