// The program's own window from the real template, on the headless backend.
#include <gtest/gtest.h>

#include "engine/templates/window_template.h"
#include "resources/window_ids.h"
#include "tests/engine/unit_test_support.h"

namespace vorenn {
namespace {

using namespace window_ids;
using testing_support::Calls;
using testing_support::CalledHandlers;

class ProgramWindowTest : public testing_support::UnitTest {};

TEST_F(ProgramWindowTest, LoadsEveryRecordAtTheTemplateGeometry) {
  ASSERT_TRUE(LoadProgramWindow());
  WindowInstance* instance = FindLoadedWindow(kMainWindow);
  ASSERT_NE(instance, nullptr);
  const WindowTemplate* tmpl = FindTemplate(kMainWindow);
  ASSERT_EQ(instance->records.size(), 49u);
  for (size_t i = 1; i < instance->records.size(); ++i) {
    const UnitRecord& expected = tmpl->records[i];
    SCOPED_TRACE(expected.name);
    platform::WindowHandle h = HandleOf(expected.id);
    ASSERT_TRUE(native_->IsWindow(h));
    EXPECT_EQ(native_->Geometry(h), (platform::Rect{expected.left, expected.top, expected.width, expected.height}));
    uint32_t containerId = expected.container != 0 ? expected.container : kMainWindowRecord;
    EXPECT_EQ(native_->ParentOf(h), HandleOf(containerId));
    bool neverShown = expected.type == kTypeTimer;
    EXPECT_EQ(native_->IsVisible(h), (expected.flags & kFlagVisible) != 0 && !neverShown);
  }
  // Created, moved and resized, in that order, once the load is over.
  EXPECT_EQ(CalledHandlers(), (std::vector<int>{int(HandlerId::kWindowCreated), int(HandlerId::kWindowMoved),
                                                int(HandlerId::kWindowResized)}));
}

TEST_F(ProgramWindowTest, WindowFrameLeavesTheClientAreaTheUnitsWereLaidOutFor) {
  ASSERT_TRUE(LoadProgramWindow());
  platform::WindowHandle window = HandleOf(kMainWindowRecord);
  EXPECT_EQ(ReadInt(kMainWindowRecord, 2), 370);
  EXPECT_EQ(ReadInt(kMainWindowRecord, 3), 303);
  platform::FrameMargins frame = native_->FrameOf(window);
  int clientWidth = 370 - frame.left - frame.right;
  int clientHeight = 303 - frame.top - frame.bottom;
  // The game group spans the client area exactly: left 2, width 360, top -1, height 273.
  EXPECT_EQ(clientWidth, 2 + 360);
  EXPECT_EQ(clientHeight, -1 + 273);
  // Position 1: centred on the screen when shown.
  platform::Rect screen = native_->ScreenArea();
  EXPECT_EQ(ReadInt(kMainWindowRecord, 0), (screen.width - 370) / 2);
  EXPECT_EQ(ReadText(kMainWindowRecord, 8), "Vorenn(自动离线)");
}

TEST_F(ProgramWindowTest, TabMovesFromTheAccountBoxToThePasswordBoxOnceTheSignInGroupIsShown) {
  ASSERT_TRUE(LoadProgramWindow());
  native_->SetFocus(HandleOf(kAccountBox));
  native_->PressKey(HandleOf(kAccountBox), 9);
  Pump();
  // The sign-in group is hidden: its boxes are no tab stops; the focus goes to the first one
  // that is showing.
  EXPECT_NE(native_->Focus(), HandleOf(kPassword1Box));
  WriteInt(kSignInGroup, 5, 1);
  native_->SetFocus(HandleOf(kAccountBox));
  native_->PressKey(HandleOf(kAccountBox), 9);
  Pump();
  EXPECT_EQ(native_->Focus(), HandleOf(kPassword1Box));
}

}  // namespace
}  // namespace vorenn
