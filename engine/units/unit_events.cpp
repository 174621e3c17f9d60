#include "engine/units/unit_events.h"

#include "engine/core/event_suppression.h"
#include "engine/core/runtime_error.h"
#include "engine/templates/window_template.h"
#include "engine/units/unit_contract.h"

namespace vorenn {
namespace {

EventSource g_source;

bool IsEightByteType(uint32_t type) {
  return type == kTypeLong || type == kTypeDouble || type == kTypeDateTime || type == kTypeEightBytes;
}

// Restores the enclosing handler's source when a nested event ends, so that a handler which
// raised another event can still ask for its own unit.
class SourceScope {
 public:
  explicit SourceScope(EventSource source) : previous_(g_source) { g_source = source; }
  ~SourceScope() { g_source = previous_; }
  SourceScope(const SourceScope&) = delete;
  SourceScope& operator=(const SourceScope&) = delete;

 private:
  EventSource previous_;
};

}  // namespace

bool DispatchEvent(EventRecord& record, bool wantResult) {
  if (wantResult) record.resultGiven = 0;
  if (EventsSuppressed()) return false;
  WindowInstance* instance = FindLoadedWindow(record.windowId);
  if (instance == nullptr) ReportRuntimeError("未找到引发事件的窗口", 0);
  const UnitRecord* unit = FindRecord(*instance, record.unitId);
  if (unit == nullptr) ReportRuntimeError("未找到引发事件的窗口组件", 0);
  const TypeDescriptor* type = UnitTypeDescriptor(unit->type);
  if (type == nullptr || (type->state & kUnitStateWindowed) == 0) {
    ReportRuntimeError("引发事件的窗口组件无效", 0);
  }
  EventHandler handler = FindEventHandler(*instance, record.unitId, record.event);
  if (handler == nullptr) return false;

  uint32_t words[2 * kMaxEventArguments];
  int count = 0;
  uint32_t n = record.argumentCount < kMaxEventArguments ? record.argumentCount : kMaxEventArguments;
  for (uint32_t i = 0; i < n; ++i) {
    words[count++] = record.arguments[i].low;
    if (IsEightByteType(record.arguments[i].type)) words[count++] = record.arguments[i].high;
  }
  uint64_t answer;
  {
    SourceScope source({record.windowId, record.unitId, unit->type});
    answer = handler(words, count);
  }
  if (wantResult) {
    record.resultGiven = answer != kNoAnswer ? 1 : 0;
    record.resultLow = record.resultGiven ? uint32_t(answer) : 0;
    record.resultHigh = record.resultGiven ? uint32_t(answer >> 32) : 0;
  }
  return true;
}

std::optional<uint32_t> RaiseUnitEvent(uint32_t windowId, uint32_t unitId, int32_t event,
                                       std::initializer_list<int32_t> arguments) {
  EventRecord record;
  record.windowId = windowId;
  record.unitId = unitId;
  record.event = event;
  for (int32_t a : arguments) {
    if (record.argumentCount == kMaxEventArguments) break;
    record.arguments[record.argumentCount++].low = uint32_t(a);
  }
  if (!DispatchEvent(record, /*wantResult=*/true) || record.resultGiven == 0) return std::nullopt;
  return record.resultLow;
}

EventSource CurrentEventSource() { return g_source; }

}  // namespace vorenn
