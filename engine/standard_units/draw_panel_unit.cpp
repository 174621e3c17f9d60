#include "engine/standard_units/draw_panel_unit.h"

#include "engine/units/descriptor_tables.h"

namespace vorenn {
namespace {

constexpr DataField kFields[] = {
    {8, FieldForm::Word},  {9, FieldForm::Word},  {11, FieldForm::Word}, {12, FieldForm::Word},
    {13, FieldForm::Word}, {14, FieldForm::Word}, {15, FieldForm::Word}, {16, FieldForm::Word},
    {17, FieldForm::Word}, {18, FieldForm::Word}, {19, FieldForm::Word}, {20, FieldForm::Word},
    {21, FieldForm::Word}, {10, FieldForm::Buffer}, {22, FieldForm::Buffer},
};
constexpr UnitLayout kLayout{1, kFields};

constexpr uint16_t kOwnKinds[] = {
    kKindPick,   kKindColourOrDefault, kKindBytes,  kKindPick,   kKindLogical,  // 8-12
    kKindPick,   kKindPick,            kKindPick,   kKindInteger, kKindColour,  // 13-17
    kKindPick,   kKindColour,          kKindColour, kKindColour,  kKindFont,    // 18-22
    kKindInteger, kKindInteger,                                                 // 23-24
};
constexpr auto kProperties = PropertyTable(kOwnKinds);
constexpr int kEventArguments[] = {0};
constexpr auto kEvents = EventTable(kEventArguments);
constexpr uint32_t kState = 0x800200C0;

}  // namespace

const TypeDescriptor& DrawPanelUnitType() {
  static const TypeDescriptor type = UnitTypeDescriptorOf(
      "DrawPanel", kState, kProperties, kEvents, &StandardUnitInterface<DrawPanelUnit>);
  return type;
}

DrawPanelUnit::DrawPanelUnit(const UnitCreateArgs& args) : Unit(args, kLayout, int(kProperties.size())) {
  properties_.SetWord(kPanelBackground, platform::kDefaultColour);
}

bool DrawPanelUnit::Init(const UnitCreateArgs& args) {
  platform::WindowSpec params;
  params.role = platform::WindowRole::Panel;
  return Create(args, params);
}

void DrawPanelUnit::Prepare(platform::WindowSpec&) { UpdateAppearance(); }

void DrawPanelUnit::UpdateAppearance() {
  appearance_.border = properties_.Word(kPanelBorder);
  appearance_.backgroundColour = uint32_t(properties_.Word(kPanelBackground));
  const std::vector<uint8_t>& font = properties_.Get(kPanelFont).bytes;
  appearance_.font.assign(font.begin(), font.end());
  ApplyAppearance();
}

bool DrawPanelUnit::SetOwnProperty(int index, const UnitValue& value) {
  properties_.Set(index, value);
  UpdateAppearance();
  return false;
}

}  // namespace vorenn
