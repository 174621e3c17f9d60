// The `VScrollBar` unit: a vertical scroll bar that keeps its own position. Event 0 when the user
// changes the position.
//
// Unit data (highest version 1): u32 [8] minimum, [9] maximum, [10] page step, [11] line step,
// [12] position, [13] follow-thumb.
#pragma once

#include "engine/units/unit_base.h"

namespace vorenn {

const TypeDescriptor& VScrollBarUnitType();

enum VScrollBarProperty : int {
  kScrollMinimum = 8, kScrollMaximum = 9, kScrollPageStep = 10, kScrollLineStep = 11,
  kScrollPosition = 12, kScrollFollowThumb = 13,
};
constexpr int32_t kScrollPositionChanged = 0;

class VScrollBarUnit final : public Unit {
 public:
  explicit VScrollBarUnit(const UnitCreateArgs& args);
  bool Init(const UnitCreateArgs& args);
  bool SetOwnProperty(int index, const UnitValue& value) override;

 private:
  void Prepare(platform::WindowSpec& params) override;
  platform::EventAnswer OnEvent(const platform::WindowEvent& e) override;
  void Scroll(platform::ScrollAction action, int thumb);
  int Low() const;
  int High() const;
  void ClampAll();
  void ApplyRange();
};

}  // namespace vorenn
