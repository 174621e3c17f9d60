#include "engine/templates/window_template.h"

#include <algorithm>
#include <set>
#include <utility>

#include "engine/templates/internal/window_template_internal.h"
#include "engine/templates/window_template_units.h"

namespace vorenn {
namespace {

struct TemplateState {
  std::vector<WindowTemplate> templates;
  std::span<const EventHandler> handlers;
  bool handlersRegistered = false;
  std::vector<std::unique_ptr<WindowInstance>> instances;  // in order of creation
  std::set<uint32_t> discardedWindowIds;  // windows whose instance has been dropped at least once
  UnitTypeResolver unitTypeResolver = nullptr;
};

TemplateState& State() {
  static TemplateState state;
  return state;
}

}  // namespace

// --- template table ---

std::optional<size_t> RegisteredHandlerCount() {
  if (!State().handlersRegistered) return std::nullopt;
  return State().handlers.size();
}

void ValidateHandlerRefs(const std::vector<WindowTemplate>& templates, std::optional<size_t> handlerCount) {
  if (!handlerCount) return;
  for (const WindowTemplate& tmpl : templates) {
    for (const UnitRecord& record : tmpl.records) {
      for (const EventBinding& binding : record.events) {
        if (binding.handler > *handlerCount) ReportTemplateError();
      }
    }
  }
}

void ReplaceTemplates(std::vector<WindowTemplate> templates) { State().templates = std::move(templates); }

const WindowTemplate* FindTemplate(uint32_t windowId) {
  for (const WindowTemplate& tmpl : State().templates) {
    if (tmpl.id == windowId) return &tmpl;
  }
  return nullptr;
}

std::span<const WindowTemplate> Templates() { return State().templates; }

// --- handlers ---

void RegisterEventHandlers(std::span<const EventHandler> table) {
  ValidateHandlerRefs(State().templates, table.size());
  State().handlers = table;
  State().handlersRegistered = true;
}

EventHandler ResolveHandler(HandlerRef ref) {
  if (ref == kNoHandler || ref > State().handlers.size()) return nullptr;
  return State().handlers[ref - 1];
}

namespace {

const UnitRecord* FindConstRecord(const WindowInstance& instance, uint32_t unitId) {
  size_t i = FindRecordIndex(instance, unitId);
  return i != kNoRecord ? &instance.records[i] : nullptr;
}

}  // namespace

EventHandler FindEventHandler(const WindowInstance& instance, uint32_t unitId, int32_t event) {
  const UnitRecord* record = FindConstRecord(instance, unitId);
  if (record == nullptr) return nullptr;
  for (size_t hops = 0; record->eventOwner != 0 && hops < instance.records.size(); ++hops) {
    const UnitRecord* owner = FindConstRecord(instance, record->eventOwner);
    if (owner == nullptr || owner == record || owner->type != record->type) break;
    record = owner;
  }
  for (const EventBinding& binding : record->events) {
    if (binding.event == event) return ResolveHandler(binding.handler);
  }
  return nullptr;
}

// --- instances ---

WindowInstance::WindowInstance() = default;

WindowInstance::~WindowInstance() {
  // Units before the window that contains them.
  while (!liveWindows.empty()) liveWindows.pop_back();
}

WindowInstance& CreateInstance(const WindowTemplate& tmpl) {
  auto instance = std::make_unique<WindowInstance>();
  instance->windowId = tmpl.id;
  instance->records.assign(tmpl.records.begin(), tmpl.records.end());
  RecordsChanged(*instance);
  State().instances.push_back(std::move(instance));
  return *State().instances.back();
}

void DiscardInstance(WindowInstance* instance) {
  auto& instances = State().instances;
  auto it = std::find_if(instances.begin(), instances.end(),
                         [&](const std::unique_ptr<WindowInstance>& p) { return p.get() == instance; });
  if (it == instances.end()) return;
  // Out of the list first: destroying windows may run code that looks instances up.
  std::unique_ptr<WindowInstance> doomed = std::move(*it);
  instances.erase(it);
  State().discardedWindowIds.insert(doomed->windowId);
  for (UnitRecord& record : doomed->records) record.window = nullptr;
}

bool IsLiveInstance(const WindowInstance* instance) {
  for (const auto& p : State().instances) {
    if (p.get() == instance) return true;
  }
  return false;
}

WindowInstance* FindLoadedWindow(uint32_t windowId) {
  auto& instances = State().instances;
  for (auto it = instances.rbegin(); it != instances.rend(); ++it) {
    if ((*it)->windowId == windowId) return it->get();
  }
  return nullptr;
}

bool WindowWasClosed(uint32_t windowId) {
  return State().discardedWindowIds.count(windowId) != 0 && FindLoadedWindow(windowId) == nullptr;
}

std::vector<WindowInstance*> LoadedWindows() {
  std::vector<WindowInstance*> result;
  for (const auto& p : State().instances) result.push_back(p.get());
  return result;
}

size_t FindRecordIndex(const WindowInstance& instance, uint32_t unitId) {
  const std::deque<UnitRecord>& records = instance.records;
  if (instance.indexedRecordCount != records.size()) {
    instance.recordIndex.clear();
    // Walked backwards so that the first of repeated ids is the one kept.
    for (size_t i = records.size(); i-- > 0;) instance.recordIndex[records[i].id] = i;
    instance.indexedRecordCount = records.size();
  }
  auto it = instance.recordIndex.find(unitId);
  return it != instance.recordIndex.end() ? it->second : kNoRecord;
}

void RecordsChanged(WindowInstance& instance) { instance.indexedRecordCount = WindowInstance::kIndexStale; }

UnitRecord* FindRecord(WindowInstance& instance, uint32_t unitId) {
  return const_cast<UnitRecord*>(FindConstRecord(instance, unitId));
}

UnitRecord* RecordAt(WindowInstance& instance, size_t index) {
  return index < instance.records.size() ? &instance.records[index] : nullptr;
}

UnitWindow* LiveWindowOf(const UnitRecord& record) { return record.window; }

RecordLocation FindRecordByHandle(platform::WindowHandle handle) {
  if (handle == platform::kNoWindow) return {};
  for (const auto& instance : State().instances) {
    for (size_t i = 0; i < instance->records.size(); ++i) {
      const UnitWindow* window = instance->records[i].window;
      if (window != nullptr && window->Handle() == handle) return {instance.get(), i};
    }
  }
  return {};
}

void ResetTemplateState() {
  State().instances.clear();
  State().discardedWindowIds.clear();
  State().templates.clear();
  State().handlers = {};
  State().handlersRegistered = false;
}

// --- unit types ---

void SetUnitTypeResolver(UnitTypeResolver resolver) { State().unitTypeResolver = resolver; }

bool ResolveUnitType(uint32_t typeCode, UnitType* type) {
  return State().unitTypeResolver != nullptr && State().unitTypeResolver(typeCode, type);
}

CreateOperation CreateOperationOf(const UnitType& type) {
  if (type.interface == nullptr) return nullptr;
  return reinterpret_cast<CreateOperation>(type.interface(kOpCreate));
}

}  // namespace vorenn
