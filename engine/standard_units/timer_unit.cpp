#include "engine/standard_units/timer_unit.h"

#include "engine/units/descriptor_tables.h"

namespace vorenn {
namespace {

constexpr DataField kFields[] = {{8, FieldForm::Word}};
constexpr UnitLayout kLayout{1, kFields};

constexpr uint16_t kOwnKinds[] = {kKindInteger};
constexpr auto kProperties = PropertyTable(kOwnKinds);
constexpr int kEventArguments[] = {0};
constexpr auto kEvents = EventTable(kEventArguments);
constexpr uint32_t kState = 0x80008040;

}  // namespace

const TypeDescriptor& TimerUnitType() {
  static const TypeDescriptor type = UnitTypeDescriptorOf(
      "Timer", kState, kProperties, kEvents, &StandardUnitInterface<TimerUnit>);
  return type;
}

TimerUnit::TimerUnit(const UnitCreateArgs& args) : Unit(args, kLayout, int(kProperties.size())) {}

bool TimerUnit::Init(const UnitCreateArgs& args) {
  platform::WindowSpec params;
  params.role = platform::WindowRole::Panel;
  if (!Create(args, params)) return false;
  int32_t period = properties_.Word(kTimerPeriod);
  properties_.SetWord(kTimerPeriod, 0);
  SetPeriod(period);
  return true;
}

void TimerUnit::SetPeriod(int32_t period) {
  if (period < 0) period = 0;
  if (period == properties_.Word(kTimerPeriod)) return;
  properties_.SetWord(kTimerPeriod, period);
  platform::Native().KillTimer(Handle(), kTimerId);
  if (period > 0) platform::Native().SetTimer(Handle(), kTimerId, uint32_t(period));
}

bool TimerUnit::SetOwnProperty(int index, const UnitValue& value) {
  if (index == kTimerPeriod) {
    SetPeriod(value.Word());
  } else {
    properties_.Set(index, value);
  }
  return false;
}

platform::EventAnswer TimerUnit::OnEvent(const platform::WindowEvent& e) {
  if (e.kind == platform::EventKind::Timer && e.timerId == kTimerId) Raise(kTimerElapsed);
  return {};
}

}  // namespace vorenn
