#include "units/super_btn_unit.h"

#include <algorithm>

#include "engine/units/descriptor_tables.h"

namespace vorenn {
namespace {

using platform::Native;

constexpr DataField kFields[] = {
    {8, FieldForm::Word},     {9, FieldForm::Word},     {10, FieldForm::Word},   {11, FieldForm::Word},
    {12, FieldForm::Word},    {13, FieldForm::Word},    {14, FieldForm::Word},   {18, FieldForm::Word},
    {16, FieldForm::Word},    {23, FieldForm::Word},    {30, FieldForm::Word},   {34, FieldForm::Word},
    {24, FieldForm::Word},    {25, FieldForm::Word},    {26, FieldForm::Word},   {27, FieldForm::Word},
    {28, FieldForm::Word},    {29, FieldForm::Word},    {17, FieldForm::Buffer}, {15, FieldForm::Buffer},
    {21, FieldForm::Buffer},  {31, FieldForm::Buffer},  {32, FieldForm::Buffer}, {22, FieldForm::Text},
    {33, FieldForm::Text},    {20, FieldForm::Word, 2}, {19, FieldForm::Buffer, 2},
};
constexpr UnitLayout kLayout{2, kFields};

constexpr uint16_t kPicture = 1012;
constexpr uint16_t kIcon = 1010;
constexpr uint16_t kOwnKinds[] = {
    kKindPick,    kKindLogical,         kKindLogical, kKindPick,            kKindPick,     // 8-12
    kKindLogical, kKindLogical,         kPicture,     kKindColourOrDefault, kPicture,      // 13-17
    kKindColourOrDefault, kPicture,     kKindColourOrDefault, kKindFont,    kKindText,     // 18-22
    kKindLogical, kKindColour,          kKindColourOrDefault, kKindColour,  kKindColourOrDefault,  // 23-27
    kKindColour,  kKindColourOrDefault, kKindLogical, kIcon,                kIcon,         // 28-32
    kKindText,    kKindPick,                                                               // 33-34
};
constexpr auto kProperties = PropertyTable(kOwnKinds);
constexpr int kEventArguments[] = {0};
constexpr auto kEvents = EventTable(kEventArguments);
constexpr uint32_t kState = 0x80000040;

uint32_t Resolved(int32_t colour) {
  return uint32_t(colour) == platform::kDefaultColour ? platform::SystemColourOf(platform::SystemColour::ButtonFace)
                                                      : uint32_t(colour);
}

}  // namespace

const TypeDescriptor& SuperBtnUnitType() {
  static const TypeDescriptor type = UnitTypeDescriptorOf(
      "SuperBtn", kState, kProperties, kEvents, &StandardUnitInterface<SuperBtnUnit>);
  return type;
}

SuperBtnUnit::SuperBtnUnit(const UnitCreateArgs& args) : Unit(args, kLayout, int(kProperties.size())) {
  properties_.SetWord(kBtnFrameStyle, kFrameStandard);
  properties_.SetWord(kBtnDefaultColours, 1);
  for (int i : {kBtnImage0Transparent, kBtnImage1Transparent, kBtnImage2Transparent})
    properties_.SetWord(i, platform::kDefaultColour);
  for (int i = 0; i < 3; ++i) properties_.SetWord(kBtnColour1 + 2 * i + 1, platform::kDefaultColour);
}

SuperBtnUnit::~SuperBtnUnit() {
  // The painter refers to this unit; the window may outlive it by a paint request.
  if (platform::HasBackend()) Native().SetButtonPainter(Handle(), {});
}

bool SuperBtnUnit::Init(const UnitCreateArgs& args) {
  platform::WindowSpec params;
  params.role = platform::WindowRole::Button;
  if (!Create(args, params)) return false;
  Native().SetButtonPainter(Handle(), [this](platform::Canvas& canvas, const platform::ButtonDrawState& state) {
    DrawSuperBtn(canvas, state, look_);
  });
  if (Flag(kBtnToggle)) Native().SetChecked(Handle(), Flag(kBtnChecked));
  if (!properties_.Text(kBtnToolTip).empty()) Native().SetToolTip(Handle(), properties_.Text(kBtnToolTip));
  return true;
}

void SuperBtnUnit::Prepare(platform::WindowSpec& params) {
  PullIntoRange();
  params.text = properties_.Text(kBtnCaption);
  params.style |= platform::kStyleOwnerDrawn;
  if (Flag(kBtnToggle))
    params.style |= platform::kStyleToggle;
  else if (properties_.Word(kBtnDefaultButton) == 1)
    params.style |= platform::kStyleDefaultButton;
  DecodePictures();
  UpdateLook();
}

void SuperBtnUnit::PullIntoRange() {
  properties_.SetWord(kBtnFrameStyle, std::clamp(properties_.Word(kBtnFrameStyle), 0, 2));
  properties_.SetWord(kBtnLayout, std::clamp(properties_.Word(kBtnLayout), 0, 3));
}

void SuperBtnUnit::DecodePictures() {
  const int sources[3] = {kBtnImage0, kBtnImage1, kBtnImage2};
  for (size_t i = 0; i < 3; ++i) {
    const std::vector<uint8_t>& bytes = properties_.Get(sources[i]).bytes;
    look_.images[i] = bytes.empty() ? nullptr : Native().DecodePicture(bytes);
  }
}

void SuperBtnUnit::UpdateLook() {
  look_.frameStyle = properties_.Word(kBtnFrameStyle);
  look_.toggle = Flag(kBtnToggle);
  look_.isDefault = !look_.toggle && properties_.Word(kBtnDefaultButton) == 1;
  look_.layout = properties_.Word(kBtnLayout);
  look_.flatBorder = Flag(kBtnFlatBorder);
  look_.flatFocusRect = Flag(kBtnFlatFocusRect);
  look_.defaultColours = Flag(kBtnDefaultColours);
  for (size_t i = 0; i < 6; ++i) {
    int32_t colour = properties_.Word(kBtnColour1 + int(i));
    look_.colours[i] = i % 2 == 1 ? Resolved(colour) : uint32_t(colour);
  }
  look_.transparent = {uint32_t(properties_.Word(kBtnImage0Transparent)),
                       uint32_t(properties_.Word(kBtnImage1Transparent)),
                       uint32_t(properties_.Word(kBtnImage2Transparent))};
  look_.caption = properties_.Text(kBtnCaption);
  const std::vector<uint8_t>& font = properties_.Get(kBtnFont).bytes;
  look_.font.assign(font.begin(), font.end());
  appearance_.font = look_.font;
  ApplyAppearance();
}

bool SuperBtnUnit::SetOwnProperty(int index, const UnitValue& value) {
  const UnitValue old = properties_.Get(index);
  properties_.Set(index, value);
  PullIntoRange();
  // Rewriting a value the button already has (the skill rows rewrite their captions every few
  // seconds) needs no repaint. The checked state is always passed on: the control may hold another.
  if (index != kBtnChecked && index != kBtnToggle && index != kBtnDefaultButton &&
      properties_.Get(index) == old) {
    return false;
  }
  switch (index) {
    case kBtnToggle:
    case kBtnDefaultButton:
      return true;
    case kBtnChecked:
      if (Flag(kBtnToggle)) Native().SetChecked(Handle(), Flag(kBtnChecked));
      break;
    case kBtnCaption:
      Native().SetText(Handle(), value.text);
      break;
    case kBtnToolTip:
      Native().SetToolTip(Handle(), value.text);
      break;
    case kBtnImage0:
    case kBtnImage1:
    case kBtnImage2:
      DecodePictures();
      break;
    default:
      break;
  }
  UpdateLook();
  Native().Repaint(Handle());
  return false;
}

bool SuperBtnUnit::GetOwnProperty(int index, UnitValue* value) {
  if (index == kBtnChecked && Flag(kBtnToggle)) {
    *value = UnitValue::OfWord(Native().IsChecked(Handle()) ? 1 : 0);
    return true;
  }
  return Unit::GetOwnProperty(index, value);
}

// The stored data carries the checked state the control holds now.
std::vector<uint8_t> SuperBtnUnit::UnitData() const {
  if (!Flag(kBtnToggle) || Handle() == platform::kNoWindow) return properties_.Write(kLayout);
  PropertyStore current = properties_;
  current.SetWord(kBtnChecked, Native().IsChecked(Handle()) ? 1 : 0);
  return current.Write(kLayout);
}

platform::EventAnswer SuperBtnUnit::OnEvent(const platform::WindowEvent& e) {
  switch (e.kind) {
    case platform::EventKind::FocusIn:
    case platform::EventKind::FocusOut:
      Native().Repaint(Handle());
      break;
    case platform::EventKind::Clicked:
      // The button's own handling (the toggle's new state shown) comes before the game's.
      Native().Repaint(Handle());
      Raise(kSuperBtnClicked);
      break;
    default:
      break;
  }
  return {};
}

}  // namespace vorenn
