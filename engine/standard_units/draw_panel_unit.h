// The `DrawPanel` unit: a plain child window that serves as a container (canvas).
//
// Unit data (highest version 1): u32 [8] border, u32 [9] background colour, u32 [11] .. [21];
// buffer [10] picture; buffer [22] font. Properties 23 and 24 are not stored.
#pragma once

#include "engine/units/unit_base.h"

namespace vorenn {

const TypeDescriptor& DrawPanelUnitType();

enum DrawPanelProperty : int { kPanelBorder = 8, kPanelBackground = 9, kPanelFont = 22 };

class DrawPanelUnit final : public Unit {
 public:
  explicit DrawPanelUnit(const UnitCreateArgs& args);
  bool Init(const UnitCreateArgs& args);
  bool SetOwnProperty(int index, const UnitValue& value) override;

 private:
  void Prepare(platform::WindowSpec& params) override;
  void UpdateAppearance();
};

}  // namespace vorenn
