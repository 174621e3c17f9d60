#include "engine/templates/window_loader.h"

#include "engine/templates/window_template_units.h"

namespace vorenn {
namespace {

constexpr uint32_t kFirstControlId = 100;
constexpr uint32_t kControlIdStep = 10;
constexpr int32_t kEventCreated = 0;
constexpr int32_t kEventMoved = 3;
constexpr int32_t kEventResized = 4;
constexpr int32_t kEventFocusReceived = -7;

class BasicLoaderHost final : public LoaderHost {
 public:
  void BeginLoad() override { ++suppression_; }
  void EndLoad() override { --suppression_; }
  bool IsWindow(platform::WindowHandle handle) override {
    return FindRecordByHandle(handle).instance != nullptr;
  }
  void RaiseEvent(uint32_t windowId, uint32_t unitId, int32_t event) override {
    if (suppression_ > 0) return;
    WindowInstance* instance = FindLoadedWindow(windowId);
    if (instance == nullptr) return;
    if (EventHandler handler = FindEventHandler(*instance, unitId, event)) handler(nullptr, 0);
  }
  platform::WindowHandle Focus() override { return focus_; }
  void SetFocus(platform::WindowHandle handle) override { focus_ = handle; }
  uintptr_t CreateCursor(std::span<const uint8_t>) override { return 0; }
  void DestroyCursor(uintptr_t) override {}
  void RunModalLoop(WindowInstance&) override {}

 private:
  int suppression_ = 0;
  platform::WindowHandle focus_ = platform::kNoWindow;
};

BasicLoaderHost g_basicHost;
LoaderHost* g_host = &g_basicHost;

uint32_t StyleOf(const UnitRecord& record) {
  uint32_t style = 0;
  if (record.flags & kFlagDisabled) style |= kUnitStyleDisabled;
  if (record.flags & kFlagTabStop) style |= kUnitStyleTabStop;
  return style;
}

UnitWindow* CreateUnit(WindowInstance& instance, UnitRecord& record, UnitCreateArgs args) {
  UnitType type;
  CreateOperation create = ResolveUnitType(record.type, &type) ? CreateOperationOf(type) : nullptr;
  if (create == nullptr) return nullptr;
  args.unitData = record.unitData;
  args.style = StyleOf(record);
  args.left = record.left;
  args.top = record.top;
  args.width = record.width;
  args.height = record.height;
  args.windowId = instance.windowId;
  args.unitId = record.id;
  UnitWindow* window = create(args);
  if (window != nullptr) {
    instance.liveWindows.emplace_back(window);
    record.window = window;
  }
  return window;
}

// Steps 7 and 8.
bool CreateWindowAndUnits(WindowInstance& instance, platform::WindowHandle owner) {
  UnitCreateArgs windowArgs;
  windowArgs.owner = owner;
  UnitWindow* window = CreateUnit(instance, instance.records[0], windowArgs);
  if (window == nullptr) return false;
  uint32_t controlId = kFirstControlId;
  for (size_t i = instance.records.size() - 1; i >= 1; --i) {
    UnitRecord& record = instance.records[i];
    if (record.IsMenuItem()) continue;
    UnitCreateArgs args;
    args.parent = window;
    args.controlId = controlId;
    if (CreateUnit(instance, record, args) == nullptr) return false;
    controlId += kControlIdStep;
  }
  return true;
}

// Steps 9 and 10.
void ArrangeUnits(WindowInstance& instance) {
  UnitWindow* window = instance.records[0].window;
  for (size_t i = 1; i < instance.records.size(); ++i) {
    UnitRecord& record = instance.records[i];
    if (record.window == nullptr) continue;
    UnitRecord* container = record.container != 0 ? FindRecord(instance, record.container) : nullptr;
    bool usable = container != nullptr && container->window != nullptr && container != &record;
    record.window->SetContainer(usable ? *container->window : *window);
  }
  for (size_t i = 1; i < instance.records.size(); ++i) {
    UnitRecord& record = instance.records[i];
    if (record.window == nullptr) continue;
    UnitWindow* above = nullptr;
    for (size_t j = i - 1; j >= 1 && above == nullptr; --j) {
      const UnitRecord& earlier = instance.records[j];
      if (earlier.window != nullptr && earlier.container == record.container) above = earlier.window;
    }
    record.window->PlaceBelow(above);
  }
}

// A zero pointer number, like empty data, means the default pointer.
bool WantsCustomCursor(const std::vector<uint8_t>& data) {
  for (uint8_t byte : data) {
    if (byte != 0) return true;
  }
  return false;
}

void CreateCursors(WindowInstance& instance) {
  for (UnitRecord& record : instance.records) {
    if (WantsCustomCursor(record.cursorData)) record.cursor = g_host->CreateCursor(record.cursorData);
  }
}

void SendToAll(WindowInstance& instance, uint32_t message) {
  for (size_t i = instance.records.size(); i-- > 0;) {
    if (UnitWindow* w = instance.records[i].window) w->SendEngineMessage(message);
  }
}

void ShowUnits(WindowInstance& instance) {
  for (size_t i = 1; i < instance.records.size(); ++i) {
    UnitRecord& record = instance.records[i];
    if (record.window == nullptr) continue;
    UnitType type;
    bool neverShown = ResolveUnitType(record.type, &type) && (type.stateFlags & kUnitStateNeverShown) != 0;
    record.window->SetShown((record.flags & kFlagVisible) != 0 && !neverShown);
  }
}

// Step 15; false when a handler closed the window.
bool FireLoadEvents(WindowInstance& instance) {
  uint32_t windowId = instance.windowId;
  uint32_t selfId = instance.records[0].id;
  for (int32_t event : {kEventCreated, kEventMoved, kEventResized}) {
    g_host->RaiseEvent(windowId, selfId, event);
    if (!IsLiveInstance(&instance)) return false;
  }
  return true;
}

// Step 16; false when a handler closed the window.
bool ShowWindowAndFocus(WindowInstance& instance) {
  if ((instance.records[0].flags & kFlagVisible) == 0) return true;
  instance.records[0].window->ShowWindow();
  RecordLocation focused = FindRecordByHandle(g_host->Focus());
  if (focused.instance == &instance) {
    g_host->RaiseEvent(instance.windowId, instance.records[focused.index].id, kEventFocusReceived);
  }
  return IsLiveInstance(&instance);
}

// Step 17.
void DisableOtherWindows(WindowInstance& instance) {
  for (WindowInstance* other : LoadedWindows()) {
    UnitWindow* w = other != &instance ? other->records[0].window : nullptr;
    if (w != nullptr && w->IsEnabled()) {
      w->SetEnabled(false);
      instance.disabledWindows.push_back(other);
    }
  }
}

void ReleaseCursors(WindowInstance& instance) {
  for (UnitRecord& record : instance.records) {
    if (record.cursor != 0) g_host->DestroyCursor(record.cursor);
    record.cursor = 0;
  }
}

}  // namespace

void SetLoaderHost(LoaderHost* host) { g_host = host != nullptr ? host : &g_basicHost; }
LoaderHost& CurrentLoaderHost() { return *g_host; }

bool LoadWindowFromTemplate(uint32_t windowId, bool newInstance, bool modal, platform::WindowHandle parent) {
  const WindowTemplate* tmpl = FindTemplate(windowId);
  if (tmpl == nullptr || tmpl->records.empty()) return false;
  if (!newInstance) {
    WindowInstance* open = FindLoadedWindow(windowId);
    if (UnitWindow* w = open != nullptr ? open->records[0].window : nullptr) {
      if (w->IsMinimized()) {
        w->Restore();
      } else {
        w->Activate();
      }
      return true;
    }
  }
  if (modal) {
    parent = platform::kNoWindow;
  } else if (parent != platform::kNoWindow && !g_host->IsWindow(parent)) {
    return false;
  }

  g_host->BeginLoad();
  WindowInstance& instance = CreateInstance(*tmpl);
  if (!CreateWindowAndUnits(instance, parent)) {
    DiscardInstance(&instance);
    g_host->EndLoad();
    return false;
  }
  ArrangeUnits(instance);
  CreateCursors(instance);
  SendToAll(instance, kMessageUnitsCreated);
  instance.records[0].window->SendEngineMessage(kMessageWindowCreated);
  ShowUnits(instance);
  g_host->EndLoad();

  if (!FireLoadEvents(instance) || !ShowWindowAndFocus(instance)) return true;
  if (modal) DisableOtherWindows(instance);
  platform::WindowHandle focus = g_host->Focus();
  SendToAll(instance, kMessageLoadFinished);
  if (g_host->Focus() != focus) g_host->SetFocus(focus);
  instance.loaded = true;
  if (modal) g_host->RunModalLoop(instance);
  return true;
}

void UnloadWindowInstance(WindowInstance* instance) {
  if (!IsLiveInstance(instance)) return;
  for (WindowInstance* other : instance->disabledWindows) {
    if (IsLiveInstance(other) && other->records[0].window != nullptr) other->records[0].window->SetEnabled(true);
  }
  ReleaseCursors(*instance);
  DiscardInstance(instance);
}

}  // namespace vorenn
