#include "engine/standard_units/label_unit.h"

#include "engine/units/descriptor_tables.h"

namespace vorenn {
namespace {

constexpr DataField kFields[] = {
    {9, FieldForm::Word},  {11, FieldForm::Word},   {10, FieldForm::Word},   {12, FieldForm::Word},
    {13, FieldForm::Word}, {14, FieldForm::Word},   {16, FieldForm::Word},   {17, FieldForm::Word},
    {19, FieldForm::Word}, {20, FieldForm::Word},   {21, FieldForm::Word},   {22, FieldForm::Word},
    {23, FieldForm::Word}, {24, FieldForm::Word},   {26, FieldForm::Word},   {25, FieldForm::Word},
    {15, FieldForm::Buffer}, {18, FieldForm::Buffer}, {8, FieldForm::Text},  {27, FieldForm::Text, 2},
    {28, FieldForm::Text, 2},
};
constexpr UnitLayout kLayout{2, kFields};

constexpr uint16_t kOwnKinds[] = {
    kKindText,   kKindPick,   kKindPick,   kKindInteger, kKindColour,          // 8-12
    kKindColour, kKindColour, kKindFont,   kKindColour,  kKindColourOrDefault, // 13-17
    kKindBytes,  kKindPick,   kKindPick,   kKindColour,  kKindColour,          // 18-22
    kKindColour, kKindPick,   kKindLogical, kKindPick,   kKindText,            // 23-27
    kKindText,                                                                  // 28
};
constexpr auto kProperties = PropertyTable(kOwnKinds);
constexpr int kEventArguments[] = {0};
constexpr auto kEvents = EventTable(kEventArguments);
constexpr uint32_t kState = 0x84012040;

}  // namespace

const TypeDescriptor& LabelUnitType() {
  static const TypeDescriptor type = UnitTypeDescriptorOf(
      "Label", kState, kProperties, kEvents, &StandardUnitInterface<LabelUnit>);
  return type;
}

LabelUnit::LabelUnit(const UnitCreateArgs& args) : Unit(args, kLayout, int(kProperties.size())) {
  properties_.SetWord(kLabelBackground, platform::kDefaultColour);
}

bool LabelUnit::Init(const UnitCreateArgs& args) {
  platform::WindowSpec params;
  params.role = platform::WindowRole::Label;
  return Create(args, params);
}

void LabelUnit::Prepare(platform::WindowSpec& params) {
  params.text = properties_.Text(kLabelCaption);
  UpdateAppearance();
}

void LabelUnit::UpdateAppearance() {
  bool wrap = properties_.Word(kLabelWordWrap) == 1;
  appearance_.hAlign = properties_.Word(kLabelHAlign);
  // Wrapped text always starts at the top.
  appearance_.vAlign = wrap ? 0 : properties_.Word(kLabelVAlign);
  appearance_.wordWrap = wrap;
  appearance_.embossed = properties_.Word(kLabelEffect) == kLabelEffectEmbossed;
  appearance_.literalPrefix = true;
  appearance_.border = properties_.Word(kLabelBorder);
  appearance_.textColour = uint32_t(properties_.Word(kLabelTextColour));
  appearance_.backgroundColour = uint32_t(properties_.Word(kLabelBackground));
  const std::vector<uint8_t>& font = properties_.Get(kLabelFont).bytes;
  appearance_.font.assign(font.begin(), font.end());
  ApplyAppearance();
}

bool LabelUnit::SetOwnProperty(int index, const UnitValue& value) {
  properties_.Set(index, value);
  // A new caption leaves the look as it is; the game sets captions every second.
  if (index == kLabelCaption) {
    platform::Native().SetText(Handle(), value.text);
  } else {
    UpdateAppearance();
  }
  return false;
}

}  // namespace vorenn
