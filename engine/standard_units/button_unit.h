// The `Button` unit: a push button; event 0 when it is clicked.
//
// Unit data (highest version 1), fields in order; [n] is the property index:
//   u32 [9] button type (1 default button), [11] horizontal alignment, [12] vertical alignment;
//   buffer [8] picture; buffer [13] font; text [10] caption.
#pragma once

#include "engine/units/unit_base.h"

namespace vorenn {

const TypeDescriptor& ButtonUnitType();

enum ButtonProperty : int {
  kButtonPicture = 8, kButtonType = 9, kButtonCaption = 10, kButtonHAlign = 11, kButtonVAlign = 12,
  kButtonFont = 13,
};
constexpr int32_t kButtonClicked = 0;

class ButtonUnit final : public Unit {
 public:
  explicit ButtonUnit(const UnitCreateArgs& args);
  bool Init(const UnitCreateArgs& args);
  bool SetOwnProperty(int index, const UnitValue& value) override;

 private:
  void Prepare(platform::WindowSpec& params) override;
  platform::EventAnswer OnEvent(const platform::WindowEvent& e) override;
  void UpdateAppearance();
};

}  // namespace vorenn
