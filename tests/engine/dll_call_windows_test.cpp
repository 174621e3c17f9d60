// DLL rows on Windows: bound by the system's loader, "#N" as an ordinal, the system libraries'
// own functions, and the two messages of a failed binding.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <process.h>

#include <cstdint>
#include <vector>

#include "engine/core/dll_call.h"
#include "engine/core/program_directory.h"
#include "frame_test_support.h"
#include "tests/support/exit_status.h"

namespace vorenn {
namespace {

using test::Utf8;
using testing::HasSubstr;

constexpr const char* kTestLibrary = "vorenn_dll_test.dll";

class DllCall : public testing::Test {
 protected:
  void SetUp() override {
    test::FreshFrame();
    SetExtraDllDirectory("");
  }
  void Install(std::vector<DllFunctionRow> r) {
    rows = std::move(r);
    SetDllFunctionTable(rows.data(), int(rows.size()));
  }
  void TearDown() override { FreeDllModules(); }
  std::vector<DllFunctionRow> rows;
};

TEST_F(DllCall, AnOrdinalRowGoesToTheLoaderAsAnOrdinal) {
  Install({{kTestLibrary, "#5", nullptr, nullptr, 0},
           {kTestLibrary, "#65541", nullptr, nullptr, 0},
           {kTestLibrary, "TestFifth", nullptr, nullptr, 0},
           {kTestLibrary, "#3", nullptr, nullptr, 0}});
  EXPECT_EQ((CallDllCommand<int>(0, 7)), 35);
  // Only the low 16 bits of the number count: 65541 is ordinal 5 too.
  EXPECT_EQ(BindDllFunction(1), BindDllFunction(0));
  EXPECT_EQ(BindDllFunction(2), BindDllFunction(0));
  EXPECT_EQ((CallDllCommand<int>(3, 2, 3, 4)), 24);
  // The system's loader does not say how many arguments an export takes.
  EXPECT_EQ(DllArgumentCount(0), -1);
}

TEST_F(DllCall, SystemLibraryRowsBindTheSystemsOwnFunctions) {
  Install({{"KERNEL32.dll", "GetCurrentProcessId", nullptr, nullptr, 0},
           {"", "GetCurrentProcessId", nullptr, nullptr, 0},
           {"", "MsgWaitForMultipleObjects", nullptr, nullptr, 0},
           {"wininet.dll", "InternetOpenA", nullptr, nullptr, 0},
           {"WinINet.dll", "InternetCloseHandle", nullptr, nullptr, 0}});
  EXPECT_EQ(CallDllCommand<uint32_t>(0), uint32_t(_getpid()));
  // A row without a library finds the function in the first system library that has it.
  EXPECT_EQ(BindDllFunction(1), BindDllFunction(0));
  EXPECT_NE(BindDllFunction(2), nullptr);  // in USER32, after KERNEL32 and GDI32
  EXPECT_NE(BindDllFunction(3), nullptr);
  EXPECT_NE(BindDllFunction(4), nullptr);
  EXPECT_EQ(rows[3].module, rows[4].module);
}

class DllCallDeathTest : public test::FrameDeathTest {};

DllFunctionRow g_rows[1];

void BindOnly(const char* library, const char* exportName) {
  test::FreshFrame();
  g_rows[0] = DllFunctionRow{library, exportName, nullptr, nullptr, 0};
  SetDllFunctionTable(g_rows, 1);
  BindDllFunction(0);
}

TEST_F(DllCallDeathTest, AnExportFoundNowhereEndsWithTheFirstMessage) {
  EXPECT_EXIT(BindOnly("", "NoSuchExport"), test_support::EndedWithMinusOne,
              HasSubstr(Utf8(u8"错误信息：无法找到指定DLL库文件中的输出命令“NoSuchExport”\r\n")));
}

TEST_F(DllCallDeathTest, ANamedLibraryWithoutTheExportOrMissingEndsWithTheSecondMessage) {
  for (const char* library : {kTestLibrary, "nosuch.dll"}) {
    std::string expected = Utf8(u8"无法找到指定DLL库文件“") + library + Utf8(u8"”中的输出命令“Missing”");
    EXPECT_EXIT(BindOnly(library, "Missing"), test_support::EndedWithMinusOne, HasSubstr(expected));
  }
}

}  // namespace
}  // namespace vorenn
