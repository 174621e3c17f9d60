#include "engine/units/unit_lifecycle.h"

#include <algorithm>
#include <map>

#include "engine/core/event_suppression.h"
#include "engine/core/runtime_value.h"
#include "engine/units/unit_contract.h"
#include "engine/units/unit_pointers.h"
#include "engine/units/unit_properties.h"
#include "platform/backend.h"

namespace vorenn {
namespace {

using platform::Native;
using platform::WindowHandle;

constexpr uint32_t kFirstControlId = 100;
constexpr uint32_t kControlIdStep = 10;
constexpr uint32_t kUnitNumberMask = 0x00FFFFFF;

// Copy id -> source id, per instance.
std::map<const WindowInstance*, std::map<uint32_t, uint32_t>> g_copies;

class EventsSuppressedScope {
 public:
  EventsSuppressedScope() { SuppressEvents(); }
  ~EventsSuppressedScope() { ResumeEvents(); }
  EventsSuppressedScope(const EventsSuppressedScope&) = delete;
  EventsSuppressedScope& operator=(const EventsSuppressedScope&) = delete;
};

struct TypeOps {
  const TypeDescriptor* type = nullptr;
  CreateOperation create = nullptr;
  GetDataOperation getData = nullptr;
};

TypeOps OpsOf(uint32_t typeCode) {
  TypeOps ops;
  ops.type = UnitTypeDescriptor(typeCode);
  if (ops.type == nullptr) return ops;
  ops.create = OperationOf<CreateOperation>(*ops.type, kOpCreate);
  ops.getData = OperationOf<GetDataOperation>(*ops.type, kOpGetData);
  return ops;
}

// The sibling directly above w in its parent's z-order, or none when w is at the top.
WindowHandle SiblingAbove(WindowHandle w) {
  std::vector<WindowHandle> siblings = Native().Children(Native().ParentOf(w));
  auto it = std::find(siblings.begin(), siblings.end(), w);
  return it == siblings.end() || it == siblings.begin() ? platform::kNoWindow : *(it - 1);
}

// Creation arguments that place a new window object where `record`'s live window is.
UnitCreateArgs ArgsLike(const WindowInstance& instance, const UnitRecord& record, std::span<const uint8_t> data,
                        uint32_t unitId, uint32_t controlId) {
  WindowHandle old = record.window->Handle();
  platform::Rect rect = Native().Geometry(old);
  UnitCreateArgs args;
  args.unitData = data;
  if (!Native().IsEnabled(old)) args.style |= kUnitStyleDisabled;
  if (record.flags & kFlagTabStop) args.style |= kUnitStyleTabStop;
  bool isWindow = &record == &instance.records[0];
  args.parent = isWindow ? nullptr : instance.records[0].window;
  args.owner = isWindow ? Native().ParentOf(old) : platform::kNoWindow;
  args.controlId = controlId;
  args.left = rect.left;
  args.top = rect.top;
  args.width = rect.width;
  args.height = rect.height;
  args.windowId = instance.windowId;
  args.unitId = unitId;
  return args;
}

void ReplaceLiveWindow(WindowInstance& instance, UnitWindow* old, UnitWindow* fresh,
                       std::unique_ptr<UnitWindow>* doomed) {
  for (auto& owned : instance.liveWindows) {
    if (owned.get() == old) {
      *doomed = std::move(owned);
      owned.reset(fresh);
      return;
    }
  }
  instance.liveWindows.emplace_back(fresh);
}

uint32_t FreshUnitId(const WindowInstance& instance, uint32_t like) {
  uint32_t highest = 0;
  for (const UnitRecord& r : instance.records) highest = std::max(highest, r.id & kUnitNumberMask);
  uint32_t number = highest < kUnitNumberMask ? highest + 1 : 1;
  auto taken = [&](uint32_t id) {
    return std::any_of(instance.records.begin(), instance.records.end(), [&](const UnitRecord& r) { return r.id == id; });
  };
  uint32_t id = (like & ~kUnitNumberMask) | number;
  while (taken(id) || (id & kUnitNumberMask) == 0) id = (like & ~kUnitNumberMask) | ((id + 1) & kUnitNumberMask);
  return id;
}

}  // namespace

void RecreateUnit(WindowInstance& instance, uint32_t unitId) {
  UnitRecord* record = FindRecord(instance, unitId);
  if (record == nullptr || !HasLiveWindow(*record)) return;
  TypeOps ops = OpsOf(record->type);
  if (ops.create == nullptr || ops.getData == nullptr) return;
  EventsSuppressedScope quiet;
  UnitWindow* old = record->window;
  WindowHandle oldHandle = old->Handle();
  bool isWindow = record == &instance.records[0];
  std::vector<uint8_t> data = ops.getData(*old);
  WindowHandle above = SiblingAbove(oldHandle);
  WindowHandle parent = Native().ParentOf(oldHandle);
  WindowHandle focus = Native().Focus();
  bool visible = Native().IsVisible(oldHandle);
  UnitWindow* fresh = ops.create(ArgsLike(instance, *record, data, unitId, kFirstControlId));
  if (fresh == nullptr) return;
  WindowHandle freshHandle = fresh->Handle();
  if (!isWindow) {
    Native().SetParent(freshHandle, parent);
    Native().PlaceBelow(freshHandle, above);
  }
  for (WindowHandle child : Native().Children(oldHandle)) Native().SetParent(child, freshHandle);
  if (isWindow) {
    Native().Show(freshHandle, visible);
  } else {
    fresh->SetShown(visible);
  }
  std::unique_ptr<UnitWindow> doomed;
  ReplaceLiveWindow(instance, old, fresh, &doomed);
  record->window = fresh;
  fresh->SendEngineMessage(kMessageUnitsCreated);
  fresh->SendEngineMessage(kMessageLoadFinished);
  if (focus == oldHandle) Native().SetFocus(freshHandle);
  doomed.reset();
}

bool TypeAllowsCopies(uint32_t typeCode) {
  if (typeCode == kTypeWindow || typeCode == kTypeMenuItem) return false;
  TypeOps ops = OpsOf(typeCode);
  return ops.type != nullptr && (ops.type->state & kUnitStateWindowed) != 0 && ops.create != nullptr &&
         ops.getData != nullptr;
}

std::optional<uint32_t> CopyUnitOnWindow(WindowInstance& instance, uint32_t sourceId) {
  UnitRecord* source = FindRecord(instance, sourceId);
  if (source == nullptr || source == &instance.records[0] || source->IsMenuItem()) return std::nullopt;
  if (!TypeAllowsCopies(source->type) || !HasLiveWindow(*source)) return std::nullopt;
  UnitWindow* window = instance.records[0].window;
  if (window == nullptr) return std::nullopt;
  TypeOps ops = OpsOf(source->type);
  EventsSuppressedScope quiet;
  std::vector<uint8_t> data = ops.getData(*source->window);
  uint32_t id = FreshUnitId(instance, source->id);
  uint32_t controlId = kFirstControlId + kControlIdStep * uint32_t(instance.records.size());
  UnitWindow* fresh = ops.create(ArgsLike(instance, *source, data, id, controlId));
  if (fresh == nullptr) return std::nullopt;
  WindowHandle sourceHandle = source->window->Handle();
  Native().SetParent(fresh->Handle(), Native().ParentOf(sourceHandle));
  Native().PlaceBelow(fresh->Handle(), sourceHandle);

  UnitRecord copy = *source;
  copy.id = id;
  copy.children.clear();
  copy.window = fresh;
  copy.cursor = CursorOfPointerData(copy.cursorData);
  platform::Rect rect = Native().Geometry(fresh->Handle());
  copy.left = rect.left;
  copy.top = rect.top;
  copy.width = rect.width;
  copy.height = rect.height;
  bool visible = Native().IsVisible(sourceHandle);
  copy.flags = visible ? copy.flags | kFlagVisible : copy.flags & ~kFlagVisible;
  instance.records.push_back(std::move(copy));
  RecordsChanged(instance);
  instance.liveWindows.emplace_back(fresh);
  g_copies[&instance][id] = sourceId;

  fresh->SetShown(visible);
  fresh->SendEngineMessage(kMessageUnitsCreated);
  fresh->SendEngineMessage(kMessageLoadFinished);
  return id;
}

void RemoveUnit(WindowInstance& instance, uint32_t unitId) {
  for (size_t i = 1; i < instance.records.size(); ++i) {
    if (instance.records[i].id != unitId) continue;
    std::unique_ptr<UnitWindow> doomed;
    UnitWindow* window = instance.records[i].window;
    auto owned = std::find_if(instance.liveWindows.begin(), instance.liveWindows.end(),
                              [&](const std::unique_ptr<UnitWindow>& p) { return p.get() == window; });
    if (window != nullptr && owned != instance.liveWindows.end()) {
      doomed = std::move(*owned);
      instance.liveWindows.erase(owned);
    }
    instance.records.erase(instance.records.begin() + ptrdiff_t(i));
    RecordsChanged(instance);
    auto copies = g_copies.find(&instance);
    if (copies != g_copies.end()) copies->second.erase(unitId);
    // Destroying the native window may run code that looks the instance up: the record is gone
    // first.
    doomed.reset();
    return;
  }
}

std::vector<uint32_t> CopiesOf(const WindowInstance& instance, uint32_t sourceId) {
  std::vector<uint32_t> result;
  auto copies = g_copies.find(&instance);
  if (copies == g_copies.end()) return result;
  for (const auto& entry : copies->second) {
    uint32_t copy = entry.first;
    // Entries of an instance discarded without notice may outlive it: only existing units count.
    bool exists = std::any_of(instance.records.begin(), instance.records.end(),
                              [&](const UnitRecord& r) { return r.id == copy; });
    if (entry.second == sourceId && exists) result.push_back(copy);
  }
  std::sort(result.begin(), result.end());
  return result;
}

void ForgetCopies(const WindowInstance* instance) { g_copies.erase(instance); }

}  // namespace vorenn
