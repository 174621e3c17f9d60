#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "engine/core/event_suppression.h"
#include "engine/core/library_table.h"
#include "engine/core/memory.h"
#include "engine/core/program_directory.h"
#include "engine/runtime/frame.h"
#include "engine/runtime/init_runtime.h"
#include "engine/runtime/misc_service.h"
#include "engine/runtime/services.h"
#include "engine/templates/library_callback.h"
#include "frame_test_support.h"
#include "tests/support/exit_status.h"
#include "tests/support/hidden_file.h"
#include "tests/support/temp_folder.h"

namespace vorenn {
namespace {

TypeDescriptor g_coreTypes[3] = {};
TypeDescriptor g_encodingTypes[1] = {};
const LibraryDescriptor kLibraries[] = {
    {"core", nullptr, 3, g_coreTypes, 0, nullptr},
    {"encoding", nullptr, 1, g_encodingTypes, 0, nullptr},
    {"no types", nullptr, 0, nullptr, 0, nullptr},
};

TEST(ResolveDataType, TakesLibraryAndTypeFromTheCodeAndNothingBeyondTheTable) {
  SetLibraryTable(kLibraries);
  struct Case {
    uint32_t code;
    const TypeDescriptor* expected;
  };
  const Case cases[] = {
      {0x00010001, &g_coreTypes[0]}, {0x00010003, &g_coreTypes[2]}, {0x00020001, &g_encodingTypes[0]},
      {0x00010004, nullptr},  // type beyond the library's count
      {0x00020002, nullptr},     {0x00030001, nullptr},  // a library without types
      {0x00040001, nullptr},                                // library beyond the table
      {0x00010000, nullptr},     {0x00000001, nullptr},  // type or library 0
      {0x80000301, nullptr},     {0x40000001, nullptr},  // basic and program-defined types
      {0, nullptr},
  };
  for (const Case& c : cases) EXPECT_EQ(ResolveDataType(c.code), c.expected) << std::hex << c.code;
  EXPECT_EQ(EngineLibraryCallback(kCallbackTypeDescriptor, 0x00010002, 0),
            reinterpret_cast<intptr_t>(&g_coreTypes[1]));
}

std::vector<std::string> g_notified;
template <int N>
intptr_t RecordingNotify(int code, intptr_t arg1, intptr_t) {
  g_notified.push_back(std::to_string(N) + ":" + std::to_string(code) + ":" +
                       (arg1 == reinterpret_cast<intptr_t>(&EngineLibraryCallback) ? "callback" : "0"));
  return 0;
}

TEST(NotifyLibraries, CallsEveryNotifyInLibraryOrder) {
  static const LibraryDescriptor libraries[] = {
      {"one", RecordingNotify<1>, 0, nullptr, 0, nullptr},
      {"none", nullptr, 0, nullptr, 0, nullptr},
      {"three", RecordingNotify<3>, 0, nullptr, 0, nullptr},
  };
  SetLibraryTable(libraries);
  g_notified.clear();
  NotifyLibraries(kNotifyStart, reinterpret_cast<intptr_t>(&EngineLibraryCallback), 0);
  NotifyLibraries(kNotifyEnd, 0, 0);
  EXPECT_EQ(g_notified,
            (std::vector<std::string>{"1:1:callback", "3:1:callback", "1:6:0", "3:6:0"}));
}

intptr_t Extension(int code, intptr_t arg1, intptr_t) { return code == 2008 ? arg1 + 1 : -1; }

TEST(LibraryCallback, AnswersMemorySuppressionAndPassesTheRestToTheExtension) {
  test::FreshFrame();
  void* block = reinterpret_cast<void*>(EngineLibraryCallback(kCallbackAllocBlock, 16, 0));
  ASSERT_NE(block, nullptr);
  std::memset(block, 0xAB, 16);
  EXPECT_EQ(EngineLibraryCallback(kCallbackFreeBlock, reinterpret_cast<intptr_t>(block), 0), 0);
  bool before = EventsSuppressed();
  EngineLibraryCallback(kCallbackLoadBegin, 0, 0);
  EngineLibraryCallback(kCallbackLoadBegin, 0, 0);
  EngineLibraryCallback(kCallbackLoadEnd, 0, 0);
  EXPECT_TRUE(EventsSuppressed());
  EngineLibraryCallback(kCallbackLoadEnd, 0, 0);
  EXPECT_EQ(EventsSuppressed(), before);
  EXPECT_EQ(EngineLibraryCallback(kCallbackRaiseEvent, 41, 0), -1);
  SetLibraryCallbackExtension(Extension);
  EXPECT_EQ(EngineLibraryCallback(kCallbackRaiseEvent, 41, 0), 42);
  EXPECT_EQ(EngineLibraryCallback(9999, 0, 0), -1);
  SetLibraryCallbackExtension(nullptr);
}

void SumCommand(RuntimeValue* result, int argc, RuntimeValue* args) {
  // The engine hands a zeroed record.
  int32_t sum = result->low == 0 && result->high == 0 && result->type == 0 ? 0 : -1000;
  for (int i = 0; i < argc; ++i) sum += int32_t(args[i].low);
  *result = MakeInt(sum);
}

TEST(ServicesTable, HasItsSlotsInOrderAndCallCommandHandsBackTheRecord) {
  const ServicesTable& s = Services();
  EXPECT_EQ(s.allocBlock, &AllocBlock);
  EXPECT_EQ(s.freeBlock, &FreeBlock);
  EXPECT_EQ(s.miscService, &MiscService);
  RuntimeValue args[3] = {MakeInt(1), MakeInt(2), MakeInt(39)};
  for (auto call : {s.callCommand, s.callCommand2}) {
    RuntimeValue r = call(SumCommand, 3, args);
    EXPECT_EQ(int32_t(r.low), 42);
    EXPECT_EQ(r.type, uint32_t(kTypeInt));
  }
  EXPECT_EQ(MiscService(kMiscReadObjectProperty, 0x00010001, 0, 8, -1), kMiscNotSupported);
}

VORENN_CONST const int32_t kConstantMatrix[2 + 1 + 12] = {2, 3, 4, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};

TEST(MakeArrayWritable, CopiesAConstantArrayWholeAndLeavesAHeapArray) {
  void* array = const_cast<int32_t*>(kConstantMatrix);
  ASSERT_TRUE(IsConstant(array));
  MakeArrayWritable(4, &array);
  ASSERT_NE(array, static_cast<const void*>(kConstantMatrix));
  EXPECT_FALSE(IsConstant(array));
  // 4 + 2 * 4 + 3 * 4 * 4 = 60 bytes, all of them the constant's.
  EXPECT_EQ(std::memcmp(array, kConstantMatrix, 60), 0);
  static_cast<int32_t*>(array)[14] = -1;  // the last element is writable
  EXPECT_EQ(kConstantMatrix[14], 12);
  void* heap = array;
  MiscService(kMiscMakeArrayWritable, 4, reinterpret_cast<intptr_t>(&array));
  EXPECT_EQ(array, heap);
  FreeBlock(array);
  void* none = nullptr;
  MakeArrayWritable(4, &none);
  EXPECT_EQ(none, nullptr);
}

class FindFile : public testing::Test {
 protected:
  void SetUp() override {
    dir = test_support::TempFolder("vorenn_find");
    ASSERT_FALSE(dir.empty());
    std::filesystem::create_directories(dir / "sub.txt");
    for (const char* name : {"a.txt", "B.TXT", ".hidden.txt", "c.dat"}) std::ofstream(dir / name) << "x";
    ASSERT_TRUE(test_support::MakeHidden((dir / ".hidden.txt").string()));
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::set<std::string> All(const std::string& pattern, uint32_t filter, bool dirsOnly) {
    std::set<std::string> names;
    void* slot = nullptr;
    std::string p = (dir / pattern).string();
    for (char* name = FindFileNext(p.c_str(), filter, dirsOnly, &slot); name != nullptr;
         name = FindFileNext(nullptr, filter, dirsOnly, &slot)) {
      names.insert(name);
      FreeBlock(name);
    }
    EXPECT_EQ(slot, nullptr);
    return names;
  }
  std::filesystem::path dir;
};

TEST_F(FindFile, FiltersByPatternAndAttributesUntilExhausted) {
  using S = std::set<std::string>;
  EXPECT_EQ(All("*.txt", 0, false), (S{"a.txt", "B.TXT"}));
  EXPECT_EQ(All("*.txt", kAttrHidden, false), (S{"a.txt", "B.TXT", ".hidden.txt"}));
  EXPECT_EQ(All("*.txt", kAttrDirectory, false), (S{"a.txt", "B.TXT", "sub.txt"}));
  EXPECT_EQ(All("*", 0x37, true), (S{"sub.txt"}));
  EXPECT_EQ(All("*.none", 0x37, false), S{});
  EXPECT_EQ(All("nosuchdir/*", 0x37, false), S{});
}

TEST_F(FindFile, AClosedSearchIsNotContinued) {
  void* slot = nullptr;
  std::string p = (dir / "*.txt").string();
  char* first = FindFileNext(p.c_str(), 0, false, &slot);
  ASSERT_NE(first, nullptr);
  FreeBlock(first);
  ASSERT_NE(slot, nullptr);
  MiscService(kMiscFindFileClose, reinterpret_cast<intptr_t>(slot));
  MiscService(kMiscFindFileClose, 0);
}

class InitRuntimeDeathTest : public test::FrameDeathTest {};

std::vector<std::string> g_started;
intptr_t StartNotify(int code, intptr_t arg1, intptr_t) {
  if (code == kNotifyStart && arg1 == reinterpret_cast<intptr_t>(&EngineLibraryCallback))
    g_started.push_back("started");
  return 0;
}

// Each failed check exits with its own code.
void CheckInitRuntime() {
  static const LibraryDescriptor libraries[] = {{"a", StartNotify, 0, nullptr, 0, nullptr},
                                                {"b", StartNotify, 0, nullptr, 0, nullptr}};
  static const DllFunctionRow rows[] = {{"", "CreateThread", nullptr, nullptr, 0}};
  ProgramImage image;
  image.libraries = libraries;
  image.dllRows = rows;
  SetProgramImage(image);
  std::error_code error;
  std::filesystem::current_path(std::filesystem::temp_directory_path(), error);
  if (error) std::_Exit(10);
  MiscService(kMiscInitRuntime);
  if (!std::filesystem::equivalent(std::filesystem::current_path(), ProgramDirectory(), error)) std::_Exit(11);
  platform::WindowHandle engine = EngineWindow();
  if (!platform::Native().IsWindow(engine) || platform::Native().IsVisible(engine)) std::_Exit(12);
  if (platform::Native().RoleOf(engine) != platform::WindowRole::Engine) std::_Exit(13);
  if (!OnMainThread()) std::_Exit(14);
  if (g_started.size() != 2) std::_Exit(15);
  if (DllArgumentCount(0) != 6) std::_Exit(16);
  InitRuntime();  // once only
  if (g_started.size() != 2 || EngineWindow() != engine) std::_Exit(17);
  std::_Exit(0);
}

TEST_F(InitRuntimeDeathTest, RunsItsStepsOnce) {
  EXPECT_EXIT(
      {
        test::FreshFrame();
        CheckInitRuntime();
      },
      testing::ExitedWithCode(0), "");
}

TEST_F(InitRuntimeDeathTest, AMalformedTemplateSegmentEndsTheProgram) {
  static const uint8_t kBroken[] = {8, 0, 0, 0, 3, 0, 1, 0x52};
  EXPECT_EXIT(
      {
        test::FreshFrame();
        ProgramImage image;
        image.templateSegment = kBroken;
        SetProgramImage(image);
        InitRuntime();
      },
      test_support::EndedWithMinusOne, testing::HasSubstr(test::Utf8(u8"载入窗口模板数据段出错!")));
}

TEST_F(InitRuntimeDeathTest, AStartWindowWithoutTemplateEndsTheProgram) {
  EXPECT_EXIT(
      {
        test::FreshFrame();
        InitRuntime();
        LoadStartWindow(0x52010099);
      },
      test_support::EndedWithMinusOne, testing::HasSubstr(test::Utf8(u8"载入启动窗口失败")));
}

}  // namespace
}  // namespace vorenn
