// Message boxes on MessageBoxW, shown on the UI thread whoever asks, and answered by a script
// when one answers them: a hook notes each box as it is activated, and once the box has painted
// the answerer picks its button.
#include <memory>

#include "platform/process.h"
#include "platform/win32/win32_backend_class.h"

namespace vorenn::platform::win32 {
namespace {

// How long a worker thread waits for the UI thread to show its box.
constexpr DWORD kWorkerBoxLimitMs = 60000;
// The answer is given on the first timer tick after the box has painted.
constexpr UINT_PTR kAnswerTimer = 0x5642;
// The message box's text control, on Windows and under Wine alike.
constexpr int kBoxTextId = 0xFFFF;

// The box being shown on this thread, while a script answers boxes.
struct PendingBox {
  uint32_t style = 0;
  BoxAnswerer* answerer = nullptr;
  HHOOK hook = nullptr;
  HWND box = nullptr;
};
thread_local PendingBox* t_pending = nullptr;

std::string WindowTextOf(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  std::wstring text(size_t(length) + 1, L'\0');
  text.resize(size_t(std::max(0, GetWindowTextW(hwnd, text.data(), length + 1))));
  return GbkFromWide(text);
}

void CALLBACK AnswerBox(HWND box, UINT, UINT_PTR timer, DWORD) {
  KillTimer(box, timer);
  PendingBox* pending = t_pending;
  if (pending == nullptr || pending->box != box || pending->answerer == nullptr || !*pending->answerer) return;
  ShownBoxInfo info;
  info.box = box;
  info.style = pending->style;
  info.caption = WindowTextOf(box);
  if (HWND text = GetDlgItem(box, kBoxTextId)) info.text = WindowTextOf(text);
  int answer = (*pending->answerer)(info);
  if (answer == 0) return;
  HWND button = GetDlgItem(box, answer);
  // An answer the box has no button for takes its first button, as an unanswered box would.
  if (button == nullptr) {
    answer = FirstButtonAnswer(pending->style);
    button = GetDlgItem(box, answer);
  }
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

LRESULT CALLBACK NoteBox(int code, WPARAM wParam, LPARAM lParam) {
  PendingBox* pending = t_pending;
  if (code == HCBT_ACTIVATE && pending != nullptr && pending->box == nullptr) {
    auto box = reinterpret_cast<HWND>(wParam);
    wchar_t cls[16] = {};
    GetClassNameW(box, cls, 16);
    if (std::wstring_view(cls) == L"#32770") {
      pending->box = box;
      SetTimer(box, kAnswerTimer, 1, AnswerBox);
    }
  }
  return CallNextHookEx(pending != nullptr ? pending->hook : nullptr, code, wParam, lParam);
}

}  // namespace

int Win32Backend::MessageBox(WindowHandle owner, std::string_view gbkText, std::string_view gbkCaption,
                             uint32_t style) {
  if (!OnUiThread()) {
    // The box belongs to the program's windows: it is shown on their thread.
    struct Answered {
      HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
      std::atomic<int> answer{0};
      ~Answered() { CloseHandle(done); }
    };
    auto answered = std::make_shared<Answered>();
    WindowEvent carrier;
    carrier.kind = EventKind::Posted;
    carrier.window = kNoWindow;
    PostEvent(carrier, [this, owner, text = std::string(gbkText), caption = std::string(gbkCaption), style, answered] {
      answered->answer = MessageBox(owner, text, caption, style);
      SetEvent(answered->done);
    });
    if (WaitForSingleObject(answered->done, kWorkerBoxLimitMs) != WAIT_OBJECT_0) return FirstButtonAnswer(style);
    return answered->answer;
  }
  std::wstring text = WideFromGbk(gbkText), caption = WideFromGbk(gbkCaption);
  HWND ownerHwnd = HwndOf(owner);
  UINT flags = UINT(style & (kBoxButtonsMask | kBoxIconMask));
  // Without an owner the box is the task's: it keeps the program's other windows from input.
  if (ownerHwnd == nullptr) flags |= MB_TASKMODAL;
  PendingBox pending;
  PendingBox* outer = t_pending;
  if (boxAnswerer_) {
    pending.style = style;
    pending.answerer = &boxAnswerer_;
    pending.hook = SetWindowsHookExW(WH_CBT, NoteBox, nullptr, GetCurrentThreadId());
    t_pending = &pending;
  }
  ++boxesShowing_;
  int answer = MessageBoxW(ownerHwnd, text.c_str(), caption.c_str(), flags);
  --boxesShowing_;
  if (pending.hook != nullptr) UnhookWindowsHookEx(pending.hook);
  t_pending = outer;
  // The system numbers its answers as the program does; a box that could not be shown takes its
  // first button.
  return answer > 0 ? answer : FirstButtonAnswer(style);
}

}  // namespace vorenn::platform::win32
