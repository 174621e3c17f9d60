#include "engine/standard_units/button_unit.h"

#include "engine/units/descriptor_tables.h"

namespace vorenn {
namespace {

constexpr DataField kFields[] = {
    {9, FieldForm::Word},    {11, FieldForm::Word},    {12, FieldForm::Word},
    {8, FieldForm::Buffer},  {13, FieldForm::Buffer},  {10, FieldForm::Text},
};
constexpr UnitLayout kLayout{1, kFields};

constexpr uint16_t kOwnKinds[] = {kKindBytes, kKindPick, kKindText, kKindPick, kKindPick, kKindFont};
constexpr auto kProperties = PropertyTable(kOwnKinds);
constexpr int kEventArguments[] = {0};
constexpr auto kEvents = EventTable(kEventArguments);
constexpr uint32_t kState = 0x80000840;

}  // namespace

const TypeDescriptor& ButtonUnitType() {
  static const TypeDescriptor type = UnitTypeDescriptorOf(
      "Button", kState, kProperties, kEvents, &StandardUnitInterface<ButtonUnit>);
  return type;
}

ButtonUnit::ButtonUnit(const UnitCreateArgs& args) : Unit(args, kLayout, int(kProperties.size())) {
  properties_.SetWord(kButtonHAlign, 1);
  properties_.SetWord(kButtonVAlign, 1);
}

bool ButtonUnit::Init(const UnitCreateArgs& args) {
  platform::WindowSpec params;
  params.role = platform::WindowRole::Button;
  return Create(args, params);
}

void ButtonUnit::Prepare(platform::WindowSpec& params) {
  params.text = properties_.Text(kButtonCaption);
  UpdateAppearance();
}

void ButtonUnit::UpdateAppearance() {
  appearance_.hAlign = properties_.Word(kButtonHAlign);
  appearance_.vAlign = properties_.Word(kButtonVAlign);
  const std::vector<uint8_t>& font = properties_.Get(kButtonFont).bytes;
  appearance_.font.assign(font.begin(), font.end());
  ApplyAppearance();
}

bool ButtonUnit::SetOwnProperty(int index, const UnitValue& value) {
  properties_.Set(index, value);
  if (index == kButtonCaption) platform::Native().SetText(Handle(), value.text);
  UpdateAppearance();
  return false;
}

platform::EventAnswer ButtonUnit::OnEvent(const platform::WindowEvent& e) {
  if (e.kind == platform::EventKind::Clicked) Raise(kButtonClicked);
  return {};
}

}  // namespace vorenn
