#include "engine/standard_units/group_box_unit.h"

#include "engine/units/descriptor_tables.h"

namespace vorenn {
namespace {

constexpr DataField kFields[] = {
    {9, FieldForm::Word}, {10, FieldForm::Word}, {11, FieldForm::Word}, {12, FieldForm::Buffer},
    {8, FieldForm::Text},
};
constexpr UnitLayout kLayout{1, kFields};

constexpr uint16_t kOwnKinds[] = {kKindText, kKindPick, kKindColour, kKindColourOrDefault, kKindFont};
constexpr auto kProperties = PropertyTable(kOwnKinds);
constexpr int kEventArguments[] = {0};
constexpr auto kEvents = EventTable(kEventArguments);
constexpr uint32_t kState = 0x840140C0;

}  // namespace

const TypeDescriptor& GroupBoxUnitType() {
  static const TypeDescriptor type = UnitTypeDescriptorOf(
      "GroupBox", kState, kProperties, kEvents, &StandardUnitInterface<GroupBoxUnit>);
  return type;
}

GroupBoxUnit::GroupBoxUnit(const UnitCreateArgs& args) : Unit(args, kLayout, int(kProperties.size())) {
  properties_.SetWord(kGroupBackground, platform::kDefaultColour);
}

bool GroupBoxUnit::Init(const UnitCreateArgs& args) {
  platform::WindowSpec params;
  params.role = platform::WindowRole::GroupBox;
  return Create(args, params);
}

void GroupBoxUnit::Prepare(platform::WindowSpec& params) {
  params.text = properties_.Text(kGroupCaption);
  UpdateAppearance();
}

void GroupBoxUnit::UpdateAppearance() {
  appearance_.hAlign = properties_.Word(kGroupAlign);
  appearance_.textColour = uint32_t(properties_.Word(kGroupTextColour));
  appearance_.backgroundColour = uint32_t(properties_.Word(kGroupBackground));
  const std::vector<uint8_t>& font = properties_.Get(kGroupFont).bytes;
  appearance_.font.assign(font.begin(), font.end());
  ApplyAppearance();
}

bool GroupBoxUnit::SetOwnProperty(int index, const UnitValue& value) {
  properties_.Set(index, value);
  if (index == kGroupCaption) platform::Native().SetText(Handle(), value.text);
  UpdateAppearance();
  return false;
}

}  // namespace vorenn
