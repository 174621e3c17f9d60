#include "engine/core/dll_call.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "engine/core/program_directory.h"
#include "engine/runtime/frame.h"
#include "frame_test_support.h"
#include "platform/shared_library.h"
#include "tests/support/exit_status.h"

namespace vorenn {
namespace {

using test::Utf8;
using testing::AllOf;
using testing::HasSubstr;
using testing::Not;

constexpr const char* kTestLibrary = "libvorenn_dll_test.so";

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

TEST_F(DllCall, AnOrdinalRowBindsThatRowOfTheExportTable) {
  Install({{kTestLibrary, "#5", nullptr, nullptr, 0}, {kTestLibrary, "#65541", nullptr, nullptr, 0}});
  EXPECT_EQ((CallDllCommand<int>(0, 7)), 35);
  EXPECT_EQ(DllArgumentCount(0), 1);
  // Only the low 16 bits of the number count: 65541 is ordinal 5 too.
  EXPECT_EQ(BindDllFunction(1), BindDllFunction(0));
}

TEST_F(DllCall, AnEmptyLibraryNameFindsTheThreadFunctionsAmongTheSystemLibraries) {
  Install({{"", "CreateThread", nullptr, nullptr, 0},
           {"", "CloseHandle", nullptr, nullptr, 0},
           {"KERNEL32.dll", "#2", nullptr, nullptr, 0},
           {"", "MsgWaitForMultipleObjects", nullptr, nullptr, 0}});
  EXPECT_NE(BindDllFunction(0), nullptr);
  EXPECT_EQ(DllArgumentCount(0), 6);
  EXPECT_EQ(DllArgumentCount(1), 1);
  EXPECT_EQ(BindDllFunction(2), BindDllFunction(3));
  EXPECT_EQ(rows[2].module != nullptr, true);
}

TEST_F(DllCall, BindingIsCachedAndAnUndescribedExportIsCalledUnchecked) {
  Install({{kTestLibrary, "TestThree", nullptr, nullptr, 0},
           {kTestLibrary, "TestUndescribed", nullptr, nullptr, 0}});
  EXPECT_EQ((CallDllCommand<int>(0, 2, 3, 4)), 24);
  void* cached = rows[0].address;
  EXPECT_NE(cached, nullptr);
  EXPECT_EQ(BindDllFunction(0), cached);
  EXPECT_EQ(DllArgumentCount(1), -1);
  EXPECT_EQ((CallDllCommand<int>(1, 10)), 9);
}

TEST_F(DllCall, TheExtraDirectoryIsSearchedFirst) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("vorenn_dll_extra_" + std::to_string(getpid()));
  fs::create_directories(dir);
  fs::copy_file(fs::path(ProgramDirectory()) / kTestLibrary, dir / "libonly_here.so",
                fs::copy_options::overwrite_existing);
  Install({{"libonly_here.so", "TestAnswer", nullptr, nullptr, 0}});
  SetExtraDllDirectory(dir.string() + "/");
  EXPECT_EQ(CallDllCommand<int>(0), 42);
  FreeDllModules();
  fs::remove_all(dir);
}

TEST(SystemLibraryNames, MapToStandInFilesWithoutRegardToCase) {
  struct Case {
    const char* name;
    const char* file;
  };
  const Case cases[] = {
      {"Kernel32.dll", "libvorenn_kernel32.so"}, {"GDI32.DLL", "libvorenn_gdi32.so"},
      {"user32.dll", "libvorenn_user32.so"},     {"Advapi32.dll", "libvorenn_advapi32.so"},
      {"mpr.DLL", "libvorenn_mpr.so"},           {"Shell32.dll", "libvorenn_shell32.so"},
      {"WinINet.dll", "libvorenn_wininet.so"},   {"wininet", ""},
      {"ole32.dll", ""},                          {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::StandInFileFor(c.name), c.file) << c.name;
}

class DllCallDeathTest : public test::FrameDeathTest {};

DllFunctionRow g_rows[1];

// Binds (or calls, with one argument) a one-row table in a fresh engine.
void BindOnly(const char* library, const char* exportName) {
  test::FreshFrame();
  g_rows[0] = DllFunctionRow{library, exportName, nullptr, nullptr, 0};
  SetDllFunctionTable(g_rows, 1);
  BindDllFunction(0);
}
void CallWithOneArgument(const char* library, const char* exportName) {
  test::FreshFrame();
  g_rows[0] = DllFunctionRow{library, exportName, nullptr, nullptr, 0};
  SetDllFunctionTable(g_rows, 1);
  CallDllCommand<int>(0, 1);
}

TEST_F(DllCallDeathTest, AnExportFoundNowhereEndsWithTheFirstMessage) {
  EXPECT_EXIT(
      BindOnly("", "NoSuchExport"),
      test_support::EndedWithMinusOne,
      AllOf(HasSubstr(Utf8(u8"错误信息：无法找到指定DLL库文件中的输出命令“NoSuchExport”\r\n")),
            Not(HasSubstr(Utf8(u8"错误代码")))));
}

TEST_F(DllCallDeathTest, ANamedLibraryWithoutTheExportOrMissingEndsWithTheSecondMessage) {
  for (const char* library : {kTestLibrary, "nosuch.dll"}) {
    std::string expected = Utf8(u8"无法找到指定DLL库文件“") + library + Utf8(u8"”中的输出命令“Missing”");
    EXPECT_EXIT(
        BindOnly(library, "Missing"),
        test_support::EndedWithMinusOne, HasSubstr(expected));
  }
}

TEST_F(DllCallDeathTest, AnArgumentCountMismatchRaisesErrorSixWithoutCalling) {
  EXPECT_EXIT(
      CallWithOneArgument(kTestLibrary, "TestAdd"),
      test_support::EndedWithMinusOne,
      AllOf(HasSubstr(Utf8(u8"错误代码：6")), Not(HasSubstr("TestAdd called"))));
}

}  // namespace
}  // namespace vorenn
