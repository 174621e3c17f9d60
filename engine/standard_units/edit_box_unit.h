// The `EditBox` unit: an edit control. Event 0 when the user changes its content.
//
// Unit data (highest version 2), fields in order; [n] is the property index:
//   u32 [9] border, [10] text colour, [11] background colour, [13], [14], [15] multi-line, [16],
//   [17], [18] input mode; text [19] password character; u32 [20], [21], [22], [23],
//   [24] selection start, [25] selection length; buffer [12] font; text [8] content; text [26];
//   version 2: u32 [27], [28], then three reserved u32 (0).
// Input mode: 0 normal, 1 read-only, 2 password (the first byte of [19] masks each character).
#pragma once

#include "engine/units/unit_base.h"

namespace vorenn {

const TypeDescriptor& EditBoxUnitType();

enum EditBoxProperty : int {
  kEditContent = 8, kEditBorder = 9, kEditTextColour = 10, kEditBackground = 11, kEditFont = 12,
  kEditMultiLine = 15, kEditInputMode = 18, kEditPasswordChar = 19, kEditSelectionStart = 24,
  kEditSelectionLength = 25,
};
enum EditInputMode : int { kInputNormal = 0, kInputReadOnly = 1, kInputPassword = 2 };
constexpr int32_t kEditContentChanged = 0;

class EditBoxUnit final : public Unit {
 public:
  explicit EditBoxUnit(const UnitCreateArgs& args);
  bool Init(const UnitCreateArgs& args);
  bool SetOwnProperty(int index, const UnitValue& value) override;
  bool GetOwnProperty(int index, UnitValue* value) override;
  std::vector<uint8_t> UnitData() const override;
  // Multi-line, it keeps Tab and Enter for its text.
  bool KeepsKey(int key) override;

 private:
  void Prepare(platform::WindowSpec& params) override;
  platform::EventAnswer OnEvent(const platform::WindowEvent& e) override;
  uint32_t Style() const;
  void UpdateAppearance();

  uint32_t baseStyle_ = 0;  // the style bits that input mode and multi-line leave alone
};

}  // namespace vorenn
