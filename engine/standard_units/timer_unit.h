// The `Timer` unit: a hidden window that owns a system timer (id 1000) and raises event 0 each
// time its period elapses. Never shown, whatever its visible flag says.
//
// Unit data (highest version 1): u32 [8] period in milliseconds (0: stopped).
#pragma once

#include "engine/units/unit_base.h"

namespace vorenn {

const TypeDescriptor& TimerUnitType();

constexpr int kTimerPeriod = 8;
constexpr int kTimerId = 1000;
constexpr int32_t kTimerElapsed = 0;

class TimerUnit final : public Unit {
 public:
  explicit TimerUnit(const UnitCreateArgs& args);
  bool Init(const UnitCreateArgs& args);
  bool SetOwnProperty(int index, const UnitValue& value) override;
  void SetShown(bool) override { Unit::SetShown(false); }

 private:
  platform::EventAnswer OnEvent(const platform::WindowEvent& e) override;
  void SetPeriod(int32_t period);
};

}  // namespace vorenn
