// The `Label` unit: text drawn by the unit itself, with prefix characters shown literally.
//
// Unit data (highest version 2), fields in order; [n] is the property index:
//   u32 [9] effect, [11], [10] border, [12], [13], [14], [16] text colour, [17] background colour,
//   [19], [20], [21], [22], [23], [24] horizontal alignment, [26] vertical alignment, [25] word wrap;
//   buffer [15] font; buffer [18] picture; text [8] caption; version 2: text [27], text [28].
#pragma once

#include "engine/units/unit_base.h"

namespace vorenn {

const TypeDescriptor& LabelUnitType();

enum LabelProperty : int {
  kLabelCaption = 8, kLabelEffect = 9, kLabelBorder = 10, kLabelFont = 15, kLabelTextColour = 16,
  kLabelBackground = 17, kLabelHAlign = 24, kLabelWordWrap = 25, kLabelVAlign = 26,
};

// Effect 2 draws the text once in white, offset, before the text itself (embossed).
constexpr int kLabelEffectEmbossed = 2;

class LabelUnit final : public Unit {
 public:
  explicit LabelUnit(const UnitCreateArgs& args);
  bool Init(const UnitCreateArgs& args);
  bool SetOwnProperty(int index, const UnitValue& value) override;

 private:
  void Prepare(platform::WindowSpec& params) override;
  void UpdateAppearance();
};

}  // namespace vorenn
