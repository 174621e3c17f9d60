#include "tools/driver/win32_host.h"

#include "platform/win32/win32_backend_class.h"

#include <cstdio>
#include <cstdlib>
#include <deque>

#include "platform/thread_handles.h"
#include "tools/driver/late_boxes.h"

namespace vorenn::driver {
namespace {

using platform::WindowHandle;
using platform::win32::ShownBoxInfo;
using platform::win32::Win32Backend;

constexpr UINT kStepIntervalMs = 10;

class Win32Host;
Win32Host* g_host = nullptr;  // the steps' timer procedure finds the host here

class Win32Host final : public DriverHost {
 public:
  explicit Win32Host(Win32Backend& backend) : backend_(backend) {
    g_host = this;
    if (const char* folder = std::getenv(kBoxShotsVariable); folder != nullptr && *folder != '\0') boxShots_ = folder;
    backend_.SetBoxAnswerer([this](const ShownBoxInfo& box) { return Answer(box); });
  }
  ~Win32Host() override {
    DriveFromLoop(nullptr);
    backend_.SetBoxAnswerer({});
    g_host = nullptr;
  }
  const char* Name() const override { return "win32"; }

  void Click(WindowHandle w) override {
    HWND hwnd = backend_.HwndOf(w);
    if (hwnd == nullptr) return;
    RECT r;
    GetClientRect(hwnd, &r);
    LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    // A handler may have destroyed it.
    if (::IsWindow(hwnd) && backend_.HandleOf(hwnd) == w) SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
  }

  void Key(WindowHandle w, const KeyStroke& key) override {
    backend_.SetFocus(w);
    HWND hwnd = backend_.HwndOf(w);
    if (hwnd == nullptr) return;
    auto alive = [&] { return ::IsWindow(hwnd) && backend_.HandleOf(hwnd) == w; };
    if (key.keyCode != 0) SendMessageW(hwnd, WM_KEYDOWN, WPARAM(key.keyCode), 1);
    if (key.character != 0 && alive()) {
      wchar_t c = WideOfGbkCode(key.character);
      if (c != 0) SendMessageW(hwnd, WM_CHAR, WPARAM(c), 1);
    }
    if (key.keyCode != 0 && alive()) SendMessageW(hwnd, WM_KEYUP, WPARAM(key.keyCode), LPARAM(0xC0000001));
  }

  void Wheel(WindowHandle w, int notches) override {
    HWND hwnd = backend_.HwndOf(w);
    if (hwnd == nullptr) return;
    RECT r;
    GetClientRect(hwnd, &r);
    POINT at{(r.right - r.left) / 2, (r.bottom - r.top) / 2};
    ClientToScreen(hwnd, &at);
    WPARAM delta = WPARAM(uint32_t(uint16_t(int16_t(notches * WHEEL_DELTA))) << 16);
    SendMessageW(hwnd, WM_MOUSEWHEEL, delta, MAKELPARAM(at.x, at.y));
  }

  // The notification area sends the icon's window its message with the mouse message that happened.
  void TrayClick(WindowHandle w, int action) override {
    HWND hwnd = backend_.HwndOf(w);
    if (hwnd == nullptr || !backend_.TrayTipOf(w)) return;
    constexpr UINT kMouse[] = {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP};
    constexpr WPARAM kIconId = 1;
    SendMessageW(hwnd, platform::win32::kTrayMessage, kIconId, kMouse[action - 1]);
  }

  void Pump() override { backend_.DispatchPending(); }
  void QueueAnswer(int answer) override { answers_.push_back(answer); }

  bool ClockIsReal() const override { return true; }
  void Advance(uint32_t ms) override {
    const platform::Deadline deadline = platform::DeadlineAfterMs(ms);
    while (!QuitPending() && platform::SteadyNowMs() < deadline) {
      if (backend_.WaitForInputOrWake(deadline, true)) Pump();
    }
  }

  bool Settle(uint32_t limitMs) override {
    const platform::Deadline deadline = platform::DeadlineAfterMs(limitMs);
    for (;;) {
      Pump();
      if (backend_.QuitPending()) return true;
      // A web request holds its worker's thread handle from start to answer.
      if (!backend_.MessageWaiting() && platform::OpenThreadHandleCount() == 0) return true;
      if (platform::SteadyNowMs() >= deadline) return false;
      backend_.WaitForInputOrWake(std::min(deadline, platform::DeadlineAfterMs(10)), true);
    }
  }

  bool QuitPending() override {
    // Dispatching takes everything but a quit message.
    Pump();
    return backend_.QuitPending();
  }

  void DriveFromLoop(std::function<bool()> step) override {
    step_ = std::move(step);
    if (!step_) {
      if (stepTimer_ != 0) KillTimer(nullptr, stepTimer_);
      stepTimer_ = 0;
      return;
    }
    if (stepTimer_ == 0) stepTimer_ = SetTimer(nullptr, 0, kStepIntervalMs, StepTimer);
  }

  void SetBoxSink(std::function<void(const ShownBox&)> sink) override { boxes_.SetSink(std::move(sink)); }
  void FlushBoxes() override { boxes_.Flush(); }
  void RuntimeErrorBoxComing(const std::string& gbkText) override { boxes_.RuntimeErrorComing(gbkText); }

  std::optional<std::string> TrayTip(WindowHandle w) override { return backend_.TrayTipOf(w); }

  ShotResult Shot(WindowHandle w, const std::string& path, std::string* note) override {
    if (backend_.SaveWindowPicture(w, path)) return ShotResult::kSaved;
    *note = "cannot write a picture of the window to " + path;
    return ShotResult::kFailed;
  }

 private:
  static wchar_t WideOfGbkCode(int code) {
    std::string gbk;
    if (code >= 0x100) gbk.push_back(char(code >> 8));
    gbk.push_back(char(code & 0xFF));
    std::wstring wide = platform::win32::WideFromGbk(gbk);
    return wide.size() == 1 ? wide[0] : 0;
  }

  int Answer(const ShownBoxInfo& box) {
    boxes_.Appeared(ShownBox{box.style, box.caption, box.text});
    if (!boxShots_.empty()) {
      char name[32];
      std::snprintf(name, sizeof name, "/box-%02d.png", ++boxShotCount_);
      platform::win32::SaveWindowPicture(box.box, boxShots_ + name);
    }
    int answer = platform::FirstButtonAnswer(box.style);
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    }
    return answer;
  }

  static void CALLBACK StepTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_host != nullptr) g_host->StepIfIdle();
  }

  // A step runs only at the top of the loop: not inside a line still running, not while a box
  // is up, not while a web request waits for its answer (its wait dispatches too).
  void StepIfIdle() {
    if (!step_ || stepping_ || backend_.BoxesShowing() > 0 || platform::OpenThreadHandleCount() != 0) return;
    stepping_ = true;
    bool more = step_();
    stepping_ = false;
    if (!more) DriveFromLoop(nullptr);
  }

  Win32Backend& backend_;
  std::deque<int> answers_;
  LateBoxes boxes_;
  std::string boxShots_;
  int boxShotCount_ = 0;
  std::function<bool()> step_;
  UINT_PTR stepTimer_ = 0;
  bool stepping_ = false;
};

}  // namespace

std::unique_ptr<DriverHost> MakeWin32Host() {
  Win32Backend* backend = platform::win32::TheWin32Backend();
  if (backend == nullptr) return nullptr;
  return std::make_unique<Win32Host>(*backend);
}

}  // namespace vorenn::driver
