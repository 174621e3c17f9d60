// ReadProperty / WriteProperty: common properties, transfer forms by kind, failures, re-creation.
#include <cstring>

#include <gtest/gtest.h>

#include "engine/core/memory.h"
#include "engine/runtime/services.h"
#include "engine/templates/window_template.h"
#include "engine/templates/window_template_units.h"
#include "engine/units/unit_fonts.h"
#include "tests/engine/unit_test_support.h"

namespace vorenn {
namespace {

using testing_support::RuntimeError;

constexpr uint32_t kGroup = 0x16010001, kEdit = 0x16010002, kLabel = 0x16010003, kTimer = 0x16010004,
                   kPanel = 0x16010005;

const char* kUnits = R"(
  {"id": "0x16010001", "type": "GroupBox", "name": "group", "code": "Group", "geometry": [2, 10, 300, 200],
   "flags": "V--", "events": []},
  {"id": "0x16010002", "type": "EditBox", "name": "edit", "code": "Edit", "container": "group",
   "geometry": [5, 6, 100, 20], "flags": "V-T", "events": [[-7, "H1"], [-8, "H2"]],
   "data": {"version": 2, "border": 5, "textColour": "#000000", "background": "#FFFFFF", "p13": 1, "p14": 0,
            "p15": 0, "p16": 0, "p17": 0, "inputMode": 0, "passwordChar": "*", "content": "abc"}},
  {"id": "0x16010003", "type": "Label", "name": "label", "code": "Label", "geometry": [1, 2, 50, 8],
   "flags": "V--", "events": [],
   "data": {"version": 2, "caption": "hi", "textColour": "#FF0000", "background": "default", "wrap": 2,
            "font": {"face": "Georgia", "height": -16, "weight": 700, "charset": 0}}},
  {"id": "0x16010004", "type": "Timer", "name": "timer", "code": "Timer", "geometry": [0, 0, 24, 24],
   "flags": "V--", "events": []},
  {"id": "0x16010005", "type": "DrawPanel", "name": "panel", "code": "Panel", "geometry": [0, 0, 40, 40],
   "flags": "---", "events": []}
)";

class UnitPropertiesTest : public testing_support::UnitTest {
 protected:
  void SetUp() override {
    UnitTest::SetUp();
    ASSERT_TRUE(LoadUnits(kUnits));
  }
  UnitRecord& Record(uint32_t id) { return *FindRecord(*FindLoadedWindow(testing_support::kTestWindow), id); }
};

TEST_F(UnitPropertiesTest, GeometryWritesAreClampedAndStored) {
  struct Row {
    int index;
    int32_t written;
    int32_t read;
  };
  const Row rows[] = {
      {2, 40000, 32627}, {2, 32767, 32627}, {2, -5, 0},       {3, 40000, 32627}, {3, -1, 0},
      {0, -40000, -32627}, {0, 40000, 32627}, {1, -32628, -32627}, {1, 17, 17},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "index " << row.index << " value " << row.written);
    WriteInt(kLabel, row.index, row.written);
    EXPECT_EQ(ReadInt(kLabel, row.index), row.read);
    const UnitRecord& r = Record(kLabel);
    int32_t stored[] = {r.left, r.top, r.width, r.height};
    EXPECT_EQ(stored[row.index], row.read);
  }
  // A move keeps the size, a resize keeps the position.
  EXPECT_EQ(native_->Geometry(HandleOf(kLabel)), (platform::Rect{32627, 17, 0, 0}));
}

TEST_F(UnitPropertiesTest, LiveGeometryWinsOverTheRecordUntilTheWindowIsGone) {
  WriteInt(kEdit, 5, 0);
  native_->SetGeometry(HandleOf(kEdit), {7, 8, 90, 30});
  // Hidden, yet live: the window's own size.
  EXPECT_EQ(ReadInt(kEdit, 2), 90);
  EXPECT_EQ(ReadInt(kEdit, 5), 0);
  native_->DestroyNativeWindow(HandleOf(kEdit));
  EXPECT_EQ(ReadInt(kEdit, 0), 5);
  EXPECT_EQ(ReadInt(kEdit, 2), 100);
  EXPECT_EQ(ReadInt(kEdit, 3), 20);
  EXPECT_EQ(ReadInt(kEdit, 5), 0);  // the flag written above
  EXPECT_THROW(ReadText(kEdit, 8), RuntimeError);
  EXPECT_NE(testing_support::LastErrorText().find("指定窗口尚未载入"), std::string::npos);
}

TEST_F(UnitPropertiesTest, VisibleOnANeverShownUnitOnlySetsTheFlag) {
  EXPECT_FALSE(native_->IsVisible(HandleOf(kTimer)));
  WriteInt(kTimer, 5, 1);
  EXPECT_FALSE(native_->IsVisible(HandleOf(kTimer)));
  EXPECT_EQ(Record(kTimer).flags & kFlagVisible, kFlagVisible);
  WriteInt(kPanel, 5, 7);
  EXPECT_TRUE(native_->IsVisible(HandleOf(kPanel)));
  EXPECT_EQ(ReadInt(kPanel, 5), 1);
  WriteInt(kPanel, 6, 1);
  EXPECT_FALSE(native_->IsEnabled(HandleOf(kPanel)));
  EXPECT_EQ(ReadInt(kPanel, 6), 1);
}

TEST_F(UnitPropertiesTest, FailuresAreRuntimeErrorsNeverCrashes) {
  struct Row {
    uint32_t window, unit;
    int index;
    const char* message;
  };
  const Row rows[] = {
      {0x52019999, kLabel, 0, "未载入欲访问窗口组件所在的窗口"},
      {testing_support::kTestWindow, 0x16017777, 0, "欲访问的窗口组件不存在"},
      {testing_support::kTestWindow, kLabel, 29, "数组成员引用下标超出定义范围"},
      {testing_support::kTestWindow, kLabel, -1, "数组成员引用下标超出定义范围"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    EXPECT_THROW(ReadProperty(row.window, row.unit, row.index), RuntimeError);
    EXPECT_NE(testing_support::LastErrorText().find(row.message), std::string::npos);
    EXPECT_THROW(WriteProperty(row.window, row.unit, row.index, -1, 1, 0), RuntimeError);
  }
}

TEST_F(UnitPropertiesTest, OnceTheProgramEndsTheClosedWindowsUnitsReadAsNothingAndTakeNoWrites) {
  native_->DestroyNativeWindow(HandleOf(testing_support::kTestSelf));
  ASSERT_EQ(FindLoadedWindow(testing_support::kTestWindow), nullptr);
  // Closed while the program goes on: a fault as before.
  EXPECT_THROW(ReadText(kEdit, 8), RuntimeError);
  EXPECT_NE(testing_support::LastErrorText().find("未载入欲访问窗口组件所在的窗口"), std::string::npos);
  native_->PostQuit(0);
  EXPECT_EQ(ReadText(kEdit, 8), "");
  EXPECT_EQ(ReadInt(kLabel, 0), 0);
  EXPECT_EQ(ReadInt(kGroup, 5), 0);
  EXPECT_EQ(ReadInt(testing_support::kTestSelf, 2), 0);
  EXPECT_NO_THROW(WriteText(kEdit, 8, "typed"));
  EXPECT_NO_THROW(WriteInt(kLabel, 2, 10));
  EXPECT_NO_THROW(WriteInt(0x16017777, 0, 1));
  // A window that was never loaded is a fault whether or not the program is ending.
  EXPECT_THROW(ReadProperty(0x52019999, kLabel, 0), RuntimeError);
  EXPECT_NE(testing_support::LastErrorText().find("未载入欲访问窗口组件所在的窗口"), std::string::npos);
  EXPECT_THROW(WriteProperty(0x52019999, kLabel, 0, -1, 1, 0), RuntimeError);
}

class RepeatedIdsTest : public testing_support::UnitTest {};

TEST_F(RepeatedIdsTest, AnIdGivenTwiceNamesItsFirstUnit) {
  tools::TemplateDescription description = Describe(R"(
    {"id": "0x16010003", "type": "Label", "name": "first", "code": "First", "geometry": [1, 2, 50, 8],
     "flags": "V--", "events": []},
    {"id": "0x16010006", "type": "Label", "name": "second", "code": "Second", "geometry": [60, 2, 50, 8],
     "flags": "V--", "events": []})");
  // The description refuses a repeated id; a segment may still hold one.
  description.windows[0].units[2].id = kLabel;
  ASSERT_TRUE(LoadDescription(description));
  WindowInstance& instance = *FindLoadedWindow(testing_support::kTestWindow);
  ASSERT_EQ(instance.records.size(), 3u);
  ASSERT_NE(instance.records[2].window, nullptr);
  EXPECT_EQ(ReadInt(kLabel, 0), 1);
  WriteInt(kLabel, 0, 9);
  EXPECT_EQ(native_->Geometry(instance.records[1].window->Handle()).left, 9);
  EXPECT_EQ(native_->Geometry(instance.records[2].window->Handle()).left, 60);
  EXPECT_EQ(FindRecord(instance, kLabel), &instance.records[1]);
}

TEST_F(UnitPropertiesTest, TransferFormsFollowTheKind) {
  // Text: a new block for the caller; null writes the empty text and reads back null.
  PropertyValue caption = ReadProperty(testing_support::kTestWindow, kLabel, 8);
  char* block = static_cast<char*>(PointerOf(RuntimeValue{caption.low, caption.high, 0}));
  ASSERT_NE(block, nullptr);
  EXPECT_STREQ(block, "hi");
  FreeBlock(block);
  WriteProperty(testing_support::kTestWindow, kLabel, 8, -1, 0, 0);
  PropertyValue empty = ReadProperty(testing_support::kTestWindow, kLabel, 8);
  EXPECT_EQ(empty.low | empty.high, 0u);
  EXPECT_EQ(native_->Text(HandleOf(kLabel)), "");
  // Logical: the stored 2 reads false; any nonzero write stores 1.
  EXPECT_EQ(ReadInt(kLabel, 25), 0);
  WriteInt(kLabel, 25, 9);
  EXPECT_EQ(ReadInt(kLabel, 25), 1);
  // Colour: only the default-capable kind keeps 0xFF000000.
  EXPECT_EQ(uint32_t(ReadInt(kLabel, 17)), 0xFF000000u);
  WriteInt(kLabel, 16, int32_t(0xFF000000u));
  EXPECT_EQ(ReadInt(kLabel, 16), 0);
  WriteInt(kLabel, 16, 0x123456);
  EXPECT_EQ(uint32_t(native_->AppearanceOf(HandleOf(kLabel)).textColour), 0x123456u);
  // Tag.
  WriteText(kLabel, 4, "row 3");
  EXPECT_EQ(ReadText(kLabel, 4), "row 3");
}

TEST_F(UnitPropertiesTest, FontComponentsReadAndWriteThroughTheRecord) {
  EXPECT_EQ(ReadText(kLabel, 15, kFontFace), "Georgia");
  EXPECT_EQ(ReadInt(kLabel, 15, kFontBold), 1);
  EXPECT_EQ(ReadInt(kLabel, 15, kFontSize), 12);
  WriteInt(kLabel, 15, 0, kFontBold);
  WriteInt(kLabel, 15, 3700, kFontAngle);
  WriteInt(kLabel, 15, 9, kFontSize);
  WriteText(kLabel, 15, std::string(32, 'x'), kFontFace);
  EXPECT_EQ(ReadInt(kLabel, 15, kFontBold), 0);
  EXPECT_EQ(ReadInt(kLabel, 15, kFontAngle), 100);
  EXPECT_EQ(ReadInt(kLabel, 15, kFontSize), 9);
  EXPECT_EQ(ReadText(kLabel, 15, kFontFace), "宋体");
  std::string font = native_->AppearanceOf(HandleOf(kLabel)).font;
  ASSERT_EQ(font.size(), kFontRecordSize);
  int32_t weight, height;
  std::memcpy(&height, font.data(), 4);
  std::memcpy(&weight, font.data() + 16, 4);
  EXPECT_EQ(weight, 0);
  EXPECT_EQ(height, -12);
  EXPECT_THROW(ReadInt(kLabel, 15, 7), RuntimeError);
  // A unit without a font reports the default one; the whole record travels as one block.
  PropertyValue whole = ReadProperty(testing_support::kTestWindow, kEdit, 12, kFontWhole);
  auto* record = static_cast<int32_t*>(PointerOf(RuntimeValue{whole.low, whole.high, 0}));
  EXPECT_EQ(record[5], 9);
  char* face;
  std::memcpy(&face, record + 6, sizeof face);
  EXPECT_STREQ(face, "宋体");
  FreeBlock(face);
  FreeBlock(record);
}

TEST_F(UnitPropertiesTest, PointerDataIsTranslatedOnTheWayInAndOut) {
  uint8_t block[12] = {1, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0};  // game pointer 3, the I-beam
  RuntimeValue v{0, 0, 0};
  SetPointer(v, block);
  WriteProperty(testing_support::kTestWindow, kLabel, 7, -1, v.low, v.high);
  EXPECT_EQ(native_->PointerOf(HandleOf(kLabel)), platform::PointerShape::IBeam);
  EXPECT_EQ(Record(kLabel).cursorData, (std::vector<uint8_t>{0x03, 0x7F, 0, 0}));
  PropertyValue read = ReadProperty(testing_support::kTestWindow, kLabel, 7);
  auto* out = static_cast<uint8_t*>(PointerOf(RuntimeValue{read.low, read.high, 0}));
  EXPECT_EQ(std::memcmp(out, block, sizeof block), 0);
  FreeBlock(out);
  WriteProperty(testing_support::kTestWindow, kLabel, 7, -1, 0, 0);
  EXPECT_EQ(native_->PointerOf(HandleOf(kLabel)), platform::PointerShape::Default);
}

TEST_F(UnitPropertiesTest, AChangeThatNeedsANewWindowRecreatesTheUnitInPlaceWithoutEvents) {
  platform::WindowHandle old = HandleOf(kEdit);
  native_->SetFocus(old);
  native_->SetText(old, "typed");
  testing_support::Calls().clear();
  WriteInt(kEdit, 15, 1);  // multi-line
  platform::WindowHandle fresh = HandleOf(kEdit);
  EXPECT_NE(fresh, old);
  EXPECT_FALSE(native_->IsWindow(old));
  EXPECT_EQ(native_->ParentOf(fresh), HandleOf(kGroup));
  EXPECT_EQ(native_->Geometry(fresh), (platform::Rect{5, 6, 100, 20}));
  EXPECT_EQ(native_->Text(fresh), "typed");
  EXPECT_EQ(native_->Focus(), fresh);
  EXPECT_NE(native_->StyleOf(fresh) & platform::kStyleMultiLine, 0u);
  EXPECT_TRUE(testing_support::Calls().empty());  // focus lost / received ran nothing
  EXPECT_EQ(ReadInt(kEdit, 15), 1);
}

}  // namespace
}  // namespace vorenn
