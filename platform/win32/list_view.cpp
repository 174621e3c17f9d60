// List views on Win32: the COMCTL32 list view as a virtual list (LVS_OWNERDATA). The rows' texts
// stay here as the program gave them (GBK) and are converted only when the control asks for a cell
// (LVN_GETDISPINFOW), which is when it paints it. The control itself keeps the selection, the
// focus and the scroll position.
//
// Rows appended one by one are announced to the control together, once control is back in the
// message loop (or before any other change): a list filled with thousands of rows then costs the
// control one new item count instead of one per row.
#include "platform/win32/internal/win32_parts.h"

#include <commctrl.h>  // after <windows.h>, which the parts' header brings

#include <algorithm>
#include <cwchar>
#include <unordered_map>
#include <vector>

namespace vorenn::platform::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 0x4C56;

struct ListRow {
  std::vector<std::string> cells;  // GBK; cells past the end are empty
  int32_t value = 0;
  int indent = 0;
  bool checked = false;
};

struct ListRows {
  ListSetup setup;
  std::vector<ListColumn> columns;
  std::vector<ListRow> rows;
  size_t announced = 0;  // rows from here on are not yet known to the control
  bool announceQueued = false;

  int ColumnCount() const { return std::max(1, int(columns.size())); }
  std::string_view Cell(size_t row, int column) const {
    const std::vector<std::string>& cells = rows[row].cells;
    return column >= 0 && size_t(column) < cells.size() ? std::string_view(cells[size_t(column)]) : std::string_view();
  }
};

// The rows of each list, found without asking the system (a window property costs a round trip to
// the window server under Wine, four times per row while a list fills). The subclass frees a
// list's rows when the control goes; lists live on the user-interface thread only.
std::unordered_map<HWND, ListRows*>& AllRows() {
  static std::unordered_map<HWND, ListRows*> rows;
  return rows;
}

UINT AnnounceMessage() {
  static const UINT message = RegisterWindowMessageW(L"Vorenn.ListView.Announce");
  return message;
}

// The control learns of the rows appended since it last looked.
void Announce(HWND list, ListRows& rows) {
  if (rows.announced == rows.rows.size()) return;
  rows.announced = rows.rows.size();
  SendMessageW(list, LVM_SETITEMCOUNT, WPARAM(rows.rows.size()), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
}

LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);

// A subclass is named by its procedure and id, so setting and removing it name the same function.
SUBCLASSPROC TheProc() { return &ListProc; }

LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
  auto* rows = reinterpret_cast<ListRows*>(data);
  if (message == AnnounceMessage()) {
    rows->announceQueued = false;
    Announce(list, *rows);
    return 0;
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(list, TheProc(), id);
    AllRows().erase(list);
    delete rows;
  }
  return DefSubclassProc(list, message, wParam, lParam);
}

// The rows of a list that has had any of them; null for other windows.
ListRows* Attached(HWND list) {
  auto found = AllRows().find(list);
  return found != AllRows().end() ? found->second : nullptr;
}

ListRows* Rows(HWND list) {
  if (ListRows* rows = Attached(list)) return rows;
  if (list == nullptr || !IsWindow(list)) return nullptr;
  // Only a virtual list asks for its texts; any other control would show none of them.
  if ((GetWindowLongPtrW(list, GWL_STYLE) & LVS_OWNERDATA) == 0) return nullptr;
  auto* rows = new ListRows;
  if (!SetWindowSubclass(list, TheProc(), kSubclassId, DWORD_PTR(rows))) {
    delete rows;
    return nullptr;
  }
  AllRows()[list] = rows;
  return rows;
}
const ListRows* ConstRows(HWND list) { return Attached(list); }

// Rows sort by their first column as the user reads it: case-insensitively in the user's locale,
// as the control's own sorted styles do.
int CompareTitles(const std::wstring& a, const std::wstring& b) {
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), int(a.size()), b.data(), int(b.size())) - CSTR_EQUAL;
}

bool Before(const ListRows& rows, const std::wstring& a, const std::wstring& b) {
  int order = CompareTitles(a, b);
  return rows.setup.sort == 2 ? order > 0 : order < 0;
}

// Where a row with this title goes among the rows [0, end) without `skip`, as a stable sort puts
// it: after the rows that come before it and after the equal rows that were above it (`skip`: the
// row's own place; a new row comes after all equal rows).
size_t SortedPosition(const ListRows& rows, const std::wstring& key, size_t end, size_t skip = size_t(-1)) {
  size_t low = 0, high = end;
  while (low < high) {
    size_t mid = low + (high - low) / 2;
    size_t probe = mid >= skip ? mid + 1 : mid;
    std::wstring other = WideFromGbk(rows.Cell(probe, 0));
    if (Before(rows, other, key) || (!Before(rows, key, other) && probe < skip)) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low;
}

// The selected rows and the focused row, so that they can follow their rows when rows move.
struct Marks {
  std::vector<int> selected;
  int focused = -1;
};

Marks TakeMarks(HWND list) {
  Marks marks;
  for (int i = -1; (i = int(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(i), LVNI_SELECTED))) >= 0;)
    marks.selected.push_back(i);
  marks.focused = int(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
  if (!marks.selected.empty() || marks.focused >= 0) {
    LVITEMW clear{};
    clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, WPARAM(-1), LPARAM(&clear));
  }
  return marks;
}

template <class Move>
void PutMarks(HWND list, const Marks& marks, Move moved) {
  LVITEMW item{};
  item.stateMask = item.state = LVIS_SELECTED;
  for (int row : marks.selected) SendMessageW(list, LVM_SETITEMSTATE, WPARAM(moved(row)), LPARAM(&item));
  if (marks.focused >= 0) {
    item.stateMask = item.state = LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, WPARAM(moved(marks.focused)), LPARAM(&item));
  }
}

bool HasMarks(HWND list) {
  return SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0 ||
         SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED) >= 0;
}

void RedrawRows(HWND list, int first, int last) { SendMessageW(list, LVM_REDRAWITEMS, WPARAM(first), LPARAM(last)); }

// A row whose title changed in a sorted list moves to where the order puts it.
void Resort(HWND list, ListRows& rows, size_t row) {
  size_t to = SortedPosition(rows, WideFromGbk(rows.Cell(row, 0)), rows.rows.size() - 1, row);
  if (to == row) return;
  Announce(list, rows);
  Marks marks = HasMarks(list) ? TakeMarks(list) : Marks{};
  ListRow moving = std::move(rows.rows[row]);
  rows.rows.erase(rows.rows.begin() + ptrdiff_t(row));
  rows.rows.insert(rows.rows.begin() + ptrdiff_t(to), std::move(moving));
  int from = int(row), target = int(to);
  PutMarks(list, marks, [&](int r) {
    if (r == from) return target;
    if (from < target && r > from && r <= target) return r - 1;
    if (target < from && r >= target && r < from) return r + 1;
    return r;
  });
  RedrawRows(list, std::min(from, target), std::max(from, target));
}

int ColumnFormat(int align) { return align == 1 ? LVCFMT_CENTER : align == 2 ? LVCFMT_RIGHT : LVCFMT_LEFT; }

// Column headers show in report view when there are columns to head and the unit wants them.
DWORD HeaderStyle(const ListRows& rows) {
  if (rows.setup.view != ListViewKind::Report) return 0;
  if (rows.setup.noColumnHeader || rows.columns.empty()) return LVS_NOCOLUMNHEADER;
  return rows.setup.noSortHeader ? LVS_NOSORTHEADER : 0;
}

constexpr DWORD kChangeableStyles =
    LVS_TYPEMASK | LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_EDITLABELS |
    LVS_ALIGNMASK | LVS_AUTOARRANGE | LVS_NOLABELWRAP;

void UpdateStyle(HWND list, const ListRows& rows) {
  DWORD style = DWORD(GetWindowLongPtrW(list, GWL_STYLE));
  DWORD wanted = (style & ~kChangeableStyles) | (ListViewStyle(rows.setup) & kChangeableStyles & ~LVS_NOCOLUMNHEADER &
                                                 ~LVS_NOSORTHEADER) |
                 HeaderStyle(rows);
  if (wanted != style) SetWindowLongPtrW(list, GWL_STYLE, LONG_PTR(wanted));
}

// The state image a row shows: with check boxes, image 1 unchecked and 2 checked.
UINT CheckStateOf(const ListRow& row) { return INDEXTOSTATEIMAGEMASK(row.checked ? 2 : 1); }

void ToggleCheck(HWND list, ListRows& rows, int row) {
  if (!rows.setup.checkBoxes || row < 0 || size_t(row) >= rows.rows.size()) return;
  rows.rows[size_t(row)].checked = !rows.rows[size_t(row)].checked;
  RedrawRows(list, row, row);
}

void FillDisplayInfo(const ListRows& rows, LVITEMW& item) {
  if (item.iItem < 0 || size_t(item.iItem) >= rows.rows.size()) return;
  const ListRow& row = rows.rows[size_t(item.iItem)];
  if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
    std::wstring text = WideFromGbk(rows.Cell(size_t(item.iItem), item.iSubItem));
    size_t n = std::min(text.size(), size_t(item.cchTextMax - 1));
    std::wmemcpy(item.pszText, text.data(), n);
    item.pszText[n] = L'\0';
  }
  if ((item.mask & LVIF_INDENT) != 0) item.iIndent = item.iSubItem == 0 ? row.indent : 0;
  if ((item.mask & LVIF_IMAGE) != 0) item.iImage = I_IMAGENONE;
  if ((item.mask & LVIF_STATE) != 0 && rows.setup.checkBoxes) {
    item.state = (item.state & ~LVIS_STATEIMAGEMASK) | CheckStateOf(row);
    item.stateMask |= LVIS_STATEIMAGEMASK;
  }
}

// Typing in the list goes to the next row whose title starts with what was typed.
int FindRow(const ListRows& rows, const LVFINDINFOW& find, int start) {
  if ((find.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || find.psz == nullptr || rows.rows.empty()) return -1;
  std::wstring_view wanted(find.psz);
  bool partial = (find.flags & LVFI_PARTIAL) != 0;
  size_t count = rows.rows.size();
  size_t from = start >= 0 && size_t(start) < count ? size_t(start) : 0;
  for (size_t n = 0; n < count; ++n) {
    size_t row = (from + n) % count;
    if (n > 0 && row == 0 && (find.flags & LVFI_WRAP) == 0) break;
    std::wstring title = WideFromGbk(rows.Cell(row, 0));
    int length = int(partial ? std::min(title.size(), wanted.size()) : title.size());
    if (partial && title.size() < wanted.size()) continue;
    if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, title.data(), length, wanted.data(), int(wanted.size())) ==
        CSTR_EQUAL)
      return int(row);
  }
  return -1;
}

}  // namespace

DWORD ListViewStyle(const ListSetup& setup) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | LVS_OWNERDATA;
  switch (setup.view) {
    case ListViewKind::LargeIcons: style |= LVS_ICON; break;
    case ListViewKind::SmallIcons: style |= LVS_SMALLICON; break;
    case ListViewKind::List: style |= LVS_LIST; break;
    case ListViewKind::Report: style |= LVS_REPORT; break;
  }
  bool iconView = setup.view == ListViewKind::LargeIcons || setup.view == ListViewKind::SmallIcons;
  if (iconView) {
    if (setup.alignLeft) style |= LVS_ALIGNLEFT;
    if (setup.autoArrange) style |= LVS_AUTOARRANGE;
    if (setup.noLabelWrap) style |= LVS_NOLABELWRAP;
  }
  if (setup.view == ListViewKind::Report) {
    if (setup.noColumnHeader) {
      style |= LVS_NOCOLUMNHEADER;
    } else if (setup.noSortHeader) {
      style |= LVS_NOSORTHEADER;
    }
  }
  // Sorting is ours: a virtual list has no sorted styles.
  if (setup.editLabels) style |= LVS_EDITLABELS;
  if (setup.singleSelection) style |= LVS_SINGLESEL;
  if (setup.showSelectionAlways) style |= LVS_SHOWSELALWAYS;
  return style;
}

void ApplyListSetup(HWND list, const ListSetup& setup) {
  ListRows* rows = Rows(list);
  if (rows == nullptr) return;
  bool wasSorted = rows->setup.sort != 0;
  rows->setup = setup;
  UpdateStyle(list, *rows);
  DWORD extended = LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP;
  if (setup.view == ListViewKind::Report) {
    if (setup.headerDragDrop) extended |= LVS_EX_HEADERDRAGDROP;
    if (setup.fullRowSelect) extended |= LVS_EX_FULLROWSELECT;
    if (setup.gridLines) extended |= LVS_EX_GRIDLINES;
  }
  if (setup.checkBoxes) extended |= LVS_EX_CHECKBOXES;
  if (setup.flatScrollBars) extended |= LVS_EX_FLATSB;
  if (setup.trackSelect) {
    extended |= LVS_EX_TRACKSELECT | LVS_EX_ONECLICKACTIVATE;
    if (setup.underlineCold) extended |= LVS_EX_UNDERLINECOLD;
    if (setup.underlineHot) extended |= LVS_EX_UNDERLINEHOT;
  }
  constexpr DWORD kManaged = LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT |
                             LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FLATSB | LVS_EX_TRACKSELECT |
                             LVS_EX_ONECLICKACTIVATE | LVS_EX_UNDERLINECOLD | LVS_EX_UNDERLINEHOT;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, kManaged, extended);
  // A virtual list asks for the state images (the check boxes) only when told they are ours.
  SendMessageW(list, LVM_SETCALLBACKMASK, setup.checkBoxes ? LVIS_STATEIMAGEMASK : 0, 0);
  SendMessageW(list, WM_SETFONT, WPARAM(FontFromRecord(setup.font)), FALSE);
  SendMessageW(list, LVM_SETTEXTCOLOR, 0, LPARAM(setup.textColour & 0xFFFFFF));
  SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, LPARAM(setup.textBackground & 0xFFFFFF));
  SendMessageW(list, LVM_SETBKCOLOR, 0, LPARAM(setup.background & 0xFFFFFF));
  if (setup.trackSelect) {
    // System cursors are numbered resources, the same for the A and W functions.
    auto arrow = reinterpret_cast<LPCWSTR>(IDC_ARROW);
    HCURSOR cursor = LoadCursorW(nullptr, setup.hotCursor == PointerShape::Hand ? reinterpret_cast<LPCWSTR>(IDC_HAND) : arrow);
    if (cursor == nullptr) cursor = LoadCursorW(nullptr, arrow);
    SendMessageW(list, LVM_SETHOTCURSOR, 0, LPARAM(cursor));
  }
  // Rows inserted before the list was sorted are sorted now, as a sorted control sorts its items
  // when it gets the style.
  if (!wasSorted && setup.sort != 0 && rows->rows.size() > 1) {
    Announce(list, *rows);
    std::vector<std::wstring> keys(rows->rows.size());
    for (size_t i = 0; i < keys.size(); ++i) keys[i] = WideFromGbk(rows->Cell(i, 0));
    std::vector<size_t> order(rows->rows.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return Before(*rows, keys[a], keys[b]); });
    std::vector<ListRow> sorted;
    sorted.reserve(order.size());
    std::vector<int> newRowOf(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
      newRowOf[order[i]] = int(i);
      sorted.push_back(std::move(rows->rows[order[i]]));
    }
    rows->rows = std::move(sorted);
    if (HasMarks(list)) PutMarks(list, TakeMarks(list), [&](int r) { return newRowOf[size_t(r)]; });
  }
  InvalidateRect(list, nullptr, TRUE);
}

int InsertListColumn(HWND list, int index, const ListColumn& column) {
  ListRows* rows = Rows(list);
  if (rows == nullptr || index < 0) return -1;
  index = std::min(index, int(rows->columns.size()));
  std::wstring title = WideFromGbk(column.title);
  LVCOLUMNW lvc{};
  lvc.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  lvc.fmt = ColumnFormat(column.align);
  lvc.cx = std::max(column.width, 0);
  lvc.pszText = title.data();
  lvc.iSubItem = index;
  if (SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(index), LPARAM(&lvc)) < 0) return -1;
  rows->columns.insert(rows->columns.begin() + index, column);
  // Cells right of a new sub-item column move one column on; column 0 stays the item text.
  if (index >= 1) {
    for (ListRow& row : rows->rows)
      if (row.cells.size() > size_t(index)) row.cells.insert(row.cells.begin() + index, std::string());
  }
  // Each column asks for the cell of its place, wherever the user drags it.
  for (int i = index + 1; i < int(rows->columns.size()); ++i) {
    LVCOLUMNW renumber{};
    renumber.mask = LVCF_SUBITEM;
    renumber.iSubItem = i;
    SendMessageW(list, LVM_SETCOLUMNW, WPARAM(i), LPARAM(&renumber));
  }
  UpdateStyle(list, *rows);
  InvalidateRect(list, nullptr, TRUE);
  return index;
}

int ListColumnCount(HWND list) {
  const ListRows* rows = ConstRows(list);
  return rows != nullptr ? int(rows->columns.size()) : 0;
}

int InsertListItem(HWND list, int index, const ListItem& item) {
  ListRows* rows = Rows(list);
  if (rows == nullptr || index < 0) return -1;
  bool sorted = rows->setup.sort != 0;
  size_t at = sorted ? SortedPosition(*rows, WideFromGbk(item.text), rows->rows.size())
                     : std::min(size_t(index), rows->rows.size());
  ListRow row;
  row.cells.reserve(size_t(rows->ColumnCount()));
  row.cells.push_back(item.text);
  row.value = item.value;
  row.indent = std::max(item.indent, 0);
  row.checked = (item.state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
  if (at == rows->rows.size()) {
    rows->rows.push_back(std::move(row));
    if (!rows->announceQueued && PostMessageW(list, AnnounceMessage(), 0, 0)) {
      rows->announceQueued = true;
    } else if (!rows->announceQueued) {
      Announce(list, *rows);
    }
    return int(at);
  }
  Announce(list, *rows);
  Marks marks = HasMarks(list) ? TakeMarks(list) : Marks{};
  rows->rows.insert(rows->rows.begin() + ptrdiff_t(at), std::move(row));
  Announce(list, *rows);
  PutMarks(list, marks, [&](int r) { return r >= int(at) ? r + 1 : r; });
  RedrawRows(list, int(at), int(rows->rows.size()) - 1);
  return int(at);
}

bool SetListItemText(HWND list, int row, int column, std::string_view gbk) {
  ListRows* rows = Rows(list);
  if (rows == nullptr || row < 0 || size_t(row) >= rows->rows.size() || column < 0 || column >= rows->ColumnCount())
    return false;
  std::vector<std::string>& cells = rows->rows[size_t(row)].cells;
  if (cells.size() <= size_t(column)) cells.resize(size_t(column) + 1);
  cells[size_t(column)].assign(gbk);
  if (size_t(row) < rows->announced) RedrawRows(list, row, row);
  if (column == 0 && rows->setup.sort != 0) Resort(list, *rows, size_t(row));
  return true;
}

std::string ListItemText(HWND list, int row, int column) {
  const ListRows* rows = ConstRows(list);
  if (rows == nullptr || row < 0 || size_t(row) >= rows->rows.size() || column < 0 || column >= rows->ColumnCount())
    return {};
  return std::string(rows->Cell(size_t(row), column));
}

int ListItemCount(HWND list) {
  const ListRows* rows = ConstRows(list);
  return rows != nullptr ? int(rows->rows.size()) : 0;
}

void DeleteListItems(HWND list) {
  ListRows* rows = Rows(list);
  if (rows == nullptr) return;
  rows->rows.clear();
  rows->announced = 0;
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
}

void SetListSelection(HWND list, int row) {
  ListRows* rows = Rows(list);
  if (rows == nullptr) return;
  Announce(list, *rows);
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  SendMessageW(list, LVM_SETITEMSTATE, WPARAM(-1), LPARAM(&item));
  if (row < 0 || size_t(row) >= rows->rows.size()) return;
  item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, WPARAM(row), LPARAM(&item));
  SendMessageW(list, LVM_SETSELECTIONMARK, 0, LPARAM(row));
  SendMessageW(list, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
}

int ListSelection(HWND list) {
  const ListRows* rows = ConstRows(list);
  if (rows == nullptr) return -1;
  int row = int(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
  return row >= 0 && size_t(row) < rows->rows.size() ? row : -1;
}

bool HandleListNotify(NMHDR* header, LRESULT* result) {
  if (header == nullptr) return false;
  ListRows* rows = Attached(header->hwndFrom);
  if (rows == nullptr) return false;
  switch (header->code) {
    case LVN_GETDISPINFOW:
      FillDisplayInfo(*rows, reinterpret_cast<NMLVDISPINFOW*>(header)->item);
      *result = 0;
      return true;
    case LVN_ODFINDITEMW: {
      auto* find = reinterpret_cast<NMLVFINDITEMW*>(header);
      *result = FindRow(*rows, find->lvfi, find->iStart);
      return true;
    }
    case NM_CLICK: {
      // A virtual list leaves its check boxes to the program: a click on one flips it.
      auto* click = reinterpret_cast<NMITEMACTIVATE*>(header);
      LVHITTESTINFO hit{};
      hit.pt = click->ptAction;
      int row = int(SendMessageW(header->hwndFrom, LVM_HITTEST, 0, LPARAM(&hit)));
      if ((hit.flags & LVHT_ONITEMSTATEICON) != 0) ToggleCheck(header->hwndFrom, *rows, row);
      *result = 0;
      return true;
    }
    case LVN_KEYDOWN:
      if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_SPACE)
        ToggleCheck(header->hwndFrom, *rows, int(SendMessageW(header->hwndFrom, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED)));
      *result = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace vorenn::platform::win32
