// The `SuperBtn` unit (type 0x30001): a push button that draws itself (units/super_btn_drawing.h),
// with pictures, colour pairs, a tool tip and an optional toggle; event 0 when clicked. The game's
// level-up buttons are copies of one.
//
// Unit data (highest version 2), fields in order, [n] the property index:
//   offset  size  meaning
//   0       4     version 0, 1 or 2 (above 2: the unit is not created)
//   4       28    7 u32: [8] frame style, [9] toggle, [10] checked, [11] layout, [12], [13] flat
//                 border, [14] flat focus rectangle
//   32      20    5 u32: [18] image 0 transparent colour, [16] image 1 transparent colour,
//                 [23] default colours, [30], [34] default button
//   52      24    6 u32: the colours [24] .. [29]
//   76      ...   5 buffers (u32 count + bytes): [17] image 0, [15] image 1, [21] font, [31] icon 1,
//                 [32] icon 2
//   ...     ...   2 texts (u32 count + GBK, no terminator): [22] caption, [33] tool tip
//   version 2 only: u32 [20] image 2 transparent colour, buffer [19] image 2
// Pictures are decoded by the platform (BMP, PNG, GIF, JPEG); bytes that hold none give no picture.
// The icons and property 30 are kept and written back but not drawn.
#pragma once

#include <cstdint>

#include "engine/units/unit_base.h"
#include "units/super_btn_drawing.h"

namespace vorenn {

const TypeDescriptor& SuperBtnUnitType();

enum SuperBtnProperty : int {
  kBtnFrameStyle = 8, kBtnToggle = 9, kBtnChecked = 10, kBtnLayout = 11, kBtnProperty12 = 12,
  kBtnFlatBorder = 13, kBtnFlatFocusRect = 14, kBtnImage1 = 15, kBtnImage1Transparent = 16, kBtnImage0 = 17,
  kBtnImage0Transparent = 18, kBtnImage2 = 19, kBtnImage2Transparent = 20, kBtnFont = 21, kBtnCaption = 22,
  kBtnDefaultColours = 23, kBtnColour1 = 24, kBtnColour6 = 29, kBtnProperty30 = 30, kBtnIcon1 = 31,
  kBtnIcon2 = 32, kBtnToolTip = 33, kBtnDefaultButton = 34,
};
constexpr int32_t kSuperBtnClicked = 0;

class SuperBtnUnit final : public Unit {
 public:
  explicit SuperBtnUnit(const UnitCreateArgs& args);
  ~SuperBtnUnit() override;
  bool Init(const UnitCreateArgs& args);
  bool SetOwnProperty(int index, const UnitValue& value) override;
  bool GetOwnProperty(int index, UnitValue* value) override;
  std::vector<uint8_t> UnitData() const override;

 private:
  void Prepare(platform::WindowSpec& params) override;
  platform::EventAnswer OnEvent(const platform::WindowEvent& e) override;
  bool Flag(int index) const { return properties_.Word(index) == 1; }
  void PullIntoRange();
  void DecodePictures();
  void UpdateLook();

  SuperBtnLook look_;
};

}  // namespace vorenn
