#include "engine/standard_units/window_commands.h"

#include "engine/core/runtime_error.h"
#include "engine/standard_units/tray_icon.h"
#include "engine/standard_units/window_unit.h"
#include "engine/templates/window_loader.h"
#include "engine/units/unit_contract.h"
#include "engine/units/unit_events.h"
#include "engine/units/unit_lifecycle.h"
#include "engine/units/unit_properties.h"
#include "platform/backend.h"

namespace vorenn {
namespace {

using platform::Native;

constexpr uint32_t kSystemModal = 0x1000;
constexpr uint32_t kTaskModal = 0x2000;

// Commands never fail loudly: a reference to something that is not loaded does nothing.
UnitRecord* FindUnit(uint32_t windowId, uint32_t unitId, WindowInstance** instanceOut = nullptr) {
  WindowInstance* instance = FindLoadedWindow(windowId);
  if (instance == nullptr || instance->records.empty()) return nullptr;
  if (instanceOut != nullptr) *instanceOut = instance;
  return unitId == 0 ? &instance->records[0] : FindRecord(*instance, unitId);
}

WindowUnit* LiveWindowUnit(uint32_t windowId) {
  UnitRecord* record = FindUnit(windowId, 0);
  if (record == nullptr || !HasLiveWindow(*record)) return nullptr;
  return dynamic_cast<WindowUnit*>(record->window);
}

// The answer of a box closed as soon as it came up: nothing is committed to.
int UnshownBoxAnswer(uint32_t style) {
  switch (style & platform::kBoxButtonsMask) {
    case platform::kBoxOkCancel:
    case platform::kBoxYesNoCancel:
    case platform::kBoxRetryCancel: return platform::kAnswerCancel;
    case platform::kBoxYesNo: return platform::kAnswerNo;
    default: return platform::FirstButtonAnswer(style);
  }
}

}  // namespace

bool LoadWindow(UnitRef window, std::optional<UnitRef> parent, bool modal) {
  InstallUnitContract();
  platform::WindowHandle owner = platform::kNoWindow;
  if (parent) {
    UnitRecord* record = FindUnit(parent->windowId, 0);
    if (record == nullptr || !HasLiveWindow(*record)) return false;
    owner = record->window->Handle();
  }
  return LoadWindowFromTemplate(window.windowId, /*newInstance=*/false, modal, owner);
}

void SetTrayIcon(UnitRef window, std::span<const uint8_t> icon, std::string_view tip) {
  WindowUnit* unit = LiveWindowUnit(window.windowId);
  if (unit == nullptr) return;
  std::vector<uint8_t> image = PickTrayIcon(icon);
  if (!image.empty()) {
    Native().SetTrayIcon(unit->Handle(), image, TrayTip(tip));
  } else if (unit->ShowsTrayIcon()) {
    Native().RemoveTrayIcon(unit->Handle());
  }
  unit->SetShowsTrayIcon(!image.empty());
}

RuntimeValue GetEventUnit() {
  EventSource source = CurrentEventSource();
  if (source.unitId == 0) ReportRuntimeError("“取事件组件”命令只能在事件处理子程序中使用", 0);
  return RuntimeValue{source.windowId, source.unitId, source.type};
}

int32_t ShowMessageBox(std::string_view message, int32_t style, std::string_view caption) {
  uint32_t flags = uint32_t(style);
  if ((flags & kSystemModal) == 0) flags |= kTaskModal;
  int answer = ProgramEnding() ? UnshownBoxAnswer(flags)
                               : Native().MessageBox(platform::kNoWindow, message, caption, flags);
  switch (answer) {
    case platform::kAnswerOk: return 0;
    case platform::kAnswerCancel: return 1;
    case platform::kAnswerAbort: return 2;
    case platform::kAnswerRetry: return 3;
    case platform::kAnswerIgnore: return 4;
    case platform::kAnswerYes: return 5;
    case platform::kAnswerNo: return 6;
    default: return 0;
  }
}

void MoveUnit(UnitRef unit, std::optional<int32_t> left, std::optional<int32_t> top, std::optional<int32_t> width,
              std::optional<int32_t> height) {
  UnitRecord* record = FindUnit(unit.windowId, unit.unitId);
  if (record == nullptr || record->IsMenuItem()) return;
  platform::Rect now = UnitRect(*record);
  platform::Rect rect = now;
  if (left) rect.left = *left;
  if (top) rect.top = *top;
  if (width && *width != -1) rect.width = *width;
  if (height && *height != -1) rect.height = *height;
  if (rect != now) SetUnitRect(*record, rect);
}

void FocusUnit(UnitRef unit) {
  UnitRecord* record = FindUnit(unit.windowId, unit.unitId);
  if (record != nullptr && HasLiveWindow(*record)) Native().SetFocus(record->window->Handle());
}

bool CopyUnit(uint32_t sourceType, UnitRef source, uint32_t targetType, UnitRef* target) {
  if (target == nullptr || sourceType != targetType || !TypeAllowsCopies(sourceType)) return false;
  WindowInstance* instance = nullptr;
  UnitRecord* record = FindUnit(source.windowId, source.unitId, &instance);
  if (record == nullptr || record->type != sourceType) return false;
  std::optional<uint32_t> copy = CopyUnitOnWindow(*instance, source.unitId);
  if (!copy) return false;
  *target = UnitRef{source.windowId, *copy};
  return true;
}

void DestroyUnit(UnitRef unitOrWindow, bool closeNow) {
  WindowInstance* instance = FindLoadedWindow(unitOrWindow.windowId);
  if (instance == nullptr || instance->records.empty()) return;
  uint32_t id = unitOrWindow.unitId;
  bool namesWindow = id == 0 || id == instance->records[0].id || !IsValidUnitId(id);
  if (!namesWindow) {
    RemoveUnit(*instance, id);
    return;
  }
  WindowUnit* window = LiveWindowUnit(unitOrWindow.windowId);
  if (window == nullptr) return;
  if (closeNow) {
    window->CloseNow();
  } else {
    Native().Post(window->Handle(), kMessageCloseWindow, 0, 0);
  }
}

void ProcessEvents() { Native().DispatchPending(); }

bool ProgramEnding() { return Native().QuitPending(); }

}  // namespace vorenn
