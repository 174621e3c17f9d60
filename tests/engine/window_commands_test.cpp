// The window commands: loading, moving, focus, copies, destruction, the tray icon, message boxes.
#include <gtest/gtest.h>

#include "engine/runtime/init_runtime.h"
#include "engine/runtime/loader_host.h"
#include "engine/standard_units/window_commands.h"
#include "engine/templates/window_loader.h"
#include "engine/templates/window_template.h"
#include "engine/units/unit_contract.h"
#include "engine/units/unit_lifecycle.h"
#include "tests/engine/unit_test_support.h"

namespace vorenn {
namespace {

using testing_support::Calls;
using testing_support::CalledHandlers;
using testing_support::kTestSelf;
using testing_support::kTestWindow;
using testing_support::RuntimeError;

constexpr uint32_t kPanel = 0x16010001, kRowButton = 0x16010002, kRowEdit = 0x16010003, kOther = 0x16010004;

const char* kUnits = R"(
  {"id": "0x16010001", "type": "DrawPanel", "name": "panel", "code": "Panel", "geometry": [4, 8, 300, 100],
   "flags": "V--", "events": []},
  {"id": "0x16010002", "type": "Button", "name": "row", "code": "Row", "container": "panel",
   "geometry": [10, 2, 80, 24], "flags": "---", "events": [[0, "H7"]],
   "data": {"version": 1, "caption": "level up", "hAlign": 1, "vAlign": 1}},
  {"id": "0x16010003", "type": "EditBox", "name": "rowEdit", "code": "RowEdit", "container": "panel",
   "geometry": [100, 2, 80, 24], "flags": "V--", "events": []},
  {"id": "0x16010004", "type": "Button", "name": "other", "code": "Other", "geometry": [0, 200, 80, 24],
   "flags": "V-T", "events": []}
)";

class WindowCommandsTest : public testing_support::UnitTest {
 protected:
  void SetUp() override {
    UnitTest::SetUp();
    ASSERT_TRUE(LoadUnits(kUnits, "null", R"([[1, "H11"], [2, "H12"]])"));
    Calls().clear();
  }
  WindowInstance& Instance() { return *FindLoadedWindow(kTestWindow); }
};

TEST_F(WindowCommandsTest, CopiesShareTheSourcesHandlersAndSitBelowIt) {
  UnitRef first{}, second{};
  ASSERT_TRUE(CopyUnit(kTypeButton, {kTestWindow, kRowButton}, kTypeButton, &first));
  ASSERT_TRUE(CopyUnit(kTypeButton, {kTestWindow, kRowButton}, kTypeButton, &second));
  EXPECT_EQ(first.windowId, kTestWindow);
  EXPECT_NE(first.unitId, kRowButton);
  EXPECT_NE(first.unitId, second.unitId);
  EXPECT_TRUE(IsValidUnitId(first.unitId));
  EXPECT_EQ(CopiesOf(Instance(), kRowButton), (std::vector<uint32_t>{first.unitId, second.unitId}));
  platform::WindowHandle copy = HandleOf(first.unitId);
  EXPECT_EQ(native_->ParentOf(copy), HandleOf(kPanel));
  std::vector<platform::WindowHandle> z = native_->Children(HandleOf(kPanel));
  auto source = std::find(z.begin(), z.end(), HandleOf(kRowButton));
  ASSERT_NE(source, z.end());
  EXPECT_EQ(*(source + 1), HandleOf(second.unitId));  // the newest copy goes directly below
  EXPECT_EQ(native_->Text(copy), "level up");
  EXPECT_FALSE(native_->IsVisible(copy));  // as hidden as its source

  WriteInt(first.unitId, 5, 1);
  WriteInt(first.unitId, 1, 40);
  WriteText(first.unitId, 4, "2");
  native_->Click(copy);
  Pump();
  ASSERT_EQ(CalledHandlers(), std::vector<int>{7});
  EXPECT_EQ(Calls()[0].source.unitId, first.unitId);
  EXPECT_EQ(ReadText(first.unitId, 4), "2");
  EXPECT_EQ(ReadInt(kRowButton, 1), 2);  // the source keeps its own place
}

TEST_F(WindowCommandsTest, CopyingNeedsTwoUnitsOfTheSameCopyableType) {
  UnitRef target{1, 2};
  EXPECT_FALSE(CopyUnit(kTypeButton, {kTestWindow, kRowButton}, kTypeEditBox, &target));
  EXPECT_FALSE(CopyUnit(kTypeEditBox, {kTestWindow, kRowButton}, kTypeEditBox, &target));  // not its type
  EXPECT_FALSE(CopyUnit(kTypeWindow, {kTestWindow, kTestSelf}, kTypeWindow, &target));
  EXPECT_FALSE(CopyUnit(kTypeButton, {0x52019999, kRowButton}, kTypeButton, &target));
  EXPECT_EQ(target.windowId, 1u);
  EXPECT_EQ(target.unitId, 2u);
  EXPECT_EQ(Instance().records.size(), 5u);
}

TEST_F(WindowCommandsTest, DestroyingACopyRemovesItsRecordAndItsPlaceInTheCopyList) {
  UnitRef copy{};
  ASSERT_TRUE(CopyUnit(kTypeEditBox, {kTestWindow, kRowEdit}, kTypeEditBox, &copy));
  platform::WindowHandle handle = HandleOf(copy.unitId);
  DestroyUnit(copy, false);
  EXPECT_FALSE(native_->IsWindow(handle));
  EXPECT_EQ(FindRecord(Instance(), copy.unitId), nullptr);
  EXPECT_TRUE(CopiesOf(Instance(), kRowEdit).empty());
  EXPECT_THROW(ReadInt(copy.unitId, 0), RuntimeError);
  EXPECT_NE(FindLoadedWindow(kTestWindow), nullptr);
}

TEST_F(WindowCommandsTest, PropertiesReachTheUnitOfTheirIdWhileCopiesComeAndGo) {
  UnitRef first{}, second{}, third{};
  ASSERT_TRUE(CopyUnit(kTypeEditBox, {kTestWindow, kRowEdit}, kTypeEditBox, &first));
  ASSERT_TRUE(CopyUnit(kTypeEditBox, {kTestWindow, kRowEdit}, kTypeEditBox, &second));
  platform::WindowHandle secondHandle = HandleOf(second.unitId);
  WriteInt(second.unitId, 1, 31);
  EXPECT_EQ(native_->Geometry(secondHandle).top, 31);
  // The second copy's record moves into the first one's place, and a new copy then takes the
  // place the second had: the record count is what it was before.
  size_t count = Instance().records.size();
  DestroyUnit(first, false);
  ASSERT_TRUE(CopyUnit(kTypeEditBox, {kTestWindow, kRowEdit}, kTypeEditBox, &third));
  ASSERT_EQ(Instance().records.size(), count);
  WriteInt(second.unitId, 1, 47);
  WriteInt(third.unitId, 1, 12);
  EXPECT_EQ(native_->Geometry(secondHandle).top, 47);
  EXPECT_EQ(native_->Geometry(HandleOf(third.unitId)).top, 12);
  EXPECT_EQ(ReadInt(second.unitId, 1), 47);
  EXPECT_EQ(ReadInt(kRowEdit, 1), 2);
  EXPECT_THROW(ReadInt(first.unitId, 1), RuntimeError);
  // A destroyed copy's id given to a new one names the new one.
  DestroyUnit(third, false);
  UnitRef again{};
  ASSERT_TRUE(CopyUnit(kTypeEditBox, {kTestWindow, kRowEdit}, kTypeEditBox, &again));
  ASSERT_EQ(again.unitId, third.unitId);
  WriteInt(again.unitId, 1, 19);
  EXPECT_EQ(native_->Geometry(HandleOf(again.unitId)).top, 19);
  EXPECT_EQ(ReadInt(second.unitId, 1), 47);
}

TEST_F(WindowCommandsTest, DestroyingTheWindowClosesItNowOrThroughThePostedMessage) {
  DestroyUnit({kTestWindow, 0}, /*closeNow=*/false);
  EXPECT_NE(FindLoadedWindow(kTestWindow), nullptr);
  Pump();
  EXPECT_EQ(FindLoadedWindow(kTestWindow), nullptr);
  EXPECT_EQ(CalledHandlers(), std::vector<int>{12});  // destroyed, never asked
  Calls().clear();
  ASSERT_TRUE(LoadWindow({kTestWindow, 0}, std::nullopt, false));
  DestroyUnit({kTestWindow, kTestSelf}, /*closeNow=*/true);
  EXPECT_EQ(FindLoadedWindow(kTestWindow), nullptr);
}

TEST_F(WindowCommandsTest, LoadWindowBringsAnOpenWindowForwardAndNeedsALoadedParent) {
  WindowInstance* open = &Instance();
  EXPECT_TRUE(LoadWindow({kTestWindow, 0}, std::nullopt, false));
  EXPECT_EQ(&Instance(), open);
  EXPECT_EQ(LoadedWindows().size(), 1u);
  native_->SetShowState(HandleOf(kTestSelf), platform::ShowState::Minimized);
  EXPECT_TRUE(LoadWindow({kTestWindow, 0}, std::nullopt, false));
  EXPECT_EQ(native_->ShowStateOf(HandleOf(kTestSelf)), platform::ShowState::Normal);
  ResetTemplateState();
  EXPECT_FALSE(LoadWindow({kTestWindow, 0}, UnitRef{0x52017777, 0}, false));
}

TEST_F(WindowCommandsTest, AModalWindowRunsItsOwnLoopWithTheOthersDisabled) {
  constexpr uint32_t kDialog = 0x52010004;
  ResetTemplateState();
  tools::TemplateDescription d = Describe("", "null", R"([[2, "H12"]])");
  d.windows.push_back(d.windows[0]);
  d.windows[1].id = kDialog;
  d.windows[1].code = "Dialog";
  ASSERT_TRUE(LoadDescription(d));
  InstallFrameLoaderHost();
  InstallStandardUnits();
  platform::WindowHandle main = HandleOf(kTestSelf);
  bool mainDisabledMeanwhile = false;
  native_->SetIdleDriver([&] {
    WindowInstance* dialog = FindLoadedWindow(kDialog);
    if (dialog == nullptr) return false;
    mainDisabledMeanwhile = !native_->IsEnabled(main);
    native_->RequestClose(dialog->records[0].window->Handle());
    return true;
  });
  EXPECT_TRUE(LoadWindow({kDialog, 0}, UnitRef{kTestWindow, 0}, /*modal=*/true));
  native_->SetIdleDriver(nullptr);
  SetLoaderHost(nullptr);
  EXPECT_TRUE(mainDisabledMeanwhile);
  EXPECT_EQ(FindLoadedWindow(kDialog), nullptr);  // the load returned once the dialog closed
  EXPECT_TRUE(native_->IsEnabled(main));
  EXPECT_EQ(CalledHandlers(), std::vector<int>{12});
}

TEST_F(WindowCommandsTest, MoveUnitKeepsWhatIsNotGiven) {
  MoveUnit({kTestWindow, kOther}, std::nullopt, std::nullopt, -1, -1);
  EXPECT_EQ(native_->Geometry(HandleOf(kOther)), (platform::Rect{0, 200, 80, 24}));
  MoveUnit({kTestWindow, kOther}, 2, -1, -1, std::nullopt);
  EXPECT_EQ(native_->Geometry(HandleOf(kOther)), (platform::Rect{2, -1, 80, 24}));
  MoveUnit({kTestWindow, kOther}, std::nullopt, 36, std::nullopt, 303 - 70);
  EXPECT_EQ(native_->Geometry(HandleOf(kOther)), (platform::Rect{2, 36, 80, 233}));
  EXPECT_EQ(ReadInt(kOther, 3), 233);
  FocusUnit({kTestWindow, kOther});
  EXPECT_EQ(native_->Focus(), HandleOf(kOther));
}

// An icon file with the given entries (width, colour count byte, bits per pixel); each image is a
// bitmap header of its width unless `broken`.
struct IconEntry {
  uint8_t width, colours;
  uint16_t bits;
  bool broken = false;
};
std::vector<uint8_t> IconFile(std::vector<IconEntry> entries, uint16_t type = 1) {
  auto put16 = [](std::vector<uint8_t>& out, uint32_t v) { out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)}); };
  auto put32 = [&](std::vector<uint8_t>& out, uint32_t v) { put16(out, v), put16(out, v >> 16); };
  std::vector<uint8_t> file;
  put16(file, 0), put16(file, type), put16(file, uint32_t(entries.size()));
  uint32_t offset = uint32_t(6 + 16 * entries.size());
  std::vector<uint8_t> images;
  for (size_t i = 0; i < entries.size(); ++i) {
    std::vector<uint8_t> image;
    put32(image, entries[i].broken ? 12 : 40), put32(image, entries[i].width), put32(image, entries[i].width * 2u);
    image.resize(40 + i, uint8_t(i));  // sizes tell the images apart
    file.insert(file.end(), {entries[i].width, entries[i].width, entries[i].colours, 0});
    put16(file, 1), put16(file, entries[i].bits), put32(file, uint32_t(image.size())), put32(file, offset);
    offset += uint32_t(image.size());
    images.insert(images.end(), image.begin(), image.end());
  }
  file.insert(file.end(), images.begin(), images.end());
  return file;
}

TEST_F(WindowCommandsTest, TrayIconTakesTheSixteenPixelImageThenTheThirtyTwo) {
  struct Row {
    const char* name;
    std::vector<uint8_t> file;
    size_t expectedBytes;  // 22 + the chosen image; 0: no icon
  };
  const Row rows[] = {
      {"16 px, more than 15 colours", IconFile({{32, 0, 8}, {16, 2, 1}, {16, 16, 4}}), 22 + 42},
      {"no 16 px image: the last", IconFile({{32, 0, 32}, {48, 0, 32}}), 22 + 41},
      {"broken 16 px: the 32 px one", IconFile({{16, 0, 32, true}, {32, 0, 32}}), 22 + 41},
      {"a single 64 px image", IconFile({{64, 0, 32}}), 22 + 40},
      {"cursor form is accepted", IconFile({{16, 0, 8}}, 2), 22 + 40},
      {"not in icon form", IconFile({{16, 0, 8}}, 3), 0},
      {"nothing usable", IconFile({{16, 0, 8, true}}), 0},
      {"truncated", std::vector<uint8_t>{0, 0, 1, 0, 1, 0, 16}, 0},
  };
  platform::WindowHandle window = HandleOf(kTestSelf);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetTrayIcon({kTestWindow, 0}, IconFile({{16, 0, 8}}), "tip");  // an icon is shown before each
    SetTrayIcon({kTestWindow, 0}, row.file, "点击恢复！\r\nVorenn");
    std::optional<platform::TrayIconRecord> tray = native_->TrayIcon(window);
    if (row.expectedBytes == 0) {
      EXPECT_FALSE(tray.has_value());  // no icon deletes the one shown
    } else {
      ASSERT_TRUE(tray.has_value());
      EXPECT_EQ(tray->iconBytes, row.expectedBytes);
      EXPECT_EQ(tray->tip, "点击恢复！\r\nVorenn");
    }
  }
}

TEST_F(WindowCommandsTest, TrayTipIsCutTo62BytesWithoutSplittingACharacter) {
  std::string tip = std::string(61, 'a') + "点";
  SetTrayIcon({kTestWindow, 0}, IconFile({{16, 0, 8}}), tip);
  EXPECT_EQ(native_->TrayIcon(HandleOf(kTestSelf))->tip, std::string(61, 'a'));
  SetTrayIcon({kTestWindow, 0}, IconFile({{16, 0, 8}}), std::string(70, 'b'));
  EXPECT_EQ(native_->TrayIcon(HandleOf(kTestSelf))->tip, std::string(62, 'b'));
}

TEST_F(WindowCommandsTest, MessageBoxAnswersAndStyle) {
  struct Row {
    int32_t style;
    int answer;
    int32_t result;
    uint32_t shownStyle;
  };
  const Row rows[] = {
      {4, platform::kAnswerYes, 5, 0x2004},   {4, platform::kAnswerNo, 6, 0x2004},
      {0, platform::kAnswerOk, 0, 0x2000},    {1, platform::kAnswerCancel, 1, 0x2001},
      {2, platform::kAnswerAbort, 2, 0x2002}, {2, platform::kAnswerRetry, 3, 0x2002},
      {2, platform::kAnswerIgnore, 4, 0x2002}, {0x1000, platform::kAnswerOk, 0, 0x1000},
  };
  for (const Row& row : rows) {
    native_->ClearMessageBoxes();
    native_->QueueMessageBoxAnswer(row.answer);
    EXPECT_EQ(ShowMessageBox("text", row.style, "信息："), row.result);
    ASSERT_EQ(native_->MessageBoxes().size(), 1u);
    EXPECT_EQ(native_->MessageBoxes()[0].style, row.shownStyle);
    EXPECT_EQ(native_->MessageBoxes()[0].owner, platform::kNoWindow);
    EXPECT_EQ(native_->MessageBoxes()[0].caption, "信息：");
  }
}

TEST_F(WindowCommandsTest, NoBoxIsShownOnceTheProgramIsEnding) {
  EXPECT_FALSE(ProgramEnding());
  EXPECT_EQ(ShowMessageBox("still open", 0, "x"), 0);
  EXPECT_EQ(native_->MessageBoxes().size(), 1u);
  DestroyUnit({kTestWindow, 0}, /*closeNow=*/true);
  native_->PostQuit(0);
  ASSERT_TRUE(ProgramEnding());
  struct Row {
    int32_t style, result;
  } rows[] = {{0, 0}, {1, 1}, {2, 2}, {3, 1}, {4, 6}, {5, 1}, {0x24, 6}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.style);
    native_->QueueMessageBoxAnswer(platform::kAnswerYes);  // never taken: nobody sees the box
    EXPECT_EQ(ShowMessageBox("gone", row.style, "x"), row.result);
  }
  EXPECT_EQ(native_->MessageBoxes().size(), 1u);
}

TEST_F(WindowCommandsTest, ProcessEventsStopsAtTheQuitMessage) {
  native_->Click(HandleOf(kOther));
  native_->PostQuit(0);
  native_->Click(HandleOf(kOther));
  ProcessEvents();
  EXPECT_EQ(native_->InputReachedWindow(HandleOf(kOther), platform::EventKind::MouseUp), 1);
  EXPECT_TRUE(native_->MessageWaiting());
}

}  // namespace
}  // namespace vorenn
