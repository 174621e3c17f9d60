#include "units/list_view_unit.h"

#include <algorithm>
#include <array>

#include "engine/units/descriptor_tables.h"
#include "units/list_view_blocks.h"

namespace vorenn {
namespace {

using platform::Native;

constexpr DataField kFields[] = {
    {8, FieldForm::Word},  {9, FieldForm::Word},  {10, FieldForm::Word}, {11, FieldForm::Word},
    {13, FieldForm::Word}, {14, FieldForm::Word}, {15, FieldForm::Word}, {16, FieldForm::Word},
    {18, FieldForm::Word}, {20, FieldForm::Word}, {21, FieldForm::Word}, {22, FieldForm::Word},
    {23, FieldForm::Word}, {26, FieldForm::Word}, {27, FieldForm::Word}, {28, FieldForm::Word},
    {29, FieldForm::Word}, {30, FieldForm::Word}, {31, FieldForm::Word}, {32, FieldForm::Word},
    {33, FieldForm::Word}, {34, FieldForm::Word}, {35, FieldForm::Word}, {36, FieldForm::Word},
    {12, FieldForm::Buffer}, {19, FieldForm::Buffer}, {24, FieldForm::Buffer}, {17, FieldForm::Buffer},
    {25, FieldForm::Buffer}, {37, FieldForm::Buffer},
};
constexpr UnitLayout kLayout{1, kFields};

constexpr uint16_t kImageList = 1023;
constexpr uint16_t kDataBlock = 1009;
constexpr uint16_t kOwnKinds[] = {
    kKindPick,    kKindColour,  kKindColourOrDefault, kKindColourOrDefault, kKindFont,     // 8-12
    kKindPick,    kKindPick,    kKindLogical,         kKindLogical,         kDataBlock,    // 13-17
    kKindLogical, kImageList,   kKindLogical,         kKindLogical,         kKindLogical,  // 18-22
    kKindLogical, kImageList,   kImageList,           kKindLogical,         kKindLogical,  // 23-27
    kKindLogical, kKindLogical, kKindLogical,         kKindPick,            kKindLogical,  // 28-32
    kKindLogical, kKindLogical, kKindInteger,         kKindLogical,         kDataBlock,    // 33-37
    kKindText,                                                                             // 38
};
constexpr auto kProperties = PropertyTable(kOwnKinds);
constexpr std::array<EventDescriptor, 0> kEvents{};
constexpr uint32_t kState = 0x80000040;
constexpr int kListCommands[] = {0, 1, 2};

// A state image index becomes the item state's image bits.
constexpr int kStateImageShift = 12;

uint32_t Resolved(int32_t colour) {
  return uint32_t(colour) == platform::kDefaultColour ? platform::SystemColourOf(platform::SystemColour::ButtonFace)
                                                      : uint32_t(colour);
}

}  // namespace

const TypeDescriptor& ListViewUnitType() {
  static const TypeDescriptor type = [] {
    TypeDescriptor t = UnitTypeDescriptorOf("ListView", kState, kProperties, kEvents,
                                                      &StandardUnitInterface<ListViewUnit>);
    t.commandCount = int(std::size(kListCommands));
    t.commands = kListCommands;
    return t;
  }();
  return type;
}

ListViewUnit::ListViewUnit(const UnitCreateArgs& args) : Unit(args, kLayout, int(kProperties.size())) {
  properties_.SetWord(kListBorder, 1);
  properties_.SetWord(kListTextBackground, 0xFFFFFF);
  properties_.SetWord(kListBackground, 0xFFFFFF);
  properties_.SetWord(kListViewType, kViewReport);
  properties_.SetWord(kListAutoArrange, 1);
  properties_.SetWord(kListLabelWrap, 1);
  properties_.SetWord(kListClickableHeaders, 1);
  properties_.SetWord(kListSelection, -1);
}

bool ListViewUnit::Init(const UnitCreateArgs& args) {
  platform::WindowSpec params;
  params.role = platform::WindowRole::ListView;
  if (!Create(args, params)) return false;
  ApplySetup();
  if (IsReport()) InsertColumns();
  InsertInitialItems();
  ApplySelection();
  return true;
}

void ListViewUnit::Prepare(platform::WindowSpec& params) {
  (void)params;
  PullIntoRange();
}

void ListViewUnit::PullIntoRange() {
  properties_.SetWord(kListBorder, std::clamp(properties_.Word(kListBorder), 0, 5));
  properties_.SetWord(kListViewType, std::clamp(properties_.Word(kListViewType), 0, 3));
  properties_.SetWord(kListSort, std::clamp(properties_.Word(kListSort), 0, 2));
  properties_.SetWord(kListSelection, std::max(properties_.Word(kListSelection), -1));
}

platform::ListSetup ListViewUnit::Setup() const {
  platform::ListSetup s;
  int view = properties_.Word(kListViewType);
  s.view = platform::ListViewKind(view);
  if (view == kViewLargeIcons || view == kViewSmallIcons) {
    s.alignLeft = properties_.Word(kListIconAlign) == 1;
    s.autoArrange = Flag(kListAutoArrange);
    s.noLabelWrap = !Flag(kListLabelWrap);
  }
  if (view == kViewReport) {
    s.noColumnHeader = Flag(kListHideHeaders);
    s.noSortHeader = !s.noColumnHeader && !Flag(kListClickableHeaders);
    s.headerDragDrop = Flag(kListHeaderDrag);
    s.fullRowSelect = Flag(kListFullRowSelect);
    s.gridLines = Flag(kListGridLines);
  }
  s.editLabels = Flag(kListEditLabels);
  s.sort = properties_.Word(kListSort);
  s.singleSelection = Flag(kListSingleSelection);
  s.showSelectionAlways = Flag(kListAlwaysShowSelection);
  s.checkBoxes = Flag(kListCheckBoxes);
  s.flatScrollBars = Flag(kListFlatScrollBars);
  if (Flag(kListHotTracking)) {
    s.trackSelect = true;
    s.underlineCold = Flag(kListUnderlineCold);
    s.underlineHot = Flag(kListUnderlineHot);
    s.hotCursor = Flag(kListHandCursor) ? platform::PointerShape::Hand : platform::PointerShape::Arrow;
  }
  s.textColour = uint32_t(properties_.Word(kListTextColour));
  s.textBackground = Resolved(properties_.Word(kListTextBackground));
  s.background = Resolved(properties_.Word(kListBackground));
  const std::vector<uint8_t>& font = properties_.Get(kListFont).bytes;
  s.font.assign(font.begin(), font.end());
  return s;
}

void ListViewUnit::ApplySetup() {
  platform::ListSetup s = Setup();
  Native().SetListSetup(Handle(), s);
  appearance_.border = properties_.Word(kListBorder);
  appearance_.textColour = s.textColour;
  appearance_.backgroundColour = s.background;
  appearance_.font = s.font;
  ApplyAppearance();
}

void ListViewUnit::InsertColumns() {
  int index = 0;
  for (const platform::ListColumn& column : ReadColumnBlock(properties_.Get(kListColumns).bytes))
    Native().InsertListColumn(Handle(), index++, column);
}

void ListViewUnit::InsertInitialItems() {
  Native().DeleteListItems(Handle());
  for (const InitialItem& initial : ReadItemBlock(properties_.Get(kListItems).bytes)) {
    // Image lists are not shown, so every image index lies outside them.
    platform::ListItem item;
    item.text = initial.text;
    item.indent = std::max(initial.indent, 0);
    item.value = initial.value;
    int row = Native().InsertListItem(Handle(), Native().ListItemCount(Handle()), item);
    if (row < 0) continue;
    for (size_t i = 0; i < initial.subItems.size(); ++i)
      Native().SetListItemText(Handle(), row, int(i) + 1, initial.subItems[i]);
  }
}

void ListViewUnit::ApplySelection() {
  int32_t row = properties_.Word(kListSelection);
  if (row == -1) {
    Native().SetListSelection(Handle(), -1);
  } else if (Flag(kListSingleSelection)) {
    Native().SetListSelection(Handle(), row);
  }
}

// Style properties need a new control when they matter in the current view type.
bool ListViewUnit::RestyleNeeded(int index) const {
  int view = properties_.Word(kListViewType);
  bool iconView = view == kViewLargeIcons || view == kViewSmallIcons;
  switch (index) {
    case kListViewType: return true;
    case kListIconAlign: case kListAutoArrange: case kListLabelWrap: return iconView;
    case kListClickableHeaders: case kListHeaderDrag: return view == kViewReport;
    case kListEditLabels: case kListSort: case kListCheckBoxes: case kListFlatScrollBars:
    case kListSingleSelection: case kListAlwaysShowSelection: case kListHotTracking:
      return true;
    case kListHandCursor: case kListUnderlineCold: case kListUnderlineHot: return Flag(kListHotTracking);
    default: return false;
  }
}

bool ListViewUnit::SetOwnProperty(int index, const UnitValue& value) {
  if (index == kListReadOnlyText) return false;
  bool restyle = RestyleNeeded(index);
  properties_.Set(index, value);
  PullIntoRange();
  if (restyle) return true;
  switch (index) {
    case kListSelection: ApplySelection(); break;
    case kListItems: InsertInitialItems(); break;
    default: ApplySetup(); break;
  }
  return false;
}

bool ListViewUnit::GetOwnProperty(int index, UnitValue* value) {
  switch (index) {
    case kListTextColour:
    case kListTextBackground:
    case kListBackground:
      *value = UnitValue::OfWord(Resolved(properties_.Word(index)));
      return true;
    case kListSelection:
      *value = UnitValue::OfWord(Native().ListSelection(Handle()));
      return true;
    default:
      return Unit::GetOwnProperty(index, value);
  }
}

// The stored data carries the selection the control holds now.
std::vector<uint8_t> ListViewUnit::UnitData() const {
  PropertyStore current = properties_;
  current.SetWord(kListSelection, Native().ListSelection(Handle()));
  return current.Write(kLayout);
}

void ListViewUnit::ClearItems() { Native().DeleteListItems(Handle()); }

int32_t ListViewUnit::InsertItem(const InsertItemArgs& args) {
  int position = args.position.has_value() && *args.position >= 0 ? *args.position : Native().ListItemCount(Handle());
  platform::ListItem item;
  item.text = args.title;
  item.image = args.image.has_value() && *args.image >= -1 ? *args.image : -1;
  if (args.stateImage.has_value())
    item.state = uint32_t(std::max<int64_t>(int64_t(*args.stateImage) + 1, 0)) << kStateImageShift;
  if (args.indent.has_value()) item.indent = std::max(*args.indent, 0);
  if (args.value.has_value()) item.value = *args.value;
  return Native().InsertListItem(Handle(), position, item);
}

void ListViewUnit::SetItemText(int32_t row, int32_t column, std::string_view text) {
  if (row < 0 || row >= Native().ListItemCount(Handle())) return;
  Native().SetListItemText(Handle(), row, column, text);
}

}  // namespace vorenn
