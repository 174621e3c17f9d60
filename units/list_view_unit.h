// The `ListView` unit (type 0x50004): rows of text in columns on the platform's list control; the
// leaderboard is one, in report view.
//
// Unit data (highest version 1), fields in order, [n] the property index:
//   offset  size  meaning
//   0       4     version (above 1: the unit is not created)
//   4       52    13 u32: [8] border, [9] text colour, [10] text background, [11] background,
//                 [13] view type, [14] icon alignment, [15] auto arrange, [16] label wrap,
//                 [18] hide column headers, [20] clickable headers, [21] full row select,
//                 [22] grid lines, [23] header drag and drop
//   56      44    11 u32: [26] hot tracking, [27] hand cursor, [28] underline cold,
//                 [29] underline hot, [30] edit labels, [31] sort, [32] check boxes,
//                 [33] flat scroll bars, [34] single selection, [35] current selection,
//                 [36] always show selection
//   100     ...   six buffers (u32 count + bytes): [12] font, [19] header images, [24] item images,
//                 [17] columns, [25] state images, [37] initial items
// The column and item blocks are laid out in units/list_view_blocks.h. Image lists are kept as
// bytes and not shown: every image index counts as none.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/units/unit_base.h"

namespace vorenn {

const TypeDescriptor& ListViewUnitType();

enum ListViewProperty : int {
  kListBorder = 8, kListTextColour = 9, kListTextBackground = 10, kListBackground = 11, kListFont = 12,
  kListViewType = 13, kListIconAlign = 14, kListAutoArrange = 15, kListLabelWrap = 16, kListColumns = 17,
  kListHideHeaders = 18, kListHeaderImages = 19, kListClickableHeaders = 20, kListFullRowSelect = 21,
  kListGridLines = 22, kListHeaderDrag = 23, kListItemImages = 24, kListStateImages = 25,
  kListHotTracking = 26, kListHandCursor = 27, kListUnderlineCold = 28, kListUnderlineHot = 29,
  kListEditLabels = 30, kListSort = 31, kListCheckBoxes = 32, kListFlatScrollBars = 33,
  kListSingleSelection = 34, kListSelection = 35, kListAlwaysShowSelection = 36, kListItems = 37,
  kListReadOnlyText = 38,
};

enum ListViewType : int32_t { kViewLargeIcons = 0, kViewSmallIcons = 1, kViewList = 2, kViewReport = 3 };

// The arguments of InsertItem; nullopt where the caller left one out.
struct InsertItemArgs {
  std::optional<int32_t> position;
  std::string title;
  std::optional<int32_t> image;
  std::optional<int32_t> stateImage;
  std::optional<int32_t> indent;
  std::optional<int32_t> value;
};

class ListViewUnit final : public Unit {
 public:
  explicit ListViewUnit(const UnitCreateArgs& args);
  bool Init(const UnitCreateArgs& args);
  bool SetOwnProperty(int index, const UnitValue& value) override;
  bool GetOwnProperty(int index, UnitValue* value) override;
  std::vector<uint8_t> UnitData() const override;

  // The list commands. InsertItem: the new row's index, -1 when the control refuses it.
  void ClearItems();
  int32_t InsertItem(const InsertItemArgs& args);
  // Nothing happens for a row or column that does not exist.
  void SetItemText(int32_t row, int32_t column, std::string_view text);

 private:
  void Prepare(platform::WindowSpec& params) override;
  void PullIntoRange();
  bool IsReport() const { return properties_.Word(kListViewType) == kViewReport; }
  bool Flag(int index) const { return properties_.Word(index) == 1; }
  platform::ListSetup Setup() const;
  void ApplySetup();
  void InsertColumns();
  void InsertInitialItems();
  void ApplySelection();
  bool RestyleNeeded(int index) const;
};

}  // namespace vorenn
