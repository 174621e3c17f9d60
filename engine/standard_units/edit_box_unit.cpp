#include "engine/standard_units/edit_box_unit.h"

#include "engine/units/descriptor_tables.h"

namespace vorenn {
namespace {

using platform::Native;

constexpr DataField kFields[] = {
    {9, FieldForm::Word},     {10, FieldForm::Word},    {11, FieldForm::Word},
    {13, FieldForm::Word},    {14, FieldForm::Word},    {15, FieldForm::Word},
    {16, FieldForm::Word},    {17, FieldForm::Word},    {18, FieldForm::Word},
    {19, FieldForm::Text},    {20, FieldForm::Word},    {21, FieldForm::Word},
    {22, FieldForm::Word},    {23, FieldForm::Word},    {24, FieldForm::Word},
    {25, FieldForm::Word},    {12, FieldForm::Buffer},  {8, FieldForm::Text},
    {26, FieldForm::Text},    {27, FieldForm::Word, 2}, {28, FieldForm::Word, 2},
    {0, FieldForm::Reserved, 2}, {0, FieldForm::Reserved, 2}, {0, FieldForm::Reserved, 2},
};
constexpr UnitLayout kLayout{2, kFields};

constexpr uint16_t kOwnKinds[] = {
    kKindText,    kKindPick,    kKindColour,  kKindColourOrDefault, kKindFont,     // 8-12
    kKindLogical, kKindInteger, kKindLogical, kKindPick,            kKindPick,     // 13-17
    kKindPick,    kKindText,    kKindPick,    kKindPick,            kKindInteger,  // 18-22
    kKindInteger, kKindInteger, kKindInteger, kKindText,            kKindInteger,  // 23-27
    kKindInteger,                                                                  // 28
};
constexpr auto kProperties = PropertyTable(kOwnKinds);
constexpr int kEventArguments[] = {0};
constexpr auto kEvents = EventTable(kEventArguments);
constexpr uint32_t kState = 0x80000040;

}  // namespace

const TypeDescriptor& EditBoxUnitType() {
  static const TypeDescriptor type = UnitTypeDescriptorOf(
      "EditBox", kState, kProperties, kEvents, &StandardUnitInterface<EditBoxUnit>);
  return type;
}

EditBoxUnit::EditBoxUnit(const UnitCreateArgs& args) : Unit(args, kLayout, int(kProperties.size())) {
  properties_.SetWord(kEditBorder, 1);
  properties_.SetWord(kEditBackground, platform::kDefaultColour);
  properties_.SetWord(13, 1);
  properties_.Set(kEditPasswordChar, UnitValue::OfText("*"));
}

bool EditBoxUnit::Init(const UnitCreateArgs& args) {
  platform::WindowSpec params;
  params.role = platform::WindowRole::EditBox;
  return Create(args, params);
}

uint32_t EditBoxUnit::Style() const {
  uint32_t style = 0;
  int mode = properties_.Word(kEditInputMode);
  if (mode == kInputReadOnly) style |= platform::kStyleReadOnly;
  if (mode == kInputPassword) style |= platform::kStylePassword;
  if (properties_.Word(kEditMultiLine) == 1) style |= platform::kStyleMultiLine;
  return style;
}

void EditBoxUnit::Prepare(platform::WindowSpec& params) {
  params.text = properties_.Text(kEditContent);
  baseStyle_ = params.style;
  params.style |= Style();
  UpdateAppearance();
}

void EditBoxUnit::UpdateAppearance() {
  appearance_.border = properties_.Word(kEditBorder);
  appearance_.textColour = uint32_t(properties_.Word(kEditTextColour));
  appearance_.backgroundColour = uint32_t(properties_.Word(kEditBackground));
  const std::string& mask = properties_.Text(kEditPasswordChar);
  appearance_.passwordChar = mask.empty() ? '*' : mask[0];
  const std::vector<uint8_t>& font = properties_.Get(kEditFont).bytes;
  appearance_.font.assign(font.begin(), font.end());
  ApplyAppearance();
}

bool EditBoxUnit::SetOwnProperty(int index, const UnitValue& value) {
  switch (index) {
    case kEditContent:
      properties_.Set(index, value);
      Native().SetText(Handle(), value.text);
      return false;
    case kEditSelectionStart:
    case kEditSelectionLength: {
      properties_.Set(index, value);
      int start = 0, length = 0;
      Native().Selection(Handle(), &start, &length);
      if (index == kEditSelectionStart) start = value.Word();
      if (index == kEditSelectionLength) length = value.Word();
      Native().SetSelection(Handle(), start, length);
      return false;
    }
    case kEditMultiLine: {
      // An edit control cannot change between one line and many: it is made anew.
      bool changed = (properties_.Word(index) == 1) != (value.Word() == 1);
      properties_.Set(index, value);
      return changed;
    }
    default: {
      properties_.Set(index, value);
      Native().SetStyle(Handle(), baseStyle_ | Style());
      UpdateAppearance();
      return false;
    }
  }
}

bool EditBoxUnit::GetOwnProperty(int index, UnitValue* value) {
  switch (index) {
    case kEditContent:
      *value = UnitValue::OfText(Native().Text(Handle()));
      return true;
    case kEditSelectionStart:
    case kEditSelectionLength: {
      int start = 0, length = 0;
      Native().Selection(Handle(), &start, &length);
      *value = UnitValue::OfWord(index == kEditSelectionStart ? start : length);
      return true;
    }
    default:
      return Unit::GetOwnProperty(index, value);
  }
}

bool EditBoxUnit::KeepsKey(int key) {
  constexpr int kKeyTab = 9, kKeyEnter = 13;
  UnitValue multiLine;
  return (key == kKeyTab || key == kKeyEnter) && GetOwnProperty(kEditMultiLine, &multiLine) &&
         multiLine.number == 1;
}

// The stored data carries what the control holds now.
std::vector<uint8_t> EditBoxUnit::UnitData() const {
  PropertyStore current = properties_;
  current.Set(kEditContent, UnitValue::OfText(Native().Text(Handle())));
  int start = 0, length = 0;
  Native().Selection(Handle(), &start, &length);
  current.SetWord(kEditSelectionStart, start);
  current.SetWord(kEditSelectionLength, length);
  return current.Write(kLayout);
}

platform::EventAnswer EditBoxUnit::OnEvent(const platform::WindowEvent& e) {
  if (e.kind == platform::EventKind::TextChanged) Raise(kEditContentChanged);
  return {};
}

}  // namespace vorenn
