// The `GroupBox` unit: a frame with a caption that contains the units whose container it is;
// hiding or moving it hides or moves them with it.
//
// Unit data (highest version 1): u32 [9] caption alignment (0 left, 1 centre, 2 right), u32 [10]
// text colour, u32 [11] background colour; buffer [12] font; text [8] caption.
#pragma once

#include "engine/units/unit_base.h"

namespace vorenn {

const TypeDescriptor& GroupBoxUnitType();

enum GroupBoxProperty : int {
  kGroupCaption = 8, kGroupAlign = 9, kGroupTextColour = 10, kGroupBackground = 11, kGroupFont = 12,
};

class GroupBoxUnit final : public Unit {
 public:
  explicit GroupBoxUnit(const UnitCreateArgs& args);
  bool Init(const UnitCreateArgs& args);
  bool SetOwnProperty(int index, const UnitValue& value) override;

 private:
  void Prepare(platform::WindowSpec& params) override;
  void UpdateAppearance();
};

}  // namespace vorenn
