#include "engine/runtime/message_loop.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <thread>
#include <vector>

#include "engine/runtime/exit_routine.h"
#include "engine/runtime/frame.h"
#include "engine/runtime/init_runtime.h"
#include "engine/templates/library_callback.h"
#include "engine/templates/loaded_windows.h"
#include "frame_test_support.h"

namespace vorenn {
namespace {

using testing::AllOf;
using testing::HasSubstr;
using testing::Not;
using testing::Truly;

void EndRoutine() { std::fputs("end routine ran\n", stderr); }

// A loaded window as the window unit will make it: its destruction reaches the engine through the
// library callback.
platform::WindowHandle LoadedWindow() {
  platform::Backend& native = platform::Native();
  platform::WindowSpec params;
  params.visible = true;
  platform::WindowHandle w = native.CreateNativeWindow(params);
  native.SetEventSink(w, [w](const platform::WindowEvent& e) {
    if (e.kind == platform::EventKind::Destroyed) EngineLibraryCallback(kCallbackWindowDestroyed, intptr_t(w), 0);
    return platform::EventAnswer{};
  });
  AddLoadedWindow(w);
  return w;
}

int EntryClosingWindowsAroundTheLoop() {
  InitRuntime();
  SetEndCallback(EndRoutine);
  platform::HeadlessBackend& h = *platform::Headless();
  platform::WindowHandle early = LoadedWindow();
  h.DestroyNativeWindow(early);
  if (h.MessageWaiting()) std::fputs("quit posted before the loop\n", stderr);
  platform::WindowHandle last = LoadedWindow();
  h.RequestClose(last);
  RunMessageLoop();
  std::fputs("loop ended\n", stderr);
  return 0;
}

int EntryWithoutWindows() {
  InitRuntime();
  SetEndCallback(EndRoutine);
  RunMessageLoop();  // returns at once: nothing is loaded
  std::fputs("loop returned\n", stderr);
  return 0;
}

int EntryExitedByAWorker() {
  InitRuntime();
  SetEndCallback(EndRoutine);
  LoadedWindow();
  std::thread([] { ExitProgram(3); }).detach();
  RunMessageLoop();
  std::fputs("loop ended without the worker's exit\n", stderr);
  return 0;
}

class MessageLoopDeathTest : public test::FrameDeathTest {};

TEST_F(MessageLoopDeathTest, OnlyTheLastWindowClosedAfterTheLoopStartedEndsTheProgram) {
  EXPECT_EXIT(
      {
        test::FreshFrame();
        RunApplication(EntryClosingWindowsAroundTheLoop);
      },
      testing::ExitedWithCode(0),
      AllOf(Not(HasSubstr("quit posted before the loop")), HasSubstr("loop ended"),
            Truly([](const std::string& s) { return test::Occurrences(s, "end routine ran") == 1; })));
}

TEST_F(MessageLoopDeathTest, WithoutALoadedWindowTheLoopReturnsAtOnce) {
  EXPECT_EXIT(
      {
        test::FreshFrame();
        RunApplication(EntryWithoutWindows);
      },
      testing::ExitedWithCode(0), AllOf(HasSubstr("loop returned"), HasSubstr("end routine ran")));
}

TEST_F(MessageLoopDeathTest, AnExitFromAWorkerIsCarriedOutOnTheMainThread) {
  EXPECT_EXIT(
      {
        test::FreshFrame();
        RunApplication(EntryExitedByAWorker);
      },
      testing::ExitedWithCode(3),
      AllOf(HasSubstr("end routine ran"), Not(HasSubstr("loop ended without"))));
}

std::vector<intptr_t> g_idleCalls;
void RecordIdle(intptr_t argument) { g_idleCalls.push_back(argument); }

TEST(IdleHandlers, RunLastAddedFirstAndAreDroppedWithTheirWindow) {
  platform::HeadlessBackend& h = test::FreshFrame();
  ClearIdleHandlers();
  g_idleCalls.clear();
  platform::WindowHandle a = h.CreateNativeWindow(platform::WindowSpec());
  platform::WindowHandle b = h.CreateNativeWindow(platform::WindowSpec());
  AddIdleHandler(a, RecordIdle, 1);
  AddIdleHandler(b, RecordIdle, 2);
  AddIdleHandler(a, RecordIdle, 3);
  RunIdleHandlers();
  EXPECT_EQ(g_idleCalls, (std::vector<intptr_t>{3, 2, 1}));
  h.DestroyNativeWindow(a);
  g_idleCalls.clear();
  RunIdleHandlers();
  EXPECT_EQ(g_idleCalls, (std::vector<intptr_t>{2}));
  EXPECT_EQ(IdleHandlerCount(), 1);
  ClearIdleHandlers();
}

bool StopAfterFirstBatch(void* context) {
  ++*static_cast<int*>(context);
  return false;
}

TEST(RunLoop, IdleWorkRunsWhileNothingWaitsAndANestedQuitIsPostedAgain) {
  platform::HeadlessBackend& h = test::FreshFrame();
  ClearIdleHandlers();
  g_idleCalls.clear();
  platform::WindowHandle w = h.CreateNativeWindow(platform::WindowSpec());
  AddIdleHandler(w, RecordIdle, 7);
  int passes = 0;
  h.SetIdleDriver([&] {
    h.Post(w, 0x400, 0, 0);
    return true;
  });
  int code = -1;
  EXPECT_FALSE(RunLoop(StopAfterFirstBatch, &passes, &code));
  EXPECT_EQ(passes, 1);
  EXPECT_FALSE(g_idleCalls.empty());
  h.SetIdleDriver({});
  h.PostQuit(4);
  EXPECT_TRUE(RunLoop(StopAfterFirstBatch, &passes, &code));
  EXPECT_EQ(code, 4);
  int outer = -1;
  EXPECT_FALSE(h.DispatchMessages(false, &outer, nullptr));  // posted again for the outer loop
  EXPECT_EQ(outer, 4);
  ClearIdleHandlers();
}

}  // namespace
}  // namespace vorenn
