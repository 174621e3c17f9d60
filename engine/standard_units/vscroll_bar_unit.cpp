#include "engine/standard_units/vscroll_bar_unit.h"

#include <algorithm>

#include "engine/units/descriptor_tables.h"

namespace vorenn {
namespace {

using platform::ScrollAction;

constexpr DataField kFields[] = {
    {8, FieldForm::Word},  {9, FieldForm::Word},  {10, FieldForm::Word},
    {11, FieldForm::Word}, {12, FieldForm::Word}, {13, FieldForm::Word},
};
constexpr UnitLayout kLayout{1, kFields};

constexpr uint16_t kOwnKinds[] = {kKindInteger, kKindInteger, kKindInteger,
                                  kKindInteger, kKindInteger, kKindLogical};
constexpr auto kProperties = PropertyTable(kOwnKinds);
constexpr int kEventArguments[] = {0};
constexpr auto kEvents = EventTable(kEventArguments);
constexpr uint32_t kState = 0x80020040;
constexpr int kMaxStep = 32767;

}  // namespace

const TypeDescriptor& VScrollBarUnitType() {
  static const TypeDescriptor type = UnitTypeDescriptorOf(
      "VScrollBar", kState, kProperties, kEvents, &StandardUnitInterface<VScrollBarUnit>);
  return type;
}

VScrollBarUnit::VScrollBarUnit(const UnitCreateArgs& args) : Unit(args, kLayout, int(kProperties.size())) {
  properties_.SetWord(kScrollMaximum, 100);
  properties_.SetWord(kScrollPageStep, 10);
  properties_.SetWord(kScrollLineStep, 1);
  properties_.SetWord(kScrollFollowThumb, 1);
}

bool VScrollBarUnit::Init(const UnitCreateArgs& args) {
  platform::WindowSpec params;
  params.role = platform::WindowRole::VScrollBar;
  if (!Create(args, params)) return false;
  ApplyRange();
  return true;
}

int VScrollBarUnit::Low() const {
  return std::min(properties_.Word(kScrollMinimum), properties_.Word(kScrollMaximum));
}

int VScrollBarUnit::High() const {
  return std::max(properties_.Word(kScrollMinimum), properties_.Word(kScrollMaximum));
}

void VScrollBarUnit::ClampAll() {
  properties_.SetWord(kScrollPageStep, std::clamp(properties_.Word(kScrollPageStep), 1, kMaxStep));
  properties_.SetWord(kScrollLineStep, std::clamp(properties_.Word(kScrollLineStep), 1, kMaxStep));
  properties_.SetWord(kScrollPosition, std::clamp(properties_.Word(kScrollPosition), Low(), High()));
}

void VScrollBarUnit::Prepare(platform::WindowSpec&) { ClampAll(); }

void VScrollBarUnit::ApplyRange() {
  platform::ScrollBarState state{Low(), High(), properties_.Word(kScrollPageStep),
                                 properties_.Word(kScrollPosition)};
  platform::Native().SetScrollBar(Handle(), state);
}

bool VScrollBarUnit::SetOwnProperty(int index, const UnitValue& value) {
  properties_.Set(index, value);
  if (index == kScrollMinimum || index == kScrollMaximum || index == kScrollPosition ||
      index == kScrollPageStep || index == kScrollLineStep) {
    ClampAll();
    ApplyRange();
  }
  return false;
}

void VScrollBarUnit::Scroll(ScrollAction action, int thumb) {
  int64_t position = properties_.Word(kScrollPosition);
  switch (action) {
    case ScrollAction::EndScroll: return;
    case ScrollAction::LineUp: position -= properties_.Word(kScrollLineStep); break;
    case ScrollAction::LineDown: position += properties_.Word(kScrollLineStep); break;
    case ScrollAction::PageUp: position -= properties_.Word(kScrollPageStep); break;
    case ScrollAction::PageDown: position += properties_.Word(kScrollPageStep); break;
    case ScrollAction::ThumbTracked:
      if (properties_.Word(kScrollFollowThumb) != 1) return;
      position = thumb;
      break;
    case ScrollAction::ThumbReleased:
    case ScrollAction::None: position = thumb; break;
    case ScrollAction::ToTop: position = Low(); break;
    case ScrollAction::ToBottom: position = High(); break;
  }
  position = std::clamp<int64_t>(position, Low(), High());
  if (position == properties_.Word(kScrollPosition)) return;
  properties_.SetWord(kScrollPosition, position);
  ApplyRange();
  Raise(kScrollPositionChanged);
}

platform::EventAnswer VScrollBarUnit::OnEvent(const platform::WindowEvent& e) {
  if (e.kind == platform::EventKind::ScrollChanged) Scroll(e.scrollAction, e.value);
  return {};
}

}  // namespace vorenn
