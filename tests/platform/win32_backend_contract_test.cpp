// The backend contract (backend_contract_cases.cpp) on the Win32 backend, on real windows under a
// window manager.
#include <windows.h>

#include <algorithm>
#include <memory>

#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_backend_class.h"
#include "tests/platform/backend_contract.h"

namespace vorenn::platform::contract {
namespace {

using win32::Win32Backend;

Win32Backend& TheBackend() {
  // The program's one backend, shared with the backend's own tests.
  if (win32::TheWin32Backend() == nullptr) InstallWin32Backend();
  static Win32Backend* backend = win32::TheWin32Backend();
  return *backend;
}

class Win32Target final : public TargetOf<Win32Backend> {
 public:
  Win32Target() : TargetOf(TheBackend()) {}
  // The window manager draws a real frame, of its own size; the client area is what is left inside.
  std::optional<FrameMargins> FixedFrame() override { return std::nullopt; }
  std::optional<std::pair<int, int>> SystemClientSize(WindowHandle w) override {
    RECT client;
    if (!GetClientRect(b_.HwndOf(w), &client)) return std::nullopt;
    return std::pair<int, int>{client.right, client.bottom};
  }
  void Settle() override { b_.DispatchPending(); }
  // The window manager answers a show-state change later (under Wine, through X) and in more than
  // one message: each step waits until it has been quiet for a while, so that late answers are not
  // taken for the next step's.
  void SettleShowState() override {
    const Deadline limit = DeadlineAfterMs(5000);
    Deadline quiet = DeadlineAfterMs(kQuietMs);
    while (SteadyNowMs() < quiet && SteadyNowMs() < limit) {
      if (b_.WaitForInputOrWake(std::min(quiet, limit), true)) {
        b_.DispatchPending();
        quiet = DeadlineAfterMs(kQuietMs);
      }
    }
  }

 private:
  static constexpr uint32_t kQuietMs = 400;
};

INSTANTIATE_TEST_SUITE_P(Backends, BackendContract,
                         testing::Values(BackendUnderTest{"Win32", [] { return std::make_unique<Win32Target>(); }}),
                         NameOf);

}  // namespace
}  // namespace vorenn::platform::contract
