// Event dispatch: arguments, answers of the common events, suppression, the event source and the
// runtime errors of a bad event.
#include <gtest/gtest.h>

#include "engine/core/event_suppression.h"
#include "engine/runtime/frame.h"
#include "engine/runtime/services.h"
#include "engine/standard_units/window_commands.h"
#include "engine/templates/library_callback.h"
#include "engine/templates/window_template.h"
#include "tests/engine/unit_test_support.h"

namespace vorenn {
namespace {

using testing_support::Calls;
using testing_support::CalledHandlers;
using testing_support::kTestWindow;
using testing_support::RuntimeError;
using testing_support::SetAction;
using testing_support::SetAnswer;

constexpr uint32_t kButton = 0x16010001, kEdit = 0x16010002, kScroll = 0x16010003, kCopyOwner = 0x16010004;

const char* kUnits = R"(
  {"id": "0x16010001", "type": "Button", "name": "button", "code": "Button", "geometry": [0, 0, 80, 24],
   "flags": "V-T", "events": [[0, "H0"], [-1, "H3"]]},
  {"id": "0x16010002", "type": "EditBox", "name": "edit", "code": "Edit", "geometry": [0, 30, 80, 24],
   "flags": "V-T", "events": [[-7, "H1"], [-11, "H4"]]},
  {"id": "0x16010003", "type": "VScrollBar", "name": "scroll", "code": "Scroll", "geometry": [90, 0, 16, 80],
   "flags": "V-T", "events": [[-12, "H5"]]},
  {"id": "0x16010004", "type": "Button", "name": "owned", "code": "Owned", "eventOwner": "button",
   "geometry": [0, 60, 80, 24], "flags": "V-T", "events": [[0, "H9"]]}
)";

class UnitEventsTest : public testing_support::UnitTest {
 protected:
  void SetUp() override {
    UnitTest::SetUp();
    ASSERT_TRUE(LoadUnits(kUnits));
    Calls().clear();
  }
  void MouseDown(uint32_t unit, int x, int y, int keyState) {
    platform::WindowEvent e;
    e.kind = platform::EventKind::MouseDown;
    e.button = platform::MouseButton::Left;
    e.window = HandleOf(unit);
    e.x = x;
    e.y = y;
    e.keyState = keyState;
    native_->PostEvent(e);
    Pump();
  }
};

TEST_F(UnitEventsTest, HandlersGetTheArgumentsAndTheEventSource) {
  MouseDown(kButton, 3, 4, platform::kKeyCtrl | platform::kKeyShift);
  ASSERT_EQ(Calls().size(), 1u);
  EXPECT_EQ(Calls()[0].handler, 3);
  EXPECT_EQ(Calls()[0].args, (std::vector<uint32_t>{3, 4, 3}));
  EXPECT_EQ(Calls()[0].source.unitId, kButton);
  EXPECT_EQ(Calls()[0].source.type, kTypeButton);
  // An 8-byte argument travels as two words, low first; the answer comes back in the record.
  SetAnswer(0, 0x0000000500000007ull);
  EventRecord record;
  record.windowId = kTestWindow;
  record.unitId = kButton;
  record.event = 0;
  record.argumentCount = 2;
  record.arguments[0] = {0x11, 0x22, kTypeLong, 0};
  record.arguments[1] = {0x33, 0x44, kTypeInt, 0};
  EXPECT_EQ(EngineLibraryCallback(kCallbackRaiseEventWithResult, reinterpret_cast<intptr_t>(&record), 0), 1);
  EXPECT_EQ(Calls().back().args, (std::vector<uint32_t>{0x11, 0x22, 0x33}));
  EXPECT_EQ(record.resultGiven, 1u);
  EXPECT_EQ(record.resultLow, 7u);
  EXPECT_EQ(record.resultHigh, 5u);
}

TEST_F(UnitEventsTest, ALogicalFalseAnswerSwallowsTheMessage) {
  struct Row {
    uint64_t answer;
    int reached;
  };
  const Row rows[] = {{kNoAnswer, 1}, {0, 0}, {1, 1}, {0xFFFFFFFF00000000ull, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.answer);
    SetAnswer(5, row.answer);
    int before = native_->InputReachedWindow(HandleOf(kScroll), platform::EventKind::Wheel);
    native_->Wheel(HandleOf(kScroll), -2, platform::kKeyAlt);
    Pump();
    EXPECT_EQ(native_->InputReachedWindow(HandleOf(kScroll), platform::EventKind::Wheel) - before, row.reached);
    EXPECT_EQ(Calls().back().args, (std::vector<uint32_t>{uint32_t(-2), 4}));
  }
  // A press swallowed by its handler never reaches the button's own handling.
  SetAnswer(3, 0);
  native_->Click(HandleOf(kButton));
  Pump();
  EXPECT_EQ(native_->InputReachedWindow(HandleOf(kButton), platform::EventKind::MouseDown), 0);
}

TEST_F(UnitEventsTest, TheCharacterAnswerSwallowsOrReplacesTheCharacter) {
  const std::pair<uint64_t, int> typed[] = {{0, 'a'}, {'Z', 'b'}, {kNoAnswer, 'c'}};
  for (auto [answer, character] : typed) {
    SetAnswer(4, answer);
    native_->TypeChar(HandleOf(kEdit), character);
    Pump();
  }
  EXPECT_EQ(native_->Text(HandleOf(kEdit)), "Zc");
}

TEST_F(UnitEventsTest, NoHandlerRunsWhileAWindowLoadsOrAfterARuntimeError) {
  EngineLibraryCallback(kCallbackLoadBegin, 0, 0);
  native_->Click(HandleOf(kButton));
  Pump();
  EXPECT_TRUE(Calls().empty());
  EngineLibraryCallback(kCallbackLoadEnd, 0, 0);
  native_->Click(HandleOf(kButton));
  Pump();
  EXPECT_EQ(CalledHandlers(), (std::vector<int>{3, 0}));
  Calls().clear();
  EXPECT_THROW(ReadProperty(kTestWindow, 0x16019999, 0), RuntimeError);
  native_->Click(HandleOf(kButton));
  Pump();
  EXPECT_TRUE(Calls().empty());
}

TEST_F(UnitEventsTest, TheEventOwnersBindingsApply) {
  native_->Click(HandleOf(kCopyOwner));
  Pump();
  EXPECT_EQ(CalledHandlers(), (std::vector<int>{3, 0}));
  EXPECT_EQ(Calls().back().source.unitId, kCopyOwner);
}

TEST_F(UnitEventsTest, GetEventUnitNamesTheUnitOfTheRunningHandlerOnly) {
  RuntimeValue inner{}, outer{};
  SetAction(1, [&] { inner = GetEventUnit(); });
  SetAction(0, [&] {
    FocusUnit({kTestWindow, kEdit});  // raises the edit box's focus event inside this handler
    outer = GetEventUnit();
  });
  native_->Click(HandleOf(kButton));
  Pump();
  EXPECT_EQ(inner.high, kEdit);
  EXPECT_EQ(inner.type, kTypeEditBox);
  EXPECT_EQ(outer.low, kTestWindow);
  EXPECT_EQ(outer.high, kButton);
  EXPECT_EQ(outer.type, kTypeButton);
  EXPECT_THROW(GetEventUnit(), RuntimeError);
  EXPECT_NE(testing_support::LastErrorText().find("“取事件组件”命令只能在事件处理子程序中使用"), std::string::npos);
}

TEST_F(UnitEventsTest, AnEventOfAnUnknownWindowOrUnitIsARuntimeError) {
  struct Row {
    uint32_t window, unit;
    const char* message;
  };
  const Row rows[] = {{0x52010999, kButton, "未找到引发事件的窗口"}, {kTestWindow, 0x16010999, "未找到引发事件的窗口组件"}};
  for (const Row& row : rows) {
    EventRecord record;
    record.windowId = row.window;
    record.unitId = row.unit;
    EXPECT_THROW(DispatchEvent(record, false), RuntimeError);
    EXPECT_NE(testing_support::LastErrorText().find(row.message), std::string::npos);
    while (EventsSuppressed()) ResumeEvents();
  }
}

TEST_F(UnitEventsTest, AnEventOfATypeThatRaisesNoEventsIsARuntimeError) {
  ResetTemplateState();
  tools::TemplateDescription d = Describe(R"(
    {"id": "0x16010001", "type": "Button", "name": "b", "code": "B", "geometry": [0, 0, 9, 9],
     "flags": "V--", "events": [[-1, "H0"]]})");
  d.windows[0].units[1].type = testing_support::kTypeSilentStandIn;
  ASSERT_TRUE(LoadDescription(d));
  native_->Click(HandleOf(0x16010001));
  EXPECT_THROW(Pump(), RuntimeError);
  EXPECT_NE(testing_support::LastErrorText().find("引发事件的窗口组件无效"), std::string::npos);
  EXPECT_TRUE(Calls().empty());
}

}  // namespace
}  // namespace vorenn
