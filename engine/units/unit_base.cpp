#include "engine/units/unit_base.h"

#include "engine/templates/window_template.h"
#include "engine/units/unit_events.h"
#include "engine/units/unit_pointers.h"

namespace vorenn {
namespace {

using platform::EventAnswer;
using platform::EventKind;
using platform::MouseButton;
using platform::Native;
using platform::WindowEvent;

constexpr int kKeyCodeMask = 0x1FFF;

// The common event for an input or focus event, or 0 when there is none.
int32_t CommonEventOf(const WindowEvent& e) {
  bool left = e.button == MouseButton::Left;
  bool right = e.button == MouseButton::Right;
  switch (e.kind) {
    case EventKind::MouseDown: return left ? kEventLeftDown : right ? kEventRightDown : 0;
    case EventKind::MouseUp: return left ? kEventLeftUp : right ? kEventRightUp : 0;
    case EventKind::DoubleClick: return left ? kEventLeftDoubleClick : 0;
    case EventKind::MouseMove: return kEventMouseMove;
    case EventKind::FocusIn: return kEventFocusReceived;
    case EventKind::FocusOut: return kEventFocusLost;
    case EventKind::KeyDown: return kEventKeyDown;
    case EventKind::KeyUp: return kEventKeyUp;
    case EventKind::Char: return kEventCharacter;
    case EventKind::Wheel: return kEventWheel;
    default: return 0;
  }
}

int SetPropertyOp(UnitWindow& unit, int ownIndex, const UnitValue& value) {
  auto* u = dynamic_cast<Unit*>(&unit);
  return u != nullptr && u->SetOwnProperty(ownIndex + 8, value) ? 1 : 0;
}

bool GetPropertyOp(UnitWindow& unit, int ownIndex, UnitValue* value) {
  auto* u = dynamic_cast<Unit*>(&unit);
  return u != nullptr && u->GetOwnProperty(ownIndex + 8, value);
}

std::vector<uint8_t> GetDataOp(UnitWindow& unit) {
  auto* u = dynamic_cast<Unit*>(&unit);
  return u != nullptr ? u->UnitData() : std::vector<uint8_t>{};
}

}  // namespace

void* StandardUnitOperation(int operation, CreateOperation create) {
  switch (operation) {
    case kOpCreate: return reinterpret_cast<void*>(create);
    case kOpSetProperty: return reinterpret_cast<void*>(&SetPropertyOp);
    case kOpGetData: return reinterpret_cast<void*>(&GetDataOp);
    case kOpGetProperty: return reinterpret_cast<void*>(&GetPropertyOp);
    default: return nullptr;
  }
}

bool IsDefaultColour(uint32_t colour) { return colour == platform::kDefaultColour; }

Unit::Unit(const UnitCreateArgs& args, const UnitLayout& layout, int propertyCount)
    : properties_(propertyCount), layout_(layout), windowId_(args.windowId), unitId_(args.unitId) {}

Unit::~Unit() {
  *alive_ = false;
  if (handle_ == platform::kNoWindow || !platform::HasBackend()) return;
  // No event reaches a unit that is going away, not even its own destruction.
  Native().SetEventSink(handle_, {});
  Native().DestroyNativeWindow(handle_);
}

bool Unit::Create(const UnitCreateArgs& args, platform::WindowSpec params) {
  if (!properties_.Read(layout_, args.unitData)) return false;
  params.parent = args.parent != nullptr ? args.parent->Handle() : args.owner;
  params.geometry = {args.left, args.top, args.width, args.height};
  params.enabled = (args.style & kUnitStyleDisabled) == 0;
  if (args.style & kUnitStyleTabStop) params.style |= platform::kStyleTabStop;
  params.visible = false;
  Prepare(params);
  handle_ = Native().CreateNativeWindow(params);
  if (handle_ == platform::kNoWindow) return false;
  Native().SetEventSink(handle_, [this](const WindowEvent& e) { return Sink(e); });
  ApplyAppearance();
  return true;
}

bool Unit::HasLiveWindow() const { return handle_ != platform::kNoWindow && Native().IsWindow(handle_); }

void Unit::SetContainer(UnitWindow& container) { Native().SetParent(handle_, container.Handle()); }

void Unit::PlaceBelow(UnitWindow* above) {
  Native().PlaceBelow(handle_, above != nullptr ? above->Handle() : platform::kNoWindow);
}

void Unit::SetShown(bool shown) { Native().Show(handle_, shown); }

bool Unit::IsEnabled() const { return Native().IsEnabled(handle_); }

void Unit::SetEnabled(bool enabled) { Native().Enable(handle_, enabled); }

void Unit::SendEngineMessage(uint32_t message) {
  if (message == kMessageUnitsCreated) ApplyCustomPointer();
  OnEngineMessage(message);
}

void Unit::ApplyCustomPointer() {
  WindowInstance* instance = FindLoadedWindow(windowId_);
  const UnitRecord* record = instance != nullptr ? FindRecord(*instance, unitId_) : nullptr;
  if (record != nullptr) Native().SetPointer(handle_, PointerShapeOfCursor(record->cursor));
}

bool Unit::SetOwnProperty(int index, const UnitValue& value) {
  properties_.Set(index, value);
  return false;
}

bool Unit::GetOwnProperty(int index, UnitValue* value) {
  if (!properties_.Has(index)) return false;
  *value = properties_.Get(index);
  return true;
}

void Unit::ApplyAppearance() {
  if (handle_ != platform::kNoWindow) Native().SetAppearance(handle_, appearance_);
}

std::optional<uint32_t> Unit::Raise(int32_t event, std::initializer_list<int32_t> arguments) {
  return RaiseUnitEvent(windowId_, unitId_, event, arguments);
}

EventAnswer Unit::RaiseCommonEvent(const WindowEvent& e) {
  int32_t event = CommonEventOf(e);
  if (event == 0) return {};
  std::optional<uint32_t> answer;
  switch (event) {
    case kEventFocusReceived:
    case kEventFocusLost:
      Raise(event);
      return {};
    case kEventKeyDown:
    case kEventKeyUp:
      answer = Raise(event, {e.key & kKeyCodeMask, e.keyState});
      break;
    case kEventCharacter:
      answer = Raise(event, {e.key});
      if (answer && *answer != 0) return {false, int(*answer)};
      break;
    case kEventWheel:
      answer = Raise(event, {e.wheelNotches, e.keyState});
      break;
    default:
      answer = Raise(event, {e.x, e.y, e.keyState});
      break;
  }
  return {answer.has_value() && *answer == 0, -1};
}

EventAnswer Unit::Sink(const WindowEvent& e) {
  std::shared_ptr<bool> alive = alive_;
  EventAnswer common = RaiseCommonEvent(e);
  if (!*alive) return {true, -1};
  if (common.swallow) return common;
  EventAnswer own = OnEvent(e);
  if (!*alive) return {true, -1};
  if (!own.swallow && own.replacementChar < 0) own.replacementChar = common.replacementChar;
  return own;
}

}  // namespace vorenn
