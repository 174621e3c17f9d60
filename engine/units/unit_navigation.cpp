#include "engine/units/unit_navigation.h"

#include <algorithm>

#include "engine/units/unit_contract.h"
#include "engine/units/unit_properties.h"
#include "platform/backend.h"

namespace vorenn {
namespace {

using platform::EventAnswer;
using platform::EventKind;
using platform::Native;
using platform::WindowHandle;
using platform::WindowRole;

constexpr int kKeyTab = 9;
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;

bool TakesFocus(WindowRole role) {
  return role == WindowRole::Button || role == WindowRole::EditBox || role == WindowRole::VScrollBar ||
         role == WindowRole::ListView;
}

// Visible itself and inside containers that are all visible.
bool Showing(WindowHandle w) {
  for (; w != platform::kNoWindow; w = Native().ParentOf(w)) {
    if (!Native().IsVisible(w)) return false;
  }
  return true;
}

bool IsCandidate(const UnitRecord& record) {
  if ((record.flags & kFlagTabStop) == 0 || !HasLiveWindow(record)) return false;
  WindowHandle w = record.window->Handle();
  return TakesFocus(Native().RoleOf(w)) && Native().IsEnabled(w) && Showing(w);
}

// A focused unit that takes the key itself (a multi-line edit box keeps Tab and Enter).
bool KeepsKey(const UnitRecord& record, int key) {
  if (key != kKeyTab && key != kKeyEnter) return false;
  return record.window != nullptr && record.window->KeepsKey(key);
}

void MoveFocus(WindowInstance& instance, size_t from, bool backwards) {
  std::vector<size_t> order = TabOrder(instance);
  if (order.empty()) return;
  if (backwards) std::reverse(order.begin(), order.end());
  auto at = std::find(order.begin(), order.end(), from);
  size_t next = at == order.end() || at + 1 == order.end() ? order.front() : *(at + 1);
  Native().SetFocus(instance.records[next].window->Handle());
}

}  // namespace

std::vector<size_t> TabOrder(const WindowInstance& instance) {
  std::vector<size_t> order;
  for (size_t i = 1; i < instance.records.size(); ++i) {
    if (IsCandidate(instance.records[i])) order.push_back(i);
  }
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    uint32_t ta = instance.records[a].tabOrder, tb = instance.records[b].tabOrder;
    return ta != tb ? ta < tb : a > b;
  });
  return order;
}

EventAnswer PreTranslateUnitInput(const platform::WindowEvent& event) {
  bool keyDown = event.kind == EventKind::KeyDown;
  bool navigationChar = event.kind == EventKind::Char;
  if (!keyDown && !navigationChar) return {};
  int key = event.key;
  if (key != kKeyTab && key != kKeyEnter && key != kKeyEscape) return {};
  RecordLocation where = FindRecordByHandle(event.window);
  if (where.instance == nullptr) return {};
  WindowInstance& instance = *where.instance;
  if (KeepsKey(instance.records[where.index], key)) return {};
  const UnitRecord& window = instance.records[0];
  bool handled = key == kKeyTab ||
                 (key == kKeyEnter && window.window != nullptr && window.window->EnterMovesFocus()) ||
                 (key == kKeyEscape && window.window != nullptr && window.window->EscapeCloses());
  if (!handled) return {};
  // The character that follows a handled key is swallowed with it.
  if (navigationChar) return {true, -1};
  if (key == kKeyEscape) {
    platform::WindowEvent close;
    close.kind = EventKind::CloseRequested;
    close.window = instance.records[0].window->Handle();
    Native().PostEvent(close);
  } else {
    MoveFocus(instance, where.index, (event.keyState & platform::kKeyShift) != 0);
  }
  return {true, -1};
}

}  // namespace vorenn
