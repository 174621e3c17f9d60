// The list view: the leaderboard from the real template, the list commands through the library's
// command table, property ranges and re-creation, the stored form and its blocks.
#include <gtest/gtest.h>

#include "engine/core/memory.h"
#include "engine/runtime/services.h"
#include "engine/templates/window_template.h"
#include "resources/window_ids.h"
#include "tests/units/ext_unit_test_support.h"
#include "units/list_view_blocks.h"
#include "units/list_view_library.h"
#include "units/list_view_unit.h"

namespace vorenn {
namespace {

using testing_support::DataWriter;
using window_ids::kRankingList;

// The text must outlive the call that takes the value.
RuntimeValue Text(const char* s) { return MakePointer(kTypeText, s); }
RuntimeValue Omit() { return RuntimeValue{0, 0, kTypeNone}; }
RuntimeValue List() { return MakeUnitRef(kTypeListView, {testing_support::kTestWindow, kRankingList}); }

class ListViewTest : public testing_support::ExtUnitTest {
 protected:
  void SetUp() override {
    ExtUnitTest::SetUp();
    ASSERT_TRUE(LoadProgramWindow());
    list_ = HandleOf(kRankingList);
  }
  int32_t Insert(std::vector<RuntimeValue> args) {
    args.insert(args.begin(), List());
    RuntimeValue r{};
    InsertItemEntry(&r, int(args.size()), args.data());
    return int32_t(r.low);
  }
  void SetText(int32_t row, RuntimeValue column, const std::string& text) {
    RuntimeValue args[] = {List(), MakeInt(row), column, Text(text.c_str())};
    RuntimeValue r{};
    SetItemTextEntry(&r, 4, args);
  }
  void Clear() {
    RuntimeValue args[] = {List()};
    RuntimeValue r{};
    ClearItemsEntry(&r, 1, args);
  }
  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (int i = 0; i < native_->ListItemCount(list_); ++i) titles.push_back(native_->ListItemText(list_, i, 0));
    return titles;
  }

  platform::WindowHandle list_ = platform::kNoWindow;
};

TEST_F(ListViewTest, LeaderboardIsAReportWithItsThreeColumns) {
  ASSERT_EQ(native_->RoleOf(list_), platform::WindowRole::ListView);
  std::vector<platform::ListColumn> columns = native_->ListColumnsOf(list_);
  ASSERT_EQ(columns.size(), 3u);
  EXPECT_EQ(columns[0], (platform::ListColumn{"排名", 40, 0, -1, false}));
  EXPECT_EQ(columns[1], (platform::ListColumn{"名称", 100, 0, -1, false}));
  EXPECT_EQ(columns[2], (platform::ListColumn{"秒产", 215, 0, -1, false}));
  platform::ListSetup s = native_->ListSetupOf(list_);
  EXPECT_EQ(s.view, platform::ListViewKind::Report);
  EXPECT_FALSE(s.noColumnHeader);
  EXPECT_FALSE(s.noSortHeader);
  EXPECT_TRUE(s.fullRowSelect && s.gridLines && s.singleSelection);
  EXPECT_FALSE(s.trackSelect);  // hand cursor and underlines without hot tracking do nothing
  EXPECT_FALSE(s.underlineCold || s.underlineHot);
  EXPECT_EQ(s.textBackground, 0xFFFFFFu);
  EXPECT_TRUE(s.font.empty());
  EXPECT_EQ(native_->AppearanceOf(list_).border, 5);
  EXPECT_EQ(native_->ListItemCount(list_), 0);
  EXPECT_EQ(ReadInt(kRankingList, kListSelection), -1);
}

TEST_F(ListViewTest, InsertItemAppendsInsertsAndNumbersRowsFromZero) {
  EXPECT_EQ(Insert({Omit(), Text("1")}), 0);
  EXPECT_EQ(Insert({Omit(), Text("2")}), 1);
  EXPECT_EQ(Insert({Omit(), Text("3")}), 2);
  EXPECT_EQ(Insert({MakeInt(0), Text("0")}), 0);
  EXPECT_EQ(Insert({MakeInt(-4), Text("4")}), 4);
  EXPECT_EQ(Insert({MakeInt(99), Text("5")}), 5);  // beyond the end: appended by the control
  EXPECT_EQ(Insert({}), 6);                         // no title: the empty text
  EXPECT_EQ(Titles(), (std::vector<std::string>{"0", "1", "2", "3", "4", "5", ""}));
}

TEST_F(ListViewTest, InsertItemArgumentRules) {
  struct Row {
    std::vector<RuntimeValue> args;  // after position and title
    platform::ListItem expected;
  } rows[] = {
      {{}, {"t", -1, 0, 0, 0}},
      {{MakeInt(3)}, {"t", 3, 0, 0, 0}},
      {{MakeInt(-1)}, {"t", -1, 0, 0, 0}},
      {{MakeInt(-5)}, {"t", -1, 0, 0, 0}},
      {{Omit(), MakeInt(2)}, {"t", -1, 3u << 12, 0, 0}},
      {{Omit(), MakeInt(-7)}, {"t", -1, 0, 0, 0}},
      {{Omit(), MakeInt(-1)}, {"t", -1, 0, 0, 0}},
      {{Omit(), Omit(), MakeInt(-3), MakeInt(42)}, {"t", -1, 0, 0, 42}},
      {{Omit(), Omit(), MakeInt(2), MakeInt(-9)}, {"t", -1, 0, 2, -9}},
  };
  for (const Row& row : rows) {
    std::vector<RuntimeValue> args = {Omit(), Text("t")};
    args.insert(args.end(), row.args.begin(), row.args.end());
    int32_t at = Insert(args);
    ASSERT_GE(at, 0);
    EXPECT_EQ(native_->ListItemOf(list_, at), row.expected) << "row " << at;
  }
}

TEST_F(ListViewTest, SetItemTextFillsCellsAndIgnoresMissingRows) {
  Insert({Omit(), Text("1")});
  SetText(0, MakeInt(1), "alice");
  SetText(0, MakeInt(2), "12.5");
  SetText(0, MakeInt(0), "first");
  SetText(1, MakeInt(1), "nobody");   // no such row
  SetText(-1, MakeInt(1), "nobody");
  SetText(0, MakeInt(7), "nowhere");  // no such column
  EXPECT_EQ(native_->ListItemCount(list_), 1);
  EXPECT_EQ(native_->ListItemText(list_, 0, 0), "first");
  EXPECT_EQ(native_->ListItemText(list_, 0, 1), "alice");
  EXPECT_EQ(native_->ListItemText(list_, 0, 2), "12.5");
  SetText(0, Omit(), "title again");  // column omitted: 0
  EXPECT_EQ(native_->ListItemText(list_, 0, 0), "title again");
}

TEST_F(ListViewTest, ClearItemsKeepsTheColumnsAndAReferenceToNoListDoesNothing) {
  Clear();  // empty: nothing to do
  Insert({Omit(), Text("1")});
  Insert({Omit(), Text("2")});
  WriteInt(kRankingList, kListSelection, 1);
  Clear();
  EXPECT_EQ(native_->ListItemCount(list_), 0);
  EXPECT_EQ(native_->ListColumnCount(list_), 3);
  EXPECT_EQ(ReadInt(kRankingList, kListSelection), -1);

  RuntimeValue wrongType[] = {MakeUnitRef(kTypeButton, {testing_support::kTestWindow, kRankingList})};
  RuntimeValue noUnit[] = {MakeUnitRef(kTypeListView, {testing_support::kTestWindow, 0x16019999})};
  for (RuntimeValue* args : {wrongType, noUnit}) {
    RuntimeValue r{};
    InsertItemEntry(&r, 1, args);
    EXPECT_EQ(int32_t(r.low), -1);
    EXPECT_EQ(r.type, kTypeInt);
  }
  EXPECT_EQ(native_->ListItemCount(list_), 0);
}

TEST_F(ListViewTest, OutOfRangeValuesArePulledIntoRange) {
  struct Row {
    int property;
    int32_t written, read;
  } rows[] = {
      {kListViewType, 5, 3}, {kListViewType, -2, 0}, {kListBorder, 9, 5}, {kListBorder, -1, 0},
      {kListSort, 7, 2},     {kListSort, -3, 0},     {kListSelection, -5, -1},
  };
  for (const Row& row : rows) {
    WriteInt(kRankingList, row.property, row.written);
    EXPECT_EQ(ReadInt(kRankingList, row.property), row.read) << row.property << " <- " << row.written;
  }
}

TEST_F(ListViewTest, StylePropertiesRecreateTheControlOnlyWhereTheViewUsesThem) {
  struct Row {
    int property;
    int32_t value;
    bool recreated;
  } rows[] = {
      {kListIconAlign, 1, false},   // icon views only
      {kListHandCursor, 0, false},  // only with hot tracking
      {kListGridLines, 0, false},   // applied in place
      {kListHeaderDrag, 1, true},   {kListSort, 1, true},       {kListHotTracking, 1, true},
      {kListHandCursor, 1, true},   {kListViewType, 1, true},   {kListClickableHeaders, 0, false},
      {kListIconAlign, 0, true},
  };
  for (const Row& row : rows) {
    platform::WindowHandle before = HandleOf(kRankingList);
    WriteInt(kRankingList, row.property, row.value);
    EXPECT_EQ(HandleOf(kRankingList) != before, row.recreated) << "property " << row.property;
  }
  // The last re-creation took the new view: small icons, so no columns were inserted.
  EXPECT_EQ(native_->ListSetupOf(HandleOf(kRankingList)).view, platform::ListViewKind::SmallIcons);
  EXPECT_EQ(native_->ListColumnCount(HandleOf(kRankingList)), 0);
}

TEST_F(ListViewTest, SelectionAndColoursAreReadFromTheControl) {
  for (const char* t : {"a", "b", "c"}) Insert({Omit(), Text(t)});
  WriteInt(kRankingList, kListSelection, 2);
  EXPECT_EQ(native_->ListSelection(list_), 2);
  native_->SetListSelection(list_, 1);  // the user picks another row
  EXPECT_EQ(ReadInt(kRankingList, kListSelection), 1);
  WriteInt(kRankingList, kListSelection, -1);
  EXPECT_EQ(native_->ListSelection(list_), -1);

  WriteInt(kRankingList, kListBackground, int32_t(platform::kDefaultColour));
  EXPECT_EQ(uint32_t(ReadInt(kRankingList, kListBackground)), 0xF0F0F0u);  // the button face
  EXPECT_EQ(native_->ListSetupOf(list_).background, 0xF0F0F0u);
  EXPECT_EQ(HandleOf(kRankingList), list_);
}

TEST_F(ListViewTest, StoredFormIsWrittenBackAsItWasRead) {
  const WindowTemplate* tmpl = FindTemplate(testing_support::kTestWindow);
  const UnitRecord* record = nullptr;
  for (const UnitRecord& r : tmpl->records)
    if (r.id == kRankingList) record = &r;
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(DataOf(kRankingList, kTypeListView), record->unitData);
  EXPECT_EQ(record->unitData.size(), 4u + 24 * 4 + 6 * 4 + 3 * 13 + 5 + 5 + 5);

  std::vector<uint8_t> later = record->unitData;
  later[0] = 2;
  EXPECT_EQ(CreateDirect(kTypeListView, later), nullptr);
  std::vector<uint8_t> cut(record->unitData.begin(), record->unitData.end() - 1);
  EXPECT_EQ(CreateDirect(kTypeListView, cut), nullptr);
}

TEST(ListViewBlocks, ColumnsAndItemsAreReadUpToTheFirstRecordCutShort) {
  DataWriter columns;
  columns.U8(1).U32(2).U32(1).U32(60).Strz("a");
  columns.U8(0).U32(uint32_t(-1)).U32(2).U32(30).Strz("bb");
  columns.U8(0).U32(0).U32(0);  // cut short
  std::vector<platform::ListColumn> c = ReadColumnBlock(columns.bytes);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0], (platform::ListColumn{"a", 60, 1, 2, true}));
  EXPECT_EQ(c[1], (platform::ListColumn{"bb", 30, 2, -1, false}));

  auto item = [](DataWriter& w, uint8_t kind, const char* text, int32_t value) {
    w.U8(kind).U32(1).U32(2).U32(3).U32(uint32_t(value)).Strz(text).Strz("skipped");
  };
  DataWriter items;
  item(items, 1, "orphan", 0);  // a sub-item before any item
  item(items, 0, "one", 7);
  item(items, 1, "one.1", 0);
  item(items, 1, "one.2", 0);
  item(items, 0, "two", -8);
  items.U8(0).U32(0).U32(0).U32(0).U32(0).Strz("three");  // no second text: cut short
  std::vector<InitialItem> i = ReadItemBlock(items.bytes);
  ASSERT_EQ(i.size(), 2u);
  EXPECT_EQ(i[0].text, "one");
  EXPECT_EQ(i[0].value, 7);
  EXPECT_EQ(i[0].indent, 3);
  EXPECT_EQ(i[0].subItems, (std::vector<std::string>{"one.1", "one.2"}));
  EXPECT_EQ(i[1].text, "two");
  EXPECT_TRUE(i[1].subItems.empty());
}

TEST_F(ListViewTest, InitialItemsAreInsertedAtCreationAndAgainWhenTheyAreSet) {
  DataWriter items;
  items.U8(0).U32(5).U32(5).U32(uint32_t(-2)).U32(9).Strz("x").Strz("");
  items.U8(1).U32(0).U32(0).U32(0).U32(0).Strz("x.1").Strz("");
  items.U8(0).U32(0).U32(0).U32(0).U32(0).Strz("y").Strz("");
  Insert({Omit(), Text("run-time row")});
  RuntimeValue block[1];
  void* bytes = AllocBlock(int32_t(8 + items.bytes.size()));
  auto* words = static_cast<int32_t*>(bytes);
  words[0] = 1;
  words[1] = int32_t(items.bytes.size());
  std::copy(items.bytes.begin(), items.bytes.end(), static_cast<uint8_t*>(bytes) + 8);
  SetPointer(block[0], bytes);
  WriteProperty(testing_support::kTestWindow, kRankingList, kListItems, -1, block[0].low, block[0].high);
  FreeBlock(bytes);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(native_->ListItemText(list_, 0, 1), "x.1");
  // Image lists are not shown, so the image indices count as none; the indent is never negative.
  EXPECT_EQ(native_->ListItemOf(list_, 0), (platform::ListItem{"x", -1, 0, 0, 9}));

  // A copy of the stored form makes the same rows.
  std::vector<uint8_t> data = DataOf(kRankingList, kTypeListView);
  std::unique_ptr<UnitWindow> again = CreateDirect(kTypeListView, data);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(native_->ListItemCount(again->Handle()), 2);
  EXPECT_EQ(native_->ListItemText(again->Handle(), 0, 1), "x.1");
}

}  // namespace
}  // namespace vorenn
