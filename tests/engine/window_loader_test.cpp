#include "engine/templates/window_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "engine/templates/window_template_units.h"
#include "resources/window_ids.h"
#include "resources/window_segment.h"
#include "tests/engine/template_test_support.h"

namespace vorenn {
namespace {

using namespace testing_support;

// Everything the fake units and the host see, in order.
std::vector<std::string> g_log;
int g_liveFakes = 0;
uint32_t g_failingUnit = 0;  // create answers null for this unit id
platform::WindowHandle g_nextHandle = 1;

std::string Hex(uint32_t v) {
  char text[12];
  std::snprintf(text, sizeof text, "%08X", v);
  return text;
}

class FakeWindow final : public UnitWindow {
 public:
  explicit FakeWindow(const UnitCreateArgs& args) : handle_(g_nextHandle++), unit_(args.unitId) { ++g_liveFakes; }
  ~FakeWindow() override { --g_liveFakes; }
  platform::WindowHandle Handle() const override { return handle_; }
  void SetContainer(UnitWindow& c) override { container = static_cast<FakeWindow&>(c).unit_; }
  void PlaceBelow(UnitWindow* above) override {
    g_log.push_back("below " + Hex(unit_) + " " + (above ? Hex(static_cast<FakeWindow*>(above)->unit_) : "top"));
  }
  void SetShown(bool s) override { shown = s; }
  void SendEngineMessage(uint32_t message) override { g_log.push_back(Hex(message) + " " + Hex(unit_)); }
  bool IsEnabled() const override { return enabled; }
  void SetEnabled(bool e) override { enabled = e; }
  void ShowWindow() override { g_log.push_back("show window"); }
  bool IsMinimized() const override { return minimized; }
  void Restore() override { g_log.push_back("restore"); }
  void Activate() override { g_log.push_back("activate"); }

  uint32_t container = 0;
  bool shown = false;
  bool enabled = true;
  bool minimized = false;

 private:
  platform::WindowHandle handle_;
  uint32_t unit_;
};

UnitWindow* CreateFake(const UnitCreateArgs& args) {
  g_log.push_back("create " + Hex(args.unitId) + " id " + std::to_string(args.controlId));
  if (args.unitId == g_failingUnit) return nullptr;
  // A unit that raises an event while the window loads: no handler may run.
  CurrentLoaderHost().RaiseEvent(args.windowId, args.unitId, 0);
  return new FakeWindow(args);
}

void* FakeInterface(int operation) {
  return operation == kOpCreate ? reinterpret_cast<void*>(&CreateFake) : nullptr;
}

bool ResolveFake(uint32_t typeCode, UnitType* type) {
  if (typeCode == 0x00010003) return false;
  type->stateFlags = typeCode == 0x00010020 ? kUnitStateNeverShown : 0;
  type->interface = FakeInterface;
  return true;
}

uint64_t LogEvent(const char* what) {
  g_log.push_back(what);
  return 0;
}
uint64_t OnCreated(const uint32_t*, int) { return LogEvent("event created"); }
uint64_t OnMoved(const uint32_t*, int) { return LogEvent("event moved"); }
uint64_t OnResized(const uint32_t*, int) { return LogEvent("event resized"); }
uint64_t OnClick(const uint32_t*, int) { return LogEvent("event click"); }
uint64_t CloseWindow(const uint32_t*, int) {
  UnloadWindowInstance(FindLoadedWindow(kWindowId));
  return LogEvent("closed");
}
// The program's table order starts with the window's created, moved and resized handlers.
EventHandler g_handlers[kHandlerCount];

class WindowLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    g_failingUnit = 0;
    SetUnitTypeResolver(ResolveFake);
    SetLoaderHost(nullptr);
    std::fill(std::begin(g_handlers), std::end(g_handlers), OnClick);
    g_handlers[int(HandlerId::kWindowCreated)] = OnCreated;
    g_handlers[int(HandlerId::kWindowMoved)] = OnMoved;
    g_handlers[int(HandlerId::kWindowResized)] = OnResized;
  }
  void TearDown() override {
    for (WindowInstance* w : LoadedWindows()) UnloadWindowInstance(w);
    ResetTemplateState();
    SetUnitTypeResolver(nullptr);
    EXPECT_EQ(g_liveFakes, 0);
  }
  void LoadSegment(const std::vector<uint8_t>& bytes) {
    LoadTemplateSegment(bytes.data(), bytes.size());
    RegisterEventHandlers(g_handlers);
  }
  void LoadRealSegment() {
    auto s = WindowSegment();
    LoadSegment({s.begin(), s.end()});
  }
  static FakeWindow& Fake(uint32_t unitId) {
    return *static_cast<FakeWindow*>(FindRecord(*FindLoadedWindow(0x52010003), unitId)->window);
  }
  size_t IndexOf(const std::string& entry) {
    for (size_t i = 0; i < g_log.size(); ++i) {
      if (g_log[i] == entry) return i;
    }
    ADD_FAILURE() << "not logged: " << entry;
    return g_log.size();
  }
};

TEST_F(WindowLoaderTest, BuildsTheProgramWindowUnitsLastRecordFirst) {
  LoadRealSegment();
  ASSERT_TRUE(LoadWindowFromTemplate(0x52010003, false, false, platform::kNoWindow));
  WindowInstance* w = FindLoadedWindow(0x52010003);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->loaded);
  EXPECT_EQ(g_log[0], "create 06010002 id 0");
  EXPECT_EQ(g_log[1], "create 16011417 id 100");  // the last record, 分组框_游戏
  EXPECT_EQ(g_log[2], "create 160114FF id 110");
  EXPECT_EQ(g_log[48], "create 1601167E id 570");  // record 1 comes last
  for (const UnitRecord& r : w->records) {
    if (r.id == 0x06010002) continue;
    SCOPED_TRACE(Hex(r.id));
    EXPECT_EQ(Fake(r.id).container, r.container == 0 ? 0x06010002u : r.container);
    EXPECT_EQ(Fake(r.id).shown, (r.flags & kFlagVisible) != 0);
  }
  // Z-order within 分组框2: 编辑框_公告 (record 9) is its first unit and goes to the top; 标签_秒产1
  // (record 11) below it, 标签_秒产 (record 13) below 标签_秒产1.
  IndexOf("below 160116C9 top");
  IndexOf("below 16011568 160116C9");
  IndexOf("below 1601155E 16011568");
  // Notifications last record first, then the window; the load events follow, then the show.
  size_t unitsCreated = IndexOf("0000806F 16011417");
  EXPECT_LT(unitsCreated, IndexOf("0000806F 06010002"));
  EXPECT_LT(IndexOf("0000806F 06010002"), IndexOf("00008004 06010002"));
  EXPECT_LT(IndexOf("00008004 06010002"), IndexOf("event created"));
  EXPECT_LT(IndexOf("event created"), IndexOf("event moved"));
  EXPECT_LT(IndexOf("event moved"), IndexOf("event resized"));
  EXPECT_LT(IndexOf("event resized"), IndexOf("show window"));
  EXPECT_LT(IndexOf("show window"), IndexOf("00008076 16011417"));
  EXPECT_LT(IndexOf("00008076 16011417"), IndexOf("00008076 06010002"));
  // Units raised click events while loading (button records are bound): none ran.
  for (const std::string& entry : g_log) EXPECT_NE(entry, "event click");
}

TEST_F(WindowLoaderTest, NeverShownTypesStayHiddenAndVisibleFlagsDecide) {
  LoadSegment(OneWindowSegment({Unit(0x16000001, 0x00010020, 0, kFlagVisible),  // a timer
                                Unit(0x16000002, 0x0001000A, 0, kFlagVisible),
                                Unit(0x16000003, 0x0001000A, 0, 0)}));
  ASSERT_TRUE(LoadWindowFromTemplate(kWindowId, false, false, platform::kNoWindow));
  EXPECT_FALSE(Fake(0x16000001).shown);
  EXPECT_TRUE(Fake(0x16000002).shown);
  EXPECT_FALSE(Fake(0x16000003).shown);
}

TEST_F(WindowLoaderTest, OpenWindowIsBroughtForwardUnlessANewInstanceIsAsked) {
  LoadSegment(OneWindowSegment({Unit(0x16000001, 0x0001000A)}));
  ASSERT_TRUE(LoadWindowFromTemplate(kWindowId, false, false, platform::kNoWindow));
  WindowInstance* first = FindLoadedWindow(kWindowId);
  g_log.clear();
  ASSERT_TRUE(LoadWindowFromTemplate(kWindowId, false, false, platform::kNoWindow));
  EXPECT_EQ(g_log, std::vector<std::string>{"activate"});
  Fake(kSelfId).minimized = true;
  g_log.clear();
  ASSERT_TRUE(LoadWindowFromTemplate(kWindowId, false, false, platform::kNoWindow));
  EXPECT_EQ(g_log, std::vector<std::string>{"restore"});
  ASSERT_TRUE(LoadWindowFromTemplate(kWindowId, true, false, platform::kNoWindow));
  EXPECT_NE(FindLoadedWindow(kWindowId), first);
  EXPECT_EQ(LoadedWindows().size(), 2u);
}

TEST_F(WindowLoaderTest, FailuresLeaveNothingBehind) {
  LoadSegment(OneWindowSegment({Unit(0x16000001, 0x0001000A), Unit(0x16000002, 0x0001000A),
                                Unit(0x16000003, 0x00010003)},  // a menu item: skipped
              {{0, 0}}));
  EXPECT_FALSE(LoadWindowFromTemplate(0x52019999, false, false, platform::kNoWindow));  // no template
  EXPECT_FALSE(LoadWindowFromTemplate(kWindowId, false, false, 12345));  // parent is not a window
  g_failingUnit = 0x16000001;
  EXPECT_FALSE(LoadWindowFromTemplate(kWindowId, false, false, platform::kNoWindow));
  EXPECT_EQ(g_liveFakes, 0);
  EXPECT_TRUE(LoadedWindows().empty());
  // Events flow again after a failed load.
  g_failingUnit = 0;
  g_log.clear();
  ASSERT_TRUE(LoadWindowFromTemplate(kWindowId, false, false, platform::kNoWindow));
  EXPECT_EQ(g_log[0], "create 06010002 id 0");
  EXPECT_EQ(g_log[1], "create 16000002 id 100");  // the menu item took no control id
  IndexOf("event created");
}

TEST_F(WindowLoaderTest, ModalWindowIgnoresItsParentAndDisablesTheOthersUntilItCloses) {
  LoadSegment(OneWindowSegment({Unit(0x16000001, 0x0001000A)}));
  ASSERT_TRUE(LoadWindowFromTemplate(kWindowId, false, false, platform::kNoWindow));
  WindowInstance* first = FindLoadedWindow(kWindowId);
  FakeWindow& firstWindow = static_cast<FakeWindow&>(*first->records[0].window);
  platform::WindowHandle parent = firstWindow.Handle();
  ASSERT_TRUE(LoadWindowFromTemplate(kWindowId, true, true, 9999));
  WindowInstance* modal = FindLoadedWindow(kWindowId);
  EXPECT_FALSE(firstWindow.enabled);
  UnloadWindowInstance(modal);
  EXPECT_TRUE(firstWindow.enabled);
  // Not modal: a live parent is accepted.
  EXPECT_TRUE(LoadWindowFromTemplate(kWindowId, true, false, parent));
}

TEST_F(WindowLoaderTest, AHandlerThatClosesTheWindowEndsTheLoadEvents) {
  LoadSegment(OneWindowSegment({Unit(0x16000001, 0x0001000A)}, {{0, 0}, {3, 1}, {4, 2}}));
  g_handlers[0] = CloseWindow;
  EXPECT_TRUE(LoadWindowFromTemplate(kWindowId, false, false, platform::kNoWindow));
  EXPECT_EQ(g_log.back(), "closed");
  EXPECT_TRUE(LoadedWindows().empty());
}

}  // namespace
}  // namespace vorenn
