#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <cstdio>

#include "engine/core/library_table.h"
#include "engine/core/runtime_error.h"
#include "engine/runtime/frame.h"
#include "frame_test_support.h"
#include "tests/support/exit_status.h"

namespace vorenn {
namespace {

using test::Utf8;
using testing::AllOf;
using testing::HasSubstr;
using testing::Not;

void EndRoutine() { std::fputs("end routine ran\n", stderr); }

intptr_t PrintingNotify(int code, intptr_t, intptr_t) {
  std::fprintf(stderr, "notify %d\n", code);
  return 0;
}

class RuntimeErrorReportDeathTest : public test::FrameDeathTest {};

TEST_F(RuntimeErrorReportDeathTest, ShowsTheBoxEndsWithMinusOneAndSkipsTheEndRoutine) {
  static const LibraryDescriptor libraries[] = {{"printing", PrintingNotify, 0, nullptr, 0, nullptr}};
  EXPECT_EXIT(
      {
        test::FreshFrame();
        SetLibraryTable(libraries);
        SetEndCallback(EndRoutine);
        RaiseRuntimeError(6);
      },
      test_support::EndedWithMinusOne,
      AllOf(HasSubstr(Utf8(u8"[错误] 运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n")),
            HasSubstr("notify 6"), Not(HasSubstr("end routine ran"))));
}

TEST_F(RuntimeErrorReportDeathTest, NoCodeAndNoMessageShowOnlyTheHead) {
  EXPECT_EXIT(
      {
        test::FreshFrame();
        ReportRuntimeError("", 0);
      },
      test_support::EndedWithMinusOne,
      AllOf(HasSubstr(Utf8(u8"[错误] 运行时出错!\r\n\r\n\n")), Not(HasSubstr(Utf8(u8"错误代码")))));
}

int g_hookCalls = 0;
int HookThatFailsItself(int code, const char*) {
  std::fprintf(stderr, "hook call %d for code %d\n", ++g_hookCalls, code);
  RaiseRuntimeError(2);
}
int HookThatSuppresses(int, const char*) { return 1; }

TEST_F(RuntimeErrorReportDeathTest, AHookIsNotEnteredAgainByAnErrorItRaises) {
  EXPECT_EXIT(
      {
        test::FreshFrame();
        SetErrorHook(HookThatFailsItself);
        RaiseRuntimeError(5);
      },
      test_support::EndedWithMinusOne,
      AllOf(HasSubstr("hook call 1 for code 5"), Not(HasSubstr("hook call 2")),
            HasSubstr(Utf8(u8"错误代码：2"))));
}

TEST_F(RuntimeErrorReportDeathTest, AHookThatAnswersNonzeroSuppressesTheBoxButNotTheEnd) {
  EXPECT_EXIT(
      {
        test::FreshFrame();
        SetErrorHook(HookThatSuppresses);
        RaiseRuntimeError(1);
      },
      test_support::EndedWithMinusOne, Not(HasSubstr(Utf8(u8"运行时出错"))));
}

TEST(RuntimeErrorBox, IsAModalBoxWithoutOwnerCaptionedErrorWithTheErrorIcon) {
  platform::HeadlessBackend& h = test::FreshFrame();
  h.EchoMessageBoxes(false);
  ShowRuntimeErrorBox(RuntimeErrorText("x", 3));
  auto boxes = h.MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, platform::kNoWindow);
  EXPECT_EQ(boxes[0].caption, "错误");
  EXPECT_EQ(boxes[0].style, uint32_t(platform::kBoxOk | platform::kBoxIconError));
  EXPECT_EQ(boxes[0].text, RuntimeErrorText("x", 3));
}

}  // namespace
}  // namespace vorenn
