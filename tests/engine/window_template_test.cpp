#include "engine/templates/window_template.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "resources/window_segment.h"
#include "tests/engine/template_test_support.h"
#include "tools/template_description.h"
#include "tests/support/exit_status.h"

namespace vorenn {
namespace {

using namespace testing_support;

constexpr char kTemplateError[] = "载入窗口模板数据段出错!";

std::vector<uint8_t> RealSegment() {
  auto s = WindowSegment();
  return {s.begin(), s.end()};
}

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(v >> (8 * i));
}

class WindowTemplateTest : public ::testing::Test {
 protected:
  void TearDown() override { ResetTemplateState(); }
  // True when loading reports the template error; the table must then be unchanged.
  bool Rejects(const std::vector<uint8_t>& bytes) {
    size_t before = Templates().size();
    try {
      LoadTemplateSegment(bytes.data(), bytes.size());
    } catch (const RuntimeErrorThrown& e) {
      EXPECT_NE(std::string(e.what()).find(kTemplateError), std::string::npos) << e.what();
      EXPECT_EQ(Templates().size(), before);
      return true;
    }
    return false;
  }
  ThrowingErrorPorts ports_;
};

// The loader's reading of the built segment agrees, record by record, with the description the
// builder wrote it from.
TEST_F(WindowTemplateTest, BuiltSegmentReadsBackAsDescribed) {
  std::ifstream in(VORENN_SOURCE_DIR "/resources/window.json");
  auto description = tools::ParseDescription(std::string(std::istreambuf_iterator<char>(in), {}));
  auto segment = WindowSegment();
  ASSERT_EQ(segment.size(), 10000u);
  LoadTemplateSegment(segment.data(), segment.size());
  ASSERT_EQ(Templates().size(), 1u);
  const WindowTemplate* tmpl = FindTemplate(0x52010003);
  ASSERT_NE(tmpl, nullptr);
  EXPECT_EQ(tmpl->wordA, 0x0060A150u);
  EXPECT_EQ(tmpl->wordB, 0x19010029u);
  const auto& units = description.windows[0].units;
  ASSERT_EQ(tmpl->records.size(), 49u);
  size_t children = 0;
  for (size_t i = 0; i < units.size(); ++i) {
    const UnitRecord& r = tmpl->records[i];
    const tools::UnitDescription& u = units[i];
    SCOPED_TRACE(u.code);
    EXPECT_EQ(r.id, u.id);
    EXPECT_EQ(r.type, u.type);
    EXPECT_EQ(r.name, u.name);
    EXPECT_EQ(r.container, u.container);
    EXPECT_EQ((std::array<int32_t, 4>{r.left, r.top, r.width, r.height}), u.geometry);
    EXPECT_EQ(r.flags, u.flags);
    ASSERT_EQ(r.events.size(), u.events.size());
    for (size_t e = 0; e < u.events.size(); ++e) {
      EXPECT_EQ(r.events[e].event, u.events[e].first);
      EXPECT_EQ(r.events[e].handler, HandlerRef(u.events[e].second + 1));
    }
    EXPECT_EQ(r.unitData, u.data);
    EXPECT_EQ(r.window, nullptr);
    children += r.children.size();
  }
  EXPECT_EQ(children, 48u);
  EXPECT_EQ(FindTemplate(0x52010004), nullptr);
}

TEST_F(WindowTemplateTest, EveryTruncationIsReported) {
  std::vector<uint8_t> segment = RealSegment();
  for (size_t size = 0; size < segment.size(); ++size) {
    std::vector<uint8_t> cut(segment.begin(), segment.begin() + long(size));
    ASSERT_TRUE(Rejects(cut)) << "accepted a segment cut to " << size << " bytes";
  }
}

TEST_F(WindowTemplateTest, MalformedCountsAndOffsetsAreReported) {
  // Offsets into the built segment: the window table, the template head, record 0 of the window.
  struct Row {
    const char* what;
    size_t at;
    uint32_t value;
  } rows[] = {
      {"table size not a multiple of 8", 0, 7},
      {"table size beyond the segment", 0, 0xFFFFFFF8},
      {"no records", 28, 0},
      {"record count beyond the list", 28, 0x10000000},
      {"unit list beyond the segment", 32, 0x00FFFFFF},
      {"record offset beyond the records", 232 + 4, 20000},
      {"record length beyond the records", 428, 20000},
      {"child count beyond the record", 493, 0x40000000},
      {"event count beyond the record", 526, 0x10000000},
      {"handler offset below -1", 534, 0xFFFFFFFE},
  };
  std::vector<uint8_t> segment = RealSegment();
  ASSERT_EQ(segment[493], 3);  // the window's own record lists three children
  for (const Row& row : rows) {
    std::vector<uint8_t> bad = segment;
    PutU32(bad, row.at, row.value);
    EXPECT_TRUE(Rejects(bad)) << row.what;
  }
}

TEST(WindowTemplateDeathTest, BadSegmentEndsTheProgramWithMinusOne) {
  std::vector<uint8_t> segment = RealSegment();
  EXPECT_EXIT(LoadTemplateSegment(segment.data(), 9999), test_support::EndedWithMinusOne,
              ::testing::HasSubstr(kTemplateError));
  PutU32(segment, 28, 0x10000000);
  EXPECT_EXIT(LoadTemplateSegment(segment.data(), segment.size()), test_support::EndedWithMinusOne,
              ::testing::HasSubstr(kTemplateError));
}

uint64_t HandlerA(const uint32_t*, int) { return 1; }
uint64_t HandlerB(const uint32_t*, int) { return 2; }
const EventHandler kHandlers[] = {HandlerA, HandlerB};

TEST_F(WindowTemplateTest, BindingsResolveThroughTheHandlerTable) {
  constexpr uint32_t kButton = 0x0001000B, kLabel = 0x0001000A;
  auto segment = OneWindowSegment(
      {Unit(0x16000001, kButton, 0, 1, {{0, -1}, {3, 1}}),
       Unit(0x16000002, kButton, 0, 1, {{0, 0}}),
       Unit(0x16000003, kLabel, 0, 1, {{0, 1}})},
      {{0, 0}});
  LoadTemplateSegment(segment.data(), segment.size());
  RegisterEventHandlers(kHandlers);
  WindowInstance& instance = CreateInstance(*FindTemplate(kWindowId));
  struct Row {
    uint32_t unit;
    int32_t event;
    EventHandler want;
  } rows[] = {
      {0x16000001, 0, nullptr},  // offset -1: no handler
      {0x16000001, 3, HandlerB},
      {0x16000001, 4, nullptr},  // not bound
      {0x16000002, 0, HandlerA},
      {0x16000003, 0, HandlerB},
      {kSelfId, 0, HandlerA},
      {0x16000099, 0, nullptr},  // no such unit
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FindEventHandler(instance, row.unit, row.event), row.want) << std::hex << row.unit << " " << row.event;
  }
}

TEST_F(WindowTemplateTest, EventOwnersLendTheirBindingsToUnitsOfTheSameType) {
  constexpr uint32_t kButton = 0x0001000B, kLabel = 0x0001000A;
  auto segment = OneWindowSegment({Unit(0x16000001, kButton, 0, 1, {{0, 0}}),
                                   Unit(0x16000002, kButton), Unit(0x16000003, kLabel, 0, 1, {{0, 1}}),
                                   Unit(0x16000004, kButton, 0, 1, {{0, 1}}), Unit(0x16000005, kButton)});
  LoadTemplateSegment(segment.data(), segment.size());
  RegisterEventHandlers(kHandlers);
  WindowInstance& instance = CreateInstance(*FindTemplate(kWindowId));
  FindRecord(instance, 0x16000002)->eventOwner = 0x16000001;  // a copy of the first button
  FindRecord(instance, 0x16000004)->eventOwner = 0x16000003;  // a label: not followed
  FindRecord(instance, 0x16000005)->eventOwner = 0x16000002;  // a chain of two
  EXPECT_EQ(FindEventHandler(instance, 0x16000002, 0), HandlerA);
  EXPECT_EQ(FindEventHandler(instance, 0x16000004, 0), HandlerB);
  EXPECT_EQ(FindEventHandler(instance, 0x16000005, 0), HandlerA);
  // A cycle ends instead of hanging.
  FindRecord(instance, 0x16000001)->eventOwner = 0x16000005;
  EXPECT_EQ(FindEventHandler(instance, 0x16000002, 0), nullptr);
}

TEST_F(WindowTemplateTest, HandlerOffsetBeyondTheTableIsATemplateError) {
  auto segment = OneWindowSegment({Unit(0x16000001, 0x0001000B, 0, 1, {{0, 2}})});
  LoadTemplateSegment(segment.data(), segment.size());
  EXPECT_THROW(RegisterEventHandlers(kHandlers), RuntimeErrorThrown);
  ResetTemplateState();
  RegisterEventHandlers(kHandlers);
  EXPECT_TRUE(Rejects(segment));
}

TEST_F(WindowTemplateTest, InstancesAreIndependentCopies) {
  auto segment = RealSegment();
  LoadTemplateSegment(segment.data(), segment.size());
  const WindowTemplate& tmpl = *FindTemplate(0x52010003);
  WindowInstance& first = CreateInstance(tmpl);
  WindowInstance& second = CreateInstance(tmpl);
  EXPECT_EQ(FindLoadedWindow(0x52010003), &second);
  UnitRecord* label = FindRecord(first, 0x16011568);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(RecordAt(first, 11), label);
  label->top = 99;
  label->tag = "x";
  label->flags |= kFlagVisible;
  EXPECT_EQ(FindRecord(second, 0x16011568)->top, 57);
  EXPECT_EQ(tmpl.records[11].top, 57);
  EXPECT_EQ(tmpl.records[11].tag, "");
  EXPECT_EQ(tmpl.records[11].flags & kFlagVisible, 0u);
  EXPECT_EQ(RecordAt(first, 49), nullptr);
  EXPECT_EQ(FindRecord(first, 0x16099999), nullptr);
  DiscardInstance(&second);
  EXPECT_FALSE(IsLiveInstance(&second));
  EXPECT_EQ(FindLoadedWindow(0x52010003), &first);
}

}  // namespace
}  // namespace vorenn
