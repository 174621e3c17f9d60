// The image button: stored-form versions, copies of the level-up button, drawing, toggle, tool tip
// and pictures.
#include <gtest/gtest.h>

#include "engine/standard_units/window_commands.h"
#include "engine/templates/window_template.h"
#include "resources/window_ids.h"
#include "tests/units/ext_unit_test_support.h"
#include "units/super_btn_unit.h"

namespace vorenn {
namespace {

using platform::ButtonDrawState;
using platform::Rect;
using testing_support::CalledHandlers;
using testing_support::Calls;
using testing_support::DataWriter;
using testing_support::kTestWindow;
using window_ids::kRowLevelUpButton;
using Step = platform::HeadlessBackend::DrawStep;

constexpr uint32_t kDefault = platform::kDefaultColour;

// Unit data of the given version: frame style, toggle, caption, tool tip and image 0 as given.
std::vector<uint8_t> ButtonData(uint32_t version, int frameStyle, bool toggle, const std::string& caption,
                                const std::string& toolTip = "", const std::vector<uint8_t>& image0 = {}) {
  DataWriter w;
  w.U32(version).U32(uint32_t(frameStyle)).U32(toggle).U32(0).U32(0).U32(0).U32(0).U32(0);
  w.U32(kDefault).U32(kDefault).U32(1).U32(0).U32(0);
  for (uint32_t c : {0x000000u, 0xF0F0F0u, 0x0000FFu, 0xFFFFFFu, 0x00FF00u, 0xF0F0F0u}) w.U32(c);
  w.Buffer(image0).Buffer({}).Buffer({}).Buffer({}).Buffer({});
  w.Text(caption).Text(toolTip);
  if (version >= 2) w.U32(0x123456).Buffer({});
  return w.bytes;
}

// A BMP file header and info header for a 16 x 8 picture.
std::vector<uint8_t> TinyBitmap() {
  DataWriter w;
  w.U8('B').U8('M').U32(54).U32(0).U32(54).U32(40).U32(16).U32(8);
  return w.bytes;
}

class SuperBtnTest : public testing_support::ExtUnitTest {
 protected:
  UnitValue Own(UnitWindow& unit, int index) {
    UnitValue v;
    OperationOf<GetPropertyOperation>(*UnitTypeDescriptor(kTypeSuperBtn), kOpGetProperty)(unit, index - 8, &v);
    return v;
  }
};

TEST_F(SuperBtnTest, VersionsZeroToTwoLoadAndAHigherOneFails) {
  for (uint32_t version : {0u, 1u, 2u}) {
    std::unique_ptr<UnitWindow> unit = CreateDirect(kTypeSuperBtn, ButtonData(version, 1, false, "go"));
    ASSERT_NE(unit, nullptr) << version;
    EXPECT_EQ(native_->Text(unit->Handle()), "go");
    EXPECT_EQ(Own(*unit, kBtnColour1 + 2).number, 0x0000FF);
    // Versions before 2 have no image 2 fields: its transparent colour keeps the default.
    EXPECT_EQ(uint32_t(Own(*unit, kBtnImage2Transparent).number), version == 2 ? 0x123456u : kDefault);
  }
  EXPECT_EQ(CreateDirect(kTypeSuperBtn, ButtonData(3, 1, false, "go")), nullptr);
  std::vector<uint8_t> cut = ButtonData(2, 1, false, "go");
  cut.pop_back();
  EXPECT_EQ(CreateDirect(kTypeSuperBtn, cut), nullptr);
}

TEST_F(SuperBtnTest, StoredFormComesBackUnchangedAndPullsItsPickListsIntoRange) {
  std::unique_ptr<UnitWindow> unit = CreateDirect(kTypeSuperBtn, ButtonData(2, 1, false, "a", "tip"));
  auto getData = OperationOf<GetDataOperation>(*UnitTypeDescriptor(kTypeSuperBtn), kOpGetData);
  EXPECT_EQ(getData(*unit), ButtonData(2, 1, false, "a", "tip"));
  std::unique_ptr<UnitWindow> wide = CreateDirect(kTypeSuperBtn, ButtonData(2, 7, false, "a"));
  EXPECT_EQ(Own(*wide, kBtnFrameStyle).number, 2);
}

class LevelUpButtonTest : public SuperBtnTest {
 protected:
  void SetUp() override {
    SuperBtnTest::SetUp();
    ASSERT_TRUE(LoadProgramWindow());
    Calls().clear();
  }
};

TEST_F(LevelUpButtonTest, CopiesKeepTheLookOfTheSourceAndRaiseEventZeroWithTheirOwnId) {
  platform::WindowHandle source = HandleOf(kRowLevelUpButton);
  EXPECT_EQ(native_->Text(source), "超级按钮");
  EXPECT_NE(native_->StyleOf(source) & platform::kStyleOwnerDrawn, 0u);
  EXPECT_EQ(native_->StyleOf(source) & platform::kStyleDefaultButton, 0u);

  UnitRef first{}, second{};
  ASSERT_TRUE(CopyUnit(kTypeSuperBtn, {kTestWindow, kRowLevelUpButton}, kTypeSuperBtn, &first));
  ASSERT_TRUE(CopyUnit(kTypeSuperBtn, {kTestWindow, kRowLevelUpButton}, kTypeSuperBtn, &second));
  platform::WindowHandle copy = HandleOf(first.unitId);
  EXPECT_EQ(native_->Text(copy), "超级按钮");
  EXPECT_EQ(native_->Geometry(copy), native_->Geometry(source));
  for (int colour = kBtnColour1; colour <= kBtnColour6; ++colour)
    EXPECT_EQ(ReadInt(first.unitId, colour), ReadInt(kRowLevelUpButton, colour)) << colour;

  WriteText(first.unitId, kBtnCaption, "火球术(3) ↑");
  EXPECT_EQ(ReadText(first.unitId, kBtnCaption), "火球术(3) ↑");
  EXPECT_EQ(native_->Text(copy), "火球术(3) ↑");
  EXPECT_EQ(ReadText(second.unitId, kBtnCaption), "超级按钮");
  EXPECT_EQ(ReadText(kRowLevelUpButton, kBtnCaption), "超级按钮");

  WriteInt(first.unitId, 5, 1);
  WriteInt(second.unitId, 5, 1);
  native_->Click(HandleOf(second.unitId));
  native_->Click(copy);
  Pump();
  int levelUp = int(HandlerId::kLevelUpClicked);
  ASSERT_EQ(CalledHandlers(), (std::vector<int>{levelUp, levelUp}));
  EXPECT_EQ(Calls()[0].source.unitId, second.unitId);
  EXPECT_EQ(Calls()[1].source.unitId, first.unitId);
  EXPECT_EQ(Calls()[1].source.type, kTypeSuperBtn);
}

// The standard look of a focused 100 x 24 button at rest: black frame, face, raised border, caption,
// focus rectangle.
TEST_F(LevelUpButtonTest, StandardLookIsDrawnFrameBorderCaptionFocus) {
  platform::WindowHandle b = HandleOf(kRowLevelUpButton);
  constexpr uint32_t kHighlight = 0xFFFFFF, kLight = 0xE3E3E3, kDark = 0x696969, kShadow = 0xA0A0A0;
  ButtonDrawState focused;
  focused.rect = {0, 0, 100, 24};
  focused.focused = true;
  std::vector<Step> expected = {
      {Step::Frame, {0, 0, 100, 24}, 0x000000, ""},
      {Step::Fill, {1, 1, 98, 22}, 0xF0F0F0, ""},
      {Step::Line, {1, 1, 97, 1}, kHighlight, ""},   {Step::Line, {1, 1, 1, 21}, kHighlight, ""},
      {Step::Line, {1, 22, 98, 22}, kDark, ""},      {Step::Line, {98, 1, 98, 22}, kDark, ""},
      {Step::Line, {2, 2, 96, 2}, kLight, ""},       {Step::Line, {2, 2, 2, 20}, kLight, ""},
      {Step::Line, {2, 21, 97, 21}, kShadow, ""},    {Step::Line, {97, 2, 97, 21}, kShadow, ""},
      {Step::Text, {4, 4, 92, 16}, 0x000000, "超级按钮"},
      {Step::Focus, {3, 3, 94, 18}, 0, ""},
  };
  EXPECT_EQ(native_->PaintButton(b, focused), expected);

  struct Row {
    const char* name;
    ButtonDrawState state;
    std::vector<Step> expected;
  } rows[] = {
      {"pressed, unfocused",
       {{0, 0, 100, 24}, /*pressed=*/true, false, false, false, false},
       {{Step::Fill, {0, 0, 100, 24}, 0xF0F0F0, ""},
        {Step::Frame, {0, 0, 100, 24}, kShadow, ""},
        {Step::Text, {5, 5, 92, 16}, 0x000000, "超级按钮"}}},
      {"disabled: grey caption",
       {{0, 0, 100, 24}, false, false, false, /*disabled=*/true, false},
       {{Step::Fill, {0, 0, 100, 24}, 0xF0F0F0, ""},
        {Step::Line, {0, 0, 98, 0}, kHighlight, ""}, {Step::Line, {0, 0, 0, 22}, kHighlight, ""},
        {Step::Line, {0, 23, 99, 23}, kDark, ""},    {Step::Line, {99, 0, 99, 23}, kDark, ""},
        {Step::Line, {1, 1, 97, 1}, kLight, ""},     {Step::Line, {1, 1, 1, 21}, kLight, ""},
        {Step::Line, {1, 22, 98, 22}, kShadow, ""},  {Step::Line, {98, 1, 98, 22}, kShadow, ""},
        {Step::Text, {4, 4, 92, 16}, 0x6D6D6D, "超级按钮"}}},
  };
  for (const Row& row : rows) EXPECT_EQ(native_->PaintButton(b, row.state), row.expected) << row.name;
}

TEST_F(SuperBtnTest, FlatLooksDrawNoFrameAndTheFocusRectangleOnlyWhenAsked) {
  struct Row {
    int frameStyle;
    bool flatBorder, flatFocus, highlighted;
    size_t lines;
    bool focusRect;
  } rows[] = {
      {0, false, false, true, 0, false}, {0, true, false, true, 4, false}, {0, true, false, false, 0, false},
      {0, false, true, false, 0, true},  {2, true, false, false, 0, false}, {1, false, false, false, 8, true},
  };
  for (const Row& row : rows) {
    DataWriter w;
    w.U32(2).U32(uint32_t(row.frameStyle)).U32(0).U32(0).U32(0).U32(0).U32(row.flatBorder).U32(row.flatFocus);
    std::vector<uint8_t> data = ButtonData(2, row.frameStyle, false, "x");
    std::copy(w.bytes.begin(), w.bytes.end(), data.begin());
    std::unique_ptr<UnitWindow> unit = CreateDirect(kTypeSuperBtn, data);
    ASSERT_NE(unit, nullptr);
    ButtonDrawState state;
    state.focused = true;
    state.highlighted = row.highlighted;
    std::vector<Step> steps = native_->PaintButton(unit->Handle(), state);
    size_t lines = 0, frames = 0, focus = 0;
    for (const Step& s : steps) {
      lines += s.kind == Step::Line;
      frames += s.kind == Step::Frame;
      focus += s.kind == Step::Focus;
    }
    SCOPED_TRACE(testing::Message() << "style " << row.frameStyle << " border " << row.flatBorder);
    EXPECT_EQ(lines, row.lines);
    EXPECT_EQ(frames, row.frameStyle == 1 ? 1u : row.frameStyle == 2 && row.flatBorder ? 1u : 0u);
    EXPECT_EQ(focus, row.focusRect ? 1u : 0u);
  }
}

TEST_F(SuperBtnTest, ColourPairsFollowTheStateUnlessDefaultColoursAreOn) {
  std::vector<uint8_t> data = ButtonData(2, 1, /*toggle=*/true, "x");
  data[4 * 10] = 0;  // default colours off
  std::unique_ptr<UnitWindow> unit = CreateDirect(kTypeSuperBtn, data);
  ASSERT_NE(unit, nullptr);
  auto face = [&](ButtonDrawState s) {
    for (const Step& step : native_->PaintButton(unit->Handle(), s))
      if (step.kind == Step::Fill) return step.colour;
    return 0xDEADu;
  };
  ButtonDrawState rest, over, pressed, checked;
  over.highlighted = true;
  pressed.pressed = true;
  checked.checked = true;
  EXPECT_EQ(face(rest), 0xF0F0F0u);
  EXPECT_EQ(face(over), 0xFFFFFFu);
  EXPECT_EQ(face(pressed), 0xF0F0F0u);
  EXPECT_EQ(face(checked), 0xF0F0F0u);
  auto textColour = [&](ButtonDrawState s) {
    for (const Step& step : native_->PaintButton(unit->Handle(), s))
      if (step.kind == Step::Text) return step.colour;
    return 0xDEADu;
  };
  EXPECT_EQ(textColour(over), 0x0000FFu);
  EXPECT_EQ(textColour(checked), 0x00FF00u);
}

// The skill rows rewrite every caption every few seconds; only a change may cost a repaint.
TEST_F(LevelUpButtonTest, RewritingAnUnchangedValueDoesNotRepaint) {
  platform::WindowHandle b = HandleOf(kRowLevelUpButton);
  WriteText(kRowLevelUpButton, kBtnCaption, "level(1)x");
  WriteInt(kRowLevelUpButton, kBtnColour1, 0x0000FF);
  const int repaints = native_->RepaintCount(b);
  WriteText(kRowLevelUpButton, kBtnCaption, "level(1)x");
  WriteInt(kRowLevelUpButton, kBtnColour1, 0x0000FF);
  EXPECT_EQ(native_->RepaintCount(b), repaints);
  WriteText(kRowLevelUpButton, kBtnCaption, "level(2)x");
  EXPECT_EQ(native_->RepaintCount(b), repaints + 1);
  EXPECT_EQ(native_->Text(b), "level(2)x");
  WriteInt(kRowLevelUpButton, kBtnColour1, 0x00FF00);
  EXPECT_EQ(native_->RepaintCount(b), repaints + 2);
}

TEST_F(LevelUpButtonTest, ToggleFlipsBeforeTheHandlerRunsAndDefaultButtonIsMadeAnew) {
  platform::WindowHandle before = HandleOf(kRowLevelUpButton);
  WriteInt(kRowLevelUpButton, kBtnToggle, 1);
  platform::WindowHandle b = HandleOf(kRowLevelUpButton);
  EXPECT_NE(b, before);
  EXPECT_NE(native_->StyleOf(b) & platform::kStyleToggle, 0u);
  WriteInt(kRowLevelUpButton, 5, 1);
  int32_t seen = -1;
  int repaintsSeen = -1;
  testing_support::SetAction(int(HandlerId::kLevelUpClicked), [&] {
    seen = ReadInt(kRowLevelUpButton, kBtnChecked);
    repaintsSeen = native_->RepaintCount(b);
  });
  native_->Click(b);
  Pump();
  EXPECT_EQ(seen, 1);
  EXPECT_GT(repaintsSeen, 0);
  EXPECT_EQ(repaintsSeen, native_->RepaintCount(b));  // the new state was shown before the handler ran
  native_->Click(b);
  Pump();
  EXPECT_EQ(seen, 0);
  WriteInt(kRowLevelUpButton, kBtnChecked, 1);
  EXPECT_TRUE(native_->IsChecked(b));

  WriteInt(kRowLevelUpButton, kBtnToggle, 0);
  WriteInt(kRowLevelUpButton, kBtnDefaultButton, 1);
  b = HandleOf(kRowLevelUpButton);
  EXPECT_NE(native_->StyleOf(b) & platform::kStyleDefaultButton, 0u);
  ButtonDrawState rest;
  EXPECT_EQ(native_->PaintButton(b, rest).front(), (Step{Step::Frame, {0, 0, 128, 24}, 0x000000, ""}));
}

TEST_F(SuperBtnTest, ToolTipAndPicturesFollowTheirProperties) {
  std::unique_ptr<UnitWindow> tipped = CreateDirect(kTypeSuperBtn, ButtonData(2, 1, false, "x", "level up"));
  EXPECT_EQ(native_->ToolTip(tipped->Handle()), "level up");
  auto set = OperationOf<SetPropertyOperation>(*UnitTypeDescriptor(kTypeSuperBtn), kOpSetProperty);
  EXPECT_EQ(set(*tipped, kBtnToolTip - 8, UnitValue::OfText("")), 0);
  EXPECT_EQ(native_->ToolTip(tipped->Handle()), "");

  struct Row {
    const char* name;
    std::vector<uint8_t> bytes;
    bool picture;
  } rows[] = {
      {"bitmap", TinyBitmap(), true},
      {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}, false},
      {"bitmap header cut short", {'B', 'M', 1, 2, 3}, false},
      {"png without its header chunk", {0x89, 'P', 'N', 'G', 13, 10, 26, 10}, false},
  };
  for (const Row& row : rows) {
    std::unique_ptr<UnitWindow> unit = CreateDirect(kTypeSuperBtn, ButtonData(2, 1, false, "x", "", row.bytes));
    ASSERT_NE(unit, nullptr) << row.name;
    ButtonDrawState state;
    std::vector<Step> steps = native_->PaintButton(unit->Handle(), state);
    bool drawn = std::any_of(steps.begin(), steps.end(), [](const Step& s) { return s.kind == Step::Picture; });
    EXPECT_EQ(drawn, row.picture) << row.name;
  }
  // Set at run time: decoded again; layout 0 puts it left of the caption.
  set(*tipped, kBtnImage0 - 8, UnitValue::OfBytes(TinyBitmap()));
  ButtonDrawState state;
  std::vector<Step> steps = native_->PaintButton(tipped->Handle(), state);
  ASSERT_GE(steps.size(), 2u);
  EXPECT_EQ(steps[steps.size() - 2], (Step{Step::Picture, {4, 11, 16, 8}, 0, ""}));
  EXPECT_EQ(steps.back(), (Step{Step::Text, {24, 4, 92, 22}, 0x000000, "x"}));
}

}  // namespace
}  // namespace vorenn
