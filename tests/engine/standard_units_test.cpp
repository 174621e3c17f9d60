// The behaviour of the standard units that the game relies on.
#include <gtest/gtest.h>

#include "engine/standard_units/window_commands.h"
#include "engine/templates/window_template.h"
#include "engine/units/unit_contract.h"
#include "resources/window_ids.h"
#include "tests/engine/unit_test_support.h"

namespace vorenn {
namespace {

using platform::ScrollAction;
using platform::ShowState;
using testing_support::Calls;
using testing_support::CalledHandlers;
using testing_support::kTestSelf;
using testing_support::kTestWindow;
using testing_support::SetAnswer;

constexpr uint32_t kTimer = 0x16010001, kScroll = 0x16010002, kLabel = 0x16010003, kEdit = 0x16010004,
                   kGroup = 0x16010005, kInner = 0x16010006, kButton = 0x16010007;

const char* kUnits = R"(
  {"id": "0x16010001", "type": "Timer", "name": "timer", "code": "Timer", "geometry": [0, 0, 24, 24],
   "flags": "V--", "events": [[0, "H0"]]},
  {"id": "0x16010002", "type": "VScrollBar", "name": "scroll", "code": "Scroll", "geometry": [300, 0, 16, 80],
   "flags": "V-T", "events": [[0, "H1"]]},
  {"id": "0x16010003", "type": "Label", "name": "label", "code": "Label", "geometry": [0, 0, 50, 20],
   "flags": "V--", "events": [],
   "data": {"version": 2, "caption": "&Save", "hAlign": 2, "vAlign": 2, "wrap": 0, "effect": 2}},
  {"id": "0x16010004", "type": "EditBox", "name": "edit", "code": "Edit", "geometry": [0, 30, 100, 20],
   "flags": "V-T", "events": [],
   "data": {"version": 2, "inputMode": 2, "passwordChar": "#x", "content": "secret"}},
  {"id": "0x16010005", "type": "GroupBox", "name": "group", "code": "Group", "geometry": [0, 60, 200, 100],
   "flags": "V--", "events": [], "data": {"version": 1, "align": 1, "caption": "g"}},
  {"id": "0x16010006", "type": "Button", "name": "inner", "code": "Inner", "container": "group",
   "geometry": [10, 10, 50, 20], "flags": "V-T", "events": [[0, "H2"]]},
  {"id": "0x16010007", "type": "Button", "name": "button", "code": "Button", "geometry": [0, 200, 50, 20],
   "flags": "V-T", "events": []}
)";
// Window events 1, 2, 3, 9 bound to H11, H12, H13, H19.
const char* kWindowEvents = R"([[1, "H11"], [2, "H12"], [3, "H13"], [9, "H19"]])";

class StandardUnitsTest : public testing_support::UnitTest {
 protected:
  void SetUp() override {
    UnitTest::SetUp();
    ASSERT_TRUE(LoadUnits(kUnits, "null", kWindowEvents));
    Calls().clear();
  }
  int Ticks() const {
    std::vector<int> called = CalledHandlers();
    return int(std::count(called.begin(), called.end(), 0));
  }
  void Scroll(ScrollAction action, int thumb = 0) {
    native_->Scroll(HandleOf(kScroll), action, thumb);
    Pump();
  }
};

TEST_F(StandardUnitsTest, TimerPeriod) {
  WriteInt(kTimer, 8, 1000);
  native_->RunFor(600);
  WriteInt(kTimer, 8, 1000);  // the same period does not restart the count
  native_->RunFor(400);
  EXPECT_EQ(Ticks(), 1);
  native_->RunFor(2000);
  EXPECT_EQ(Ticks(), 3);
  WriteInt(kTimer, 8, -5);
  EXPECT_EQ(ReadInt(kTimer, 8), 0);
  EXPECT_FALSE(native_->HasTimer(HandleOf(kTimer), 1000));
  native_->RunFor(3000);
  EXPECT_EQ(Ticks(), 3);
}

TEST_F(StandardUnitsTest, ScrollBarMovesWithinItsRangeAndReportsOnlyChanges) {
  WriteInt(kScroll, 9, 100);
  WriteInt(kScroll, 11, 10);
  WriteInt(kScroll, 12, 95);
  EXPECT_TRUE(Calls().empty());  // writing the position is not the user's change
  struct Row {
    ScrollAction action;
    int thumb;
    int position;
    bool event;
  };
  const Row rows[] = {
      {ScrollAction::LineDown, 0, 100, true},   {ScrollAction::LineDown, 0, 100, false},
      {ScrollAction::PageUp, 0, 90, true},      {ScrollAction::ToTop, 0, 0, true},
      {ScrollAction::LineUp, 0, 0, false},      {ScrollAction::ThumbTracked, 40, 40, true},
      {ScrollAction::EndScroll, 70, 40, false}, {ScrollAction::ThumbReleased, 500, 100, true},
      {ScrollAction::ToTop, 0, 0, true},        {ScrollAction::ToBottom, 0, 100, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(int(row.action));
    size_t before = Calls().size();
    Scroll(row.action, row.thumb);
    EXPECT_EQ(ReadInt(kScroll, 12), row.position);
    EXPECT_EQ(native_->ScrollBarOf(HandleOf(kScroll)).position, row.position);
    EXPECT_EQ(Calls().size() - before, row.event ? 1u : 0u);
  }
  WriteInt(kScroll, 13, 0);  // no longer follows the thumb while it is dragged
  Scroll(ScrollAction::ThumbTracked, 10);
  EXPECT_EQ(ReadInt(kScroll, 12), 100);
}

TEST_F(StandardUnitsTest, ScrollBarPropertyWritesClamp) {
  WriteInt(kScroll, 8, 50);
  WriteInt(kScroll, 9, 10);  // the range runs from the smaller to the larger
  WriteInt(kScroll, 12, -20);
  EXPECT_EQ(ReadInt(kScroll, 12), 10);
  WriteInt(kScroll, 12, 60);
  EXPECT_EQ(ReadInt(kScroll, 12), 50);
  EXPECT_EQ(native_->ScrollBarOf(HandleOf(kScroll)), (platform::ScrollBarState{10, 50, 10, 50}));
  WriteInt(kScroll, 10, 0);
  WriteInt(kScroll, 11, 99999);
  EXPECT_EQ(ReadInt(kScroll, 10), 1);
  EXPECT_EQ(ReadInt(kScroll, 11), 32767);
}

TEST_F(StandardUnitsTest, WindowPositionFollowsTheLiveStateAndAppliesOnlyWhileShown) {
  platform::WindowHandle window = HandleOf(kTestSelf);
  WriteInt(kTestSelf, 5, 0);
  platform::Rect before = native_->Geometry(window);
  WriteInt(kTestSelf, 18, 1);
  EXPECT_EQ(native_->Geometry(window), before);  // hidden: only stored
  WriteInt(kTestSelf, 5, 1);
  WriteInt(kTestSelf, 18, 2);
  EXPECT_EQ(native_->ShowStateOf(window), ShowState::Minimized);
  EXPECT_EQ(CalledHandlers(), std::vector<int>{13});  // minimizing raises "moved"
  WriteInt(kTestSelf, 18, 1);
  EXPECT_EQ(ReadInt(kTestSelf, 18), 0);  // restored and centred
  platform::Rect screen = native_->ScreenArea();
  EXPECT_EQ(native_->Geometry(window).left, (screen.width - 370) / 2);
  native_->SetShowState(window, ShowState::Minimized);
  WriteInt(kTestSelf, 5, 0);
  WriteInt(kTestSelf, 18, 1);
  EXPECT_EQ(ReadInt(kTestSelf, 18), 2);  // still minimized: the hidden window kept it
  WriteInt(kTestSelf, 18, 9);
  WriteInt(kTestSelf, 5, 1);
  WriteInt(kTestSelf, 18, 9);  // clamped to 3
  EXPECT_EQ(ReadInt(kTestSelf, 18), 3);
}

TEST_F(StandardUnitsTest, TrayIconActionsRaiseWindowEventNine) {
  for (int action : {1, 2, 3}) native_->TrayClick(HandleOf(kTestSelf), action);
  Pump();
  ASSERT_EQ(Calls().size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Calls()[size_t(i)].args, std::vector<uint32_t>{uint32_t(i + 1)});
}

TEST_F(StandardUnitsTest, ClosingAsksEventOneAndDestroyingRaisesEventTwo) {
  SetAnswer(11, 0);
  native_->RequestClose(HandleOf(kTestSelf));
  Pump();
  EXPECT_NE(FindLoadedWindow(kTestWindow), nullptr);
  SetAnswer(11, kNoAnswer);
  native_->RequestClose(HandleOf(kTestSelf));
  Pump();
  EXPECT_EQ(CalledHandlers(), (std::vector<int>{11, 11, 12}));
  EXPECT_EQ(FindLoadedWindow(kTestWindow), nullptr);
}

TEST_F(StandardUnitsTest, EnterAndEscapeActOnlyWhenTheWindowAsksForIt) {
  native_->SetFocus(HandleOf(kButton));
  native_->PressKey(HandleOf(kButton), 13);
  native_->PressKey(HandleOf(kButton), 27);
  Pump();
  EXPECT_EQ(native_->Focus(), HandleOf(kButton));
  EXPECT_NE(FindLoadedWindow(kTestWindow), nullptr);
  WriteInt(kTestSelf, 21, 1);
  WriteInt(kTestSelf, 22, 1);
  native_->PressKey(HandleOf(kButton), 13);
  Pump();
  // Tab order: last record first, wrapping: button (7) -> inner (6) -> edit (4) -> scroll (2).
  EXPECT_EQ(native_->Focus(), HandleOf(kInner));
  native_->PressKey(HandleOf(kInner), 9, platform::kKeyShift);
  Pump();
  EXPECT_EQ(native_->Focus(), HandleOf(kButton));
  native_->PressKey(HandleOf(kButton), 27);
  Pump();
  EXPECT_EQ(CalledHandlers(), (std::vector<int>{11, 12}));
  EXPECT_EQ(FindLoadedWindow(kTestWindow), nullptr);
}

TEST_F(StandardUnitsTest, AFocusedMultiLineEditBoxKeepsTabAndEnterForItsText) {
  WriteInt(kTestSelf, 21, 1);  // Enter moves the focus
  WriteInt(kEdit, 15, 1);      // multi-line: the edit box is made anew
  native_->SetFocus(HandleOf(kEdit));
  native_->PressKey(HandleOf(kEdit), 9);
  native_->PressKey(HandleOf(kEdit), 13);
  Pump();
  EXPECT_EQ(native_->Focus(), HandleOf(kEdit));
  WriteInt(kEdit, 15, 0);
  native_->SetFocus(HandleOf(kEdit));
  native_->PressKey(HandleOf(kEdit), 13);
  Pump();
  EXPECT_NE(native_->Focus(), HandleOf(kEdit));
}

TEST_F(StandardUnitsTest, LabelLayoutAndEditBoxInputModes) {
  platform::Appearance label = native_->AppearanceOf(HandleOf(kLabel));
  EXPECT_EQ(label.hAlign, 2);
  EXPECT_EQ(label.vAlign, 2);
  EXPECT_TRUE(label.embossed);
  EXPECT_TRUE(label.literalPrefix);
  EXPECT_EQ(native_->Text(HandleOf(kLabel)), "&Save");
  WriteInt(kLabel, 25, 1);
  label = native_->AppearanceOf(HandleOf(kLabel));
  EXPECT_TRUE(label.wordWrap);
  EXPECT_EQ(label.vAlign, 0);  // wrapped text ignores the vertical alignment

  platform::WindowHandle edit = HandleOf(kEdit);
  EXPECT_NE(native_->StyleOf(edit) & platform::kStylePassword, 0u);
  EXPECT_EQ(native_->AppearanceOf(edit).passwordChar, '#');
  WriteInt(kEdit, 18, 1);
  EXPECT_EQ(native_->StyleOf(edit) & (platform::kStylePassword | platform::kStyleReadOnly), platform::kStyleReadOnly);
  native_->TypeChar(edit, 'x');
  Pump();
  EXPECT_EQ(ReadText(kEdit, 8), "secret");
  WriteInt(kEdit, 18, 0);
  native_->TypeChar(edit, 'x');
  Pump();
  EXPECT_EQ(ReadText(kEdit, 8), "secretx");
  WriteInt(kEdit, 24, 2);
  WriteInt(kEdit, 25, 3);
  EXPECT_EQ(ReadInt(kEdit, 24), 2);
  EXPECT_EQ(ReadInt(kEdit, 25), 3);
  WriteInt(kEdit, 25, 100);
  EXPECT_EQ(ReadInt(kEdit, 25), 5);  // the control keeps the selection inside its text
}

TEST_F(StandardUnitsTest, GroupBoxCarriesItsUnits) {
  EXPECT_EQ(native_->AppearanceOf(HandleOf(kGroup)).hAlign, 1);
  EXPECT_TRUE(native_->IsShowing(HandleOf(kInner)));
  WriteInt(kGroup, 5, 0);
  EXPECT_FALSE(native_->IsShowing(HandleOf(kInner)));
  EXPECT_EQ(ReadInt(kInner, 5), 1);  // its own flag stays
  WriteInt(kGroup, 0, 40);
  EXPECT_EQ(ReadInt(kInner, 0), 10);  // still at its place inside the group
}

TEST_F(StandardUnitsTest, UnitDataOfANewerVersionFailsTheLoad) {
  ResetTemplateState();
  tools::TemplateDescription d = Describe(R"(
    {"id": "0x16010003", "type": "Label", "name": "label", "code": "Label", "geometry": [0, 0, 5, 5],
     "flags": "V--", "events": [], "data": {"version": 2, "caption": "x"}})");
  d.windows[0].units[1].data[0] = 3;
  EXPECT_FALSE(LoadDescription(d));
  EXPECT_EQ(FindLoadedWindow(kTestWindow), nullptr);
  d.windows[0].units[1].data.resize(10);  // data that ends early
  d.windows[0].units[1].data[0] = 2;
  EXPECT_FALSE(LoadDescription(d));
  d.windows[0].units[1].data.clear();  // empty: the type's defaults
  EXPECT_TRUE(LoadDescription(d));
}

class TemplateDataTest : public testing_support::UnitTest {};

TEST_F(TemplateDataTest, EveryStandardUnitOfTheProgramGivesBackItsStoredData) {
  ASSERT_TRUE(LoadProgramWindow());
  WindowInstance* instance = FindLoadedWindow(window_ids::kMainWindow);
  int checked = 0;
  for (const UnitRecord& record : instance->records) {
    if (record.unitData.empty() || LibraryOf(record.type) != 1) continue;
    SCOPED_TRACE(record.name);
    const TypeDescriptor* type = UnitTypeDescriptor(record.type);
    auto getData = OperationOf<GetDataOperation>(*type, kOpGetData);
    EXPECT_EQ(getData(*record.window), record.unitData);
    ++checked;
  }
  EXPECT_EQ(checked, 38);  // 49 records less 9 without data and the two extended units
}

}  // namespace
}  // namespace vorenn
