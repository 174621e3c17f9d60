// The report-view list under a real parent window: the answers the backend gives the units, and
// what the control itself shows, asked through its own messages.
#include <gtest/gtest.h>

#include "platform/win32/internal/win32_parts.h"

#include <commctrl.h>

namespace vorenn::platform::win32 {
namespace {

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    LRESULT result = 0;
    if (HandleListNotify(reinterpret_cast<NMHDR*>(lParam), &result)) return result;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

ListSetup Leaderboard() {
  ListSetup s;
  s.view = ListViewKind::Report;
  s.fullRowSelect = true;
  s.gridLines = true;
  s.singleSelection = true;
  return s;
}

ListColumn Column(const char* title, int width) {
  ListColumn c;
  c.title = title;
  c.width = width;
  return c;
}

ListItem Item(const char* text) {
  ListItem item;
  item.text = text;
  return item;
}

class Win32ListViewTest : public testing::Test {
 protected:
  // The parent stays hidden: the control answers the same, and no window manager is waited for.
  void SetUp() override {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&init);
    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VorennListTestParent";
    RegisterClassW(&wc);  // fails harmlessly when a previous test registered it
    parent_ = CreateWindowExW(0, L"VorennListTestParent", L"lists", WS_OVERLAPPEDWINDOW, 0, 0, 420, 320,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent_);
    Pump();
  }

  HWND MakeList(const ListSetup& setup) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", ListViewStyle(setup) | WS_VISIBLE, 0, 0, 400, 280, parent_,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(list, nullptr);
    ApplyListSetup(list, setup);
    return list;
  }

  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  // What the control shows in a cell: it asks the parent, which asks the list's rows.
  static std::wstring Shown(HWND list, int row, int column) {
    wchar_t text[260] = L"";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 260;
    SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(row), LPARAM(&item));
    return text;
  }
  static int ControlRows(HWND list) { return int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }
  static UINT State(HWND list, int row, UINT mask) { return UINT(SendMessageW(list, LVM_GETITEMSTATE, row, mask)); }

  HWND parent_ = nullptr;
};

TEST_F(Win32ListViewTest, ColumnsAreClampedAndShownWithTheirTitles) {
  HWND list = MakeList(Leaderboard());
  EXPECT_EQ(InsertListColumn(list, 7, Column("名称", 100)), 0);
  EXPECT_EQ(InsertListColumn(list, 0, Column("排名", 40)), 0);
  EXPECT_EQ(InsertListColumn(list, 2, Column("秒产", 215)), 2);
  EXPECT_EQ(InsertListColumn(list, -1, Column("x", 10)), -1);
  EXPECT_EQ(ListColumnCount(list), 3);
  HWND header = HWND(SendMessageW(list, LVM_GETHEADER, 0, 0));
  EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 3);
  wchar_t title[64] = L"";
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = title;
  column.cchTextMax = 64;
  ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, 1, LPARAM(&column)));
  EXPECT_STREQ(title, L"名称");
  EXPECT_EQ(column.cx, 100);
  // Something that is not a list of ours refuses.
  EXPECT_EQ(InsertListColumn(parent_, 0, Column("x", 10)), -1);
  EXPECT_EQ(ListColumnCount(parent_), 0);
}

TEST_F(Win32ListViewTest, RowsAndCellsAnswerAsTheUnitsExpectAndShowInTheControl) {
  HWND list = MakeList(Leaderboard());
  for (const char* title : {"排名", "名称", "秒产"}) InsertListColumn(list, ListColumnCount(list), Column(title, 80));
  EXPECT_EQ(InsertListItem(list, 0, Item("1")), 0);
  EXPECT_EQ(InsertListItem(list, 100, Item("2")), 1);
  EXPECT_EQ(InsertListItem(list, -1, Item("x")), -1);
  EXPECT_EQ(ListItemCount(list), 2);
  EXPECT_TRUE(SetListItemText(list, 0, 1, "张三"));
  EXPECT_TRUE(SetListItemText(list, 0, 2, "12.5"));
  EXPECT_TRUE(SetListItemText(list, 1, 0, "二"));
  EXPECT_FALSE(SetListItemText(list, 0, 3, "no column"));
  EXPECT_FALSE(SetListItemText(list, 2, 0, "no row"));
  EXPECT_FALSE(SetListItemText(list, -1, 0, "no row"));
  EXPECT_EQ(ListItemText(list, 0, 1), "张三");
  EXPECT_EQ(ListItemText(list, 1, 0), "二");
  EXPECT_EQ(ListItemText(list, 1, 2), "");  // never set
  EXPECT_EQ(ListItemText(list, 0, 3), "");
  EXPECT_EQ(ListItemText(list, 5, 0), "");
  Pump();
  EXPECT_EQ(ControlRows(list), 2);
  EXPECT_EQ(Shown(list, 0, 1), L"张三");
  EXPECT_EQ(Shown(list, 0, 2), L"12.5");
  EXPECT_EQ(Shown(list, 1, 0), L"二");
  EXPECT_EQ(Shown(list, 1, 2), L"");

  DeleteListItems(list);
  EXPECT_EQ(ListItemCount(list), 0);
  EXPECT_EQ(ControlRows(list), 0);
  EXPECT_EQ(ListColumnCount(list), 3);
  EXPECT_EQ(InsertListItem(list, 5, Item("again")), 0);
}

TEST_F(Win32ListViewTest, TenThousandAppendedRowsReachTheControlTogether) {
  HWND list = MakeList(Leaderboard());
  for (const char* title : {"排名", "名称", "秒产"}) InsertListColumn(list, ListColumnCount(list), Column(title, 80));
  for (int i = 0; i < 10000; ++i) {
    std::string rank = std::to_string(i + 1);
    ASSERT_EQ(InsertListItem(list, ListItemCount(list), Item(rank.c_str())), i);
    SetListItemText(list, i, 1, "玩家");
    SetListItemText(list, i, 2, rank);
  }
  Pump();
  EXPECT_EQ(ControlRows(list), 10000);
  EXPECT_EQ(Shown(list, 9999, 0), L"10000");
  EXPECT_EQ(Shown(list, 9999, 1), L"玩家");
  SetListSelection(list, 9999);
  EXPECT_EQ(ListSelection(list), 9999);
}

TEST_F(Win32ListViewTest, SelectionSelectsFocusesAndFollowsItsRow) {
  HWND list = MakeList(Leaderboard());
  InsertListColumn(list, 0, Column("a", 80));
  for (const char* t : {"a", "b", "c", "d"}) InsertListItem(list, ListItemCount(list), Item(t));
  EXPECT_EQ(ListSelection(list), -1);
  SetListSelection(list, 1);
  EXPECT_EQ(ListSelection(list), 1);
  EXPECT_EQ(State(list, 1, LVIS_FOCUSED | LVIS_SELECTED), UINT(LVIS_FOCUSED | LVIS_SELECTED));
  SetListSelection(list, 3);
  EXPECT_EQ(ListSelection(list), 3);
  EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
  // A row inserted above moves the selected row down, and the selection with it.
  EXPECT_EQ(InsertListItem(list, 0, Item("top")), 0);
  EXPECT_EQ(ListSelection(list), 4);
  EXPECT_EQ(ListItemText(list, 4, 0), "d");
  EXPECT_EQ(State(list, 4, LVIS_FOCUSED), UINT(LVIS_FOCUSED));
  EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
  SetListSelection(list, 99);
  EXPECT_EQ(ListSelection(list), -1);
  SetListSelection(list, 2);
  SetListSelection(list, -1);
  EXPECT_EQ(ListSelection(list), -1);
  SetListSelection(list, 0);
  DeleteListItems(list);
  EXPECT_EQ(ListSelection(list), -1);
}

TEST_F(Win32ListViewTest, TheSetupBecomesStylesColoursAndFont) {
  ListSetup setup = Leaderboard();
  setup.textColour = 0x123456;
  setup.textBackground = 0xFFFFFF;
  setup.background = 0xF0F0F0;
  setup.showSelectionAlways = true;
  HWND list = MakeList(setup);
  DWORD extended = DWORD(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  EXPECT_TRUE(extended & LVS_EX_GRIDLINES);
  EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
  EXPECT_FALSE(extended & LVS_EX_CHECKBOXES);
  LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
  EXPECT_TRUE(style & LVS_OWNERDATA);
  EXPECT_EQ(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0), 0x123456);
  EXPECT_EQ(SendMessageW(list, LVM_GETBKCOLOR, 0, 0), 0xF0F0F0);
  EXPECT_EQ(HFONT(SendMessageW(list, WM_GETFONT, 0, 0)), FontFromRecord(""));
  // Without columns there is nothing to head.
  EXPECT_TRUE(GetWindowLongPtrW(list, GWL_STYLE) & LVS_NOCOLUMNHEADER);
  InsertListColumn(list, 0, Column("a", 50));
  EXPECT_FALSE(GetWindowLongPtrW(list, GWL_STYLE) & LVS_NOCOLUMNHEADER);
  // Hiding the headers needs no new control.
  setup.noColumnHeader = true;
  setup.gridLines = false;
  ApplyListSetup(list, setup);
  EXPECT_TRUE(GetWindowLongPtrW(list, GWL_STYLE) & LVS_NOCOLUMNHEADER);
  EXPECT_FALSE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_GRIDLINES);
  EXPECT_TRUE(ListViewStyle(setup) & LVS_NOCOLUMNHEADER);
}

TEST_F(Win32ListViewTest, ASortedListPutsRowsInOrderAndMovesARenamedRow) {
  ListSetup setup = Leaderboard();
  setup.sort = 1;
  HWND list = MakeList(setup);
  InsertListColumn(list, 0, Column("a", 80));
  InsertListColumn(list, 1, Column("b", 80));
  EXPECT_EQ(InsertListItem(list, 0, Item("b")), 0);
  EXPECT_EQ(InsertListItem(list, 0, Item("c")), 1);
  EXPECT_EQ(InsertListItem(list, 9, Item("A")), 0);  // case does not count
  SetListItemText(list, 0, 1, "was A");
  SetListSelection(list, 0);
  EXPECT_TRUE(SetListItemText(list, 0, 0, "d"));
  EXPECT_EQ(ListItemText(list, 0, 0), "b");
  EXPECT_EQ(ListItemText(list, 1, 0), "c");
  EXPECT_EQ(ListItemText(list, 2, 0), "d");
  EXPECT_EQ(ListItemText(list, 2, 1), "was A");
  EXPECT_EQ(ListSelection(list), 2);
  Pump();
  EXPECT_EQ(Shown(list, 2, 1), L"was A");

  setup.sort = 2;
  HWND down = MakeList(setup);
  for (const char* t : {"1", "3", "2"}) InsertListItem(down, 0, Item(t));
  EXPECT_EQ(ListItemText(down, 0, 0), "3");
  EXPECT_EQ(ListItemText(down, 2, 0), "1");
}

TEST_F(Win32ListViewTest, ANewColumnInTheMiddleMovesTheCellsRightOfIt) {
  HWND list = MakeList(Leaderboard());
  InsertListColumn(list, 0, Column("a", 50));
  InsertListColumn(list, 1, Column("b", 50));
  InsertListItem(list, 0, Item("x"));
  SetListItemText(list, 0, 1, "y");
  EXPECT_EQ(InsertListColumn(list, 1, Column("new", 50)), 1);
  EXPECT_EQ(ListItemText(list, 0, 0), "x");
  EXPECT_EQ(ListItemText(list, 0, 1), "");
  EXPECT_EQ(ListItemText(list, 0, 2), "y");
  Pump();
  EXPECT_EQ(Shown(list, 0, 2), L"y");
  EXPECT_EQ(Shown(list, 0, 1), L"");
}

TEST_F(Win32ListViewTest, CheckBoxesShowTheRowsStateAndSpaceFlipsIt) {
  ListSetup setup = Leaderboard();
  setup.checkBoxes = true;
  HWND list = MakeList(setup);
  EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES);
  InsertListColumn(list, 0, Column("a", 80));
  ListItem checked = Item("on");
  checked.state = INDEXTOSTATEIMAGEMASK(2);
  InsertListItem(list, 0, checked);
  InsertListItem(list, 1, Item("off"));
  Pump();
  EXPECT_EQ(State(list, 0, LVIS_STATEIMAGEMASK), UINT(INDEXTOSTATEIMAGEMASK(2)));
  EXPECT_EQ(State(list, 1, LVIS_STATEIMAGEMASK), UINT(INDEXTOSTATEIMAGEMASK(1)));
  SetListSelection(list, 1);
  SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(State(list, 1, LVIS_STATEIMAGEMASK), UINT(INDEXTOSTATEIMAGEMASK(2)));
  // A click on the box flips it; a click on the text does not.
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  SendMessageW(list, LVM_GETITEMRECT, 0, LPARAM(&bounds));
  NMITEMACTIVATE click{};
  click.hdr = {list, 0, UINT(NM_CLICK)};
  click.iItem = 0;
  click.ptAction = {bounds.left + 8, (bounds.top + bounds.bottom) / 2};
  LRESULT result = 0;
  ASSERT_TRUE(HandleListNotify(&click.hdr, &result));
  EXPECT_EQ(State(list, 0, LVIS_STATEIMAGEMASK), UINT(INDEXTOSTATEIMAGEMASK(1)));
  click.ptAction.x = bounds.left + 60;
  HandleListNotify(&click.hdr, &result);
  EXPECT_EQ(State(list, 0, LVIS_STATEIMAGEMASK), UINT(INDEXTOSTATEIMAGEMASK(1)));
}

TEST_F(Win32ListViewTest, FindingARowByItsTitle) {
  HWND list = MakeList(Leaderboard());
  InsertListColumn(list, 0, Column("a", 80));
  for (const char* t : {"甲一", "乙二", "甲三"}) InsertListItem(list, ListItemCount(list), Item(t));
  Pump();
  LVFINDINFOW find{};
  find.flags = LVFI_STRING;
  find.psz = L"甲三";
  EXPECT_EQ(SendMessageW(list, LVM_FINDITEMW, WPARAM(-1), LPARAM(&find)), 2);
  find.flags = LVFI_STRING | LVFI_PARTIAL;
  find.psz = L"乙";
  EXPECT_EQ(SendMessageW(list, LVM_FINDITEMW, WPARAM(-1), LPARAM(&find)), 1);
  find.psz = L"丙";
  EXPECT_EQ(SendMessageW(list, LVM_FINDITEMW, WPARAM(-1), LPARAM(&find)), -1);
}

TEST_F(Win32ListViewTest, OnlyVirtualListsTakeRowsAndADestroyedListForgetsThem) {
  HWND plain = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 100, 100, parent_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  EXPECT_EQ(InsertListItem(plain, 0, Item("x")), -1);
  EXPECT_FALSE(SetListItemText(plain, 0, 0, "x"));
  HWND list = MakeList(Leaderboard());
  InsertListItem(list, 0, Item("x"));
  EXPECT_EQ(ListItemCount(list), 1);
  DestroyWindow(list);
  EXPECT_EQ(ListItemCount(list), 0);
  EXPECT_EQ(ListItemText(list, 0, 0), "");
  NMHDR stale{list, 0, UINT(LVN_GETDISPINFOW)};
  LRESULT result = 0;
  EXPECT_FALSE(HandleListNotify(&stale, &result));
}

}  // namespace
}  // namespace vorenn::platform::win32
