// The thread stand-in as a caller binds it: loaded from the program directory, with the host's
// hooks, on the headless backend.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/backend.h"
#include "platform/headless/headless_backend.h"
#include "platform/process.h"
#include "platform/shared_library.h"
#include "platform/thread_handles.h"

namespace vorenn::platform {
namespace {

using DWORD = uint32_t;
using CreateThreadFn = void* (*)(void*, uintptr_t, DWORD (*)(void*), void*, DWORD, DWORD*);
using WaitFn = DWORD (*)(DWORD, void* const*, int, DWORD, DWORD);
using TerminateFn = int (*)(void*, DWORD);
using CloseFn = int (*)(void*);

constexpr DWORD kAllInput = 0x4FF;

std::atomic<bool> g_release{false};

DWORD BlockUntilReleased(void*) {
  while (!g_release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return 42;
}
DWORD ReturnAtOnce(void* p) { return DWORD(reinterpret_cast<uintptr_t>(p)); }

class ThreadStandInTest : public testing::Test {
 protected:
  void SetUp() override {
    h = &InstallHeadlessBackend();
    window = h->CreateNativeWindow(WindowSpec());
    module = LoadSharedLibrary(ProgramDirectoryOf(ProgramPath()) + "/" +
                               StandInFileFor("KERNEL32.DLL"));
    ASSERT_NE(module, nullptr);
    createThread = reinterpret_cast<CreateThreadFn>(FindExport(module, "CreateThread").address);
    wait = reinterpret_cast<WaitFn>(FindExport(module, "MsgWaitForMultipleObjects").address);
    terminate = reinterpret_cast<TerminateFn>(FindExport(module, "TerminateThread").address);
    close = reinterpret_cast<CloseFn>(FindExport(module, "CloseHandle").address);
    g_release = false;
  }
  void TearDown() override {
    g_release = true;
    FreeSharedLibrary(module);
  }
  void* Start(DWORD (*routine)(void*), void* parameter = nullptr) {
    DWORD id = 0;
    void* handle = createThread(nullptr, 0, routine, parameter, 0, &id);
    EXPECT_NE(id, 0u);
    return handle;
  }
  HeadlessBackend* h = nullptr;
  WindowHandle window = kNoWindow;
  void* module = nullptr;
  CreateThreadFn createThread = nullptr;
  WaitFn wait = nullptr;
  TerminateFn terminate = nullptr;
  CloseFn close = nullptr;
};

TEST_F(ThreadStandInTest, ExportTableDescribesTheFourFunctions) {
  EXPECT_EQ(FindExport(module, "CreateThread").argumentCount, 6);
  EXPECT_EQ(FindOrdinal(module, 2).address, reinterpret_cast<void*>(wait));
  EXPECT_EQ(FindOrdinal(module, 4).argumentCount, 1);
  EXPECT_EQ(FindOrdinal(module, 5).address, nullptr);
}

TEST_F(ThreadStandInTest, WaitAnswersZeroOnceTheThreadHasEnded) {
  void* t = Start(ReturnAtOnce, reinterpret_cast<void*>(uintptr_t(9)));
  EXPECT_EQ(wait(1, &t, 0, 5000, kAllInput), 0u);
  EXPECT_EQ(ThreadOfHandle(t)->ExitCode(), 9u);
  EXPECT_EQ(close(t), 1);
}

TEST_F(ThreadStandInTest, WaitAnswersOneForPostedInputOrADueTimerButNotWithoutTheWakeMask) {
  void* t = Start(BlockUntilReleased);
  h->Post(window, 0x400, 0, 0);
  EXPECT_EQ(wait(1, &t, 0, 5000, kAllInput), 1u);
  EXPECT_EQ(wait(1, &t, 0, 20, 0), 258u);  // input does not count without the mask
  int code = 0;
  h->DispatchMessages(false, &code, nullptr);
  h->SetTimer(window, 1, 1000);
  EXPECT_EQ(wait(1, &t, 0, 20, kAllInput), 258u);
  h->AdvanceClock(1000);
  EXPECT_EQ(wait(1, &t, 0, 5000, kAllInput), 1u);
  g_release = true;
  h->KillTimer(window, 1);
  h->DispatchMessages(false, &code, nullptr);
  EXPECT_EQ(wait(1, &t, 0, 5000, kAllInput), 0u);
  EXPECT_EQ(close(t), 1);
}

TEST_F(ThreadStandInTest, InputPostedByAnotherThreadEndsAWaitInProgress) {
  void* t = Start(BlockUntilReleased);
  std::thread poster([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    h->Post(window, 0x401, 0, 0);
  });
  EXPECT_EQ(wait(1, &t, 0, 10000, kAllInput), 1u);
  poster.join();
  EXPECT_EQ(close(t), 1);
}

TEST_F(ThreadStandInTest, TimeOutAnswers258AndATerminatedThreadCountsAsEnded) {
  void* t = Start(BlockUntilReleased);
  auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(wait(1, &t, 0, 50, kAllInput), 258u);
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(50));
  EXPECT_EQ(terminate(t, 5), 1);
  EXPECT_EQ(wait(1, &t, 0, 0, kAllInput), 0u);
  EXPECT_EQ(ThreadOfHandle(t)->ExitCode(), 5u);
  EXPECT_EQ(close(t), 1);
}

// Waits end when the whole-millisecond clock reaches the deadline, so a deadline counted from the
// current millisecond rather than the next one would end waits up to a millisecond early.
TEST(Deadline, LiesAtLeastItsLengthAhead) {
  using namespace std::chrono;
  for (int i = 0; i < 2000; ++i) {
    auto before = ceil<microseconds>(steady_clock::now().time_since_epoch());
    Deadline deadline = DeadlineAfterMs(5);
    ASSERT_GE(microseconds(milliseconds(deadline)), before + milliseconds(5)) << "try " << i;
  }
}

TEST_F(ThreadStandInTest, UnknownAndClosedHandlesFailInsteadOfBeingUsed) {
  int notAHandle = 0;
  void* bogus = &notAHandle;
  EXPECT_EQ(close(bogus), 0);
  EXPECT_EQ(terminate(bogus, 1), 0);
  EXPECT_EQ(wait(1, &bogus, 0, 0, kAllInput), 0xFFFFFFFFu);
  EXPECT_EQ(wait(0, nullptr, 0, 0, kAllInput), 0xFFFFFFFFu);
  void* t = Start(ReturnAtOnce);
  EXPECT_EQ(close(t), 1);
  EXPECT_EQ(close(t), 0);
  EXPECT_EQ(createThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
}

TEST_F(ThreadStandInTest, WaitAllNeedsEveryThread) {
  void* threads[2] = {Start(ReturnAtOnce), Start(BlockUntilReleased)};
  EXPECT_EQ(wait(2, threads, 1, 30, 0), 258u);
  EXPECT_EQ(wait(2, threads, 0, 5000, 0), 0u);
  g_release = true;
  EXPECT_EQ(wait(2, threads, 1, 5000, 0), 0u);
  close(threads[0]);
  close(threads[1]);
}

}  // namespace
}  // namespace vorenn::platform
