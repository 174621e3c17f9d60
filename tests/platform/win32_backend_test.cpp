// The Win32 backend under real window messages: input sent to the native windows arrives as the
// same events, in the same order, as on the other backends; sinks can swallow or replace it; the
// queue, its waits, timers, message boxes and the notification area behave as the engine expects.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_backend_class.h"
#include "platform/win32/win32_backend.h"

namespace vorenn::platform::win32 {
namespace {

Win32Backend& TheBackend() {
  // The program's one backend, shared with the contract's cases.
  if (TheWin32Backend() == nullptr) InstallWin32Backend();
  static Win32Backend* backend = TheWin32Backend();
  return *backend;
}

class Win32BackendTest : public testing::Test {
 protected:
  void SetUp() override { b_ = &TheBackend(); }
  void TearDown() override {
    for (WindowHandle w : tops_) b_->DestroyNativeWindow(w);
    b_->SetPreTranslateHook({});
    b_->SetBoxAnswerer({});
    b_->DispatchPending();
  }
  WindowHandle Make(WindowRole role, WindowHandle parent, Rect r, std::string text = {}, uint32_t style = 0) {
    WindowSpec params;
    params.role = role;
    params.parent = parent;
    params.geometry = r;
    params.text = std::move(text);
    params.style = style;
    params.visible = true;
    WindowHandle w = b_->CreateNativeWindow(params);
    if (parent == kNoWindow) tops_.push_back(w);
    return w;
  }
  // Names every event a window's sink sees; `swallow` kinds are kept from the window.
  void Record(WindowHandle w, std::vector<EventKind> swallow = {}) {
    b_->SetEventSink(w, [this, w, swallow](const WindowEvent& e) {
      log_.push_back(Name(w, e));
      for (EventKind k : swallow)
        if (k == e.kind) return EventAnswer{true, -1};
      return EventAnswer{};
    });
  }
  std::string Name(WindowHandle w, const WindowEvent& e) {
    std::string who = std::to_string(w) + " ";
    switch (e.kind) {
      case EventKind::MouseDown: return who + "down";
      case EventKind::MouseUp: return who + "up";
      case EventKind::Clicked: return who + "clicked";
      case EventKind::KeyDown: return who + "keydown " + std::to_string(e.key);
      case EventKind::KeyUp: return who + "keyup " + std::to_string(e.key);
      case EventKind::Char: return who + "char " + std::to_string(e.key);
      case EventKind::FocusIn: return who + "in";
      case EventKind::FocusOut: return who + "out";
      case EventKind::TextChanged: return who + "text";
      case EventKind::Wheel: return who + "wheel " + std::to_string(e.wheelNotches);
      case EventKind::ScrollChanged: return who + "scroll " + std::to_string(int(e.scrollAction)) + " " + std::to_string(e.value);
      case EventKind::CloseRequested: return who + "close";
      case EventKind::Destroyed: return who + "destroyed";
      case EventKind::Moved: return who + "moved";
      case EventKind::Resized: return who + "resized";
      case EventKind::Minimized: return who + "minimized";
      case EventKind::Restored: return who + "restored";
      case EventKind::Timer: return who + "timer " + std::to_string(e.timerId);
      case EventKind::Posted: return who + "posted " + std::to_string(e.message);
      default: return who + "other";
    }
  }
  std::vector<std::string> TakeLog() { return std::exchange(log_, {}); }
  // Dispatches until nothing has arrived for `ms` (at most five seconds): under Wine the window
  // manager's answers to a show-state change come back later, in more than one message, and each
  // step waits for them before the next.
  void DispatchFor(uint32_t ms) {
    const Deadline limit = DeadlineAfterMs(5000);
    Deadline quiet = DeadlineAfterMs(ms);
    while (SteadyNowMs() < quiet && SteadyNowMs() < limit) {
      if (b_->WaitForInputOrWake(std::min(quiet, limit), true)) {
        b_->DispatchPending();
        quiet = DeadlineAfterMs(ms);
      }
    }
  }
  // Drops the mouse moves and other noise a real desktop adds between the events asked for.
  std::vector<std::string> TakeLogWithout(const std::string& noise) {
    std::vector<std::string> kept;
    for (std::string& s : TakeLog())
      if (s.find(noise) == std::string::npos) kept.push_back(std::move(s));
    return kept;
  }
  // The log without the focus the window itself loses and regains as it is minimized and restored
  // (when, depends on the window manager).
  std::vector<std::string> FrameEvents(WindowHandle top) {
    std::vector<std::string> kept;
    for (std::string& s : TakeLogWithout("other"))
      if (s != N(top) + "in" && s != N(top) + "out") kept.push_back(std::move(s));
    return kept;
  }
  HWND H(WindowHandle w) { return b_->HwndOf(w); }
  std::string N(WindowHandle w) { return std::to_string(w) + " "; }

  Win32Backend* b_ = nullptr;
  std::vector<WindowHandle> tops_;
  std::vector<std::string> log_;
};

using Log = std::vector<std::string>;

TEST_F(Win32BackendTest, AClickIsPressReleaseThenClickedAndASwallowedPressKeepsTheClickFromTheButton) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {50, 50, 300, 200});
  WindowHandle button = Make(WindowRole::Button, top, {10, 10, 80, 24}, "OK");
  Record(button);
  SendMessageW(H(button), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(H(button), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  b_->DispatchPending();
  EXPECT_EQ(TakeLogWithout("other"), (Log{N(button) + "in", N(button) + "down", N(button) + "up", N(button) + "clicked"}));

  Record(button, {EventKind::MouseDown});
  SendMessageW(H(button), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(H(button), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  b_->DispatchPending();
  EXPECT_EQ(TakeLogWithout("other"), (Log{N(button) + "down", N(button) + "up"}));
}

TEST_F(Win32BackendTest, TypedCharactersAreGbkCodesThatTheSinkMayDropOrReplaceAndOnlyTypingIsATextChange) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {50, 50, 300, 200});
  WindowHandle edit = Make(WindowRole::EditBox, top, {10, 10, 120, 22});
  b_->SetText(edit, "x");
  b_->SetEventSink(edit, [this, edit](const WindowEvent& e) {
    log_.push_back(Name(edit, e));
    if (e.kind == EventKind::Char && e.key == 'a') return EventAnswer{true, -1};
    if (e.kind == EventKind::Char && e.key == 'b') return EventAnswer{false, 0xD6D0};  // 中
    return EventAnswer{};
  });
  b_->SetText(edit, "");
  for (wchar_t c : {L'a', L'b', L'\x6587'}) SendMessageW(H(edit), WM_CHAR, c, 1);  // 文 is 0xCEC4
  EXPECT_EQ(TakeLog(), (Log{N(edit) + "char 97", N(edit) + "char 98", N(edit) + "text", N(edit) + "char 52932",
                            N(edit) + "text"}));
  EXPECT_EQ(b_->Text(edit), "\xD6\xD0\xCE\xC4");
}

TEST_F(Win32BackendTest, TabGoesToThePreTranslationHookWhichSwallowsItAndTheCharacterItTyped) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {50, 50, 300, 200});
  WindowHandle first = Make(WindowRole::EditBox, top, {10, 10, 120, 22});
  WindowHandle second = Make(WindowRole::EditBox, top, {10, 40, 120, 22});
  b_->SetFocus(first);
  std::vector<std::string> hooked;
  b_->SetPreTranslateHook([&](const WindowEvent& e) {
    hooked.push_back(Name(e.window, e));
    if (e.kind == EventKind::KeyDown && e.key == VK_TAB) {
      b_->SetFocus(second);
      return EventAnswer{true, -1};
    }
    return EventAnswer{};
  });
  Record(first);
  // As the system queues a typed key: the loop translates it, so a character message follows.
  PostMessageW(H(first), WM_KEYDOWN, VK_TAB, 1);
  PostMessageW(H(first), WM_KEYUP, VK_TAB, 0xC0000001);
  b_->DispatchPending();
  EXPECT_EQ(hooked, (Log{N(first) + "keydown 9", N(first) + "keyup 9"}));
  EXPECT_EQ(b_->Focus(), second);
  EXPECT_EQ(TakeLog(), (Log{N(first) + "out", N(first) + "keyup 9"}));
  EXPECT_EQ(b_->Text(first), "");
}

TEST_F(Win32BackendTest, TheWheelTurnsForTheFocusedWindowWhereverThePointerIsAndNeverMovesAScrollBar) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {50, 50, 300, 200});
  WindowHandle label = Make(WindowRole::Label, top, {10, 10, 100, 20}, "label");
  WindowHandle bar = Make(WindowRole::VScrollBar, top, {200, 10, 16, 100});
  b_->SetScrollBar(bar, {0, 100, 10, 50});
  Record(label);
  Record(bar);
  b_->SetFocus(bar);
  TakeLog();
  SendMessageW(H(label), WM_MOUSEWHEEL, WPARAM(uint32_t(-2 * WHEEL_DELTA) << 16), MAKELPARAM(70, 70));
  EXPECT_EQ(TakeLog(), (Log{N(bar) + "wheel -2"}));
  EXPECT_EQ(GetScrollPos(H(bar), SB_CTL), 50);
}

TEST_F(Win32BackendTest, ScrollBarActionsArriveWithTheirKindAndTheUnitDecidesWhereTheThumbStands) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {50, 50, 300, 200});
  WindowHandle bar = Make(WindowRole::VScrollBar, top, {200, 10, 16, 100});
  b_->SetScrollBar(bar, {0, 100, 10, 50});
  b_->SetEventSink(bar, [this, bar](const WindowEvent& e) {
    log_.push_back(Name(bar, e));
    if (e.scrollAction == ScrollAction::LineDown) b_->SetScrollBar(bar, {0, 100, 10, 51});
    return EventAnswer{};
  });
  for (WORD request : {SB_LINEDOWN, SB_PAGEUP, SB_BOTTOM, SB_ENDSCROLL})
    SendMessageW(H(top), WM_VSCROLL, MAKEWPARAM(request, 0), reinterpret_cast<LPARAM>(H(bar)));
  EXPECT_EQ(TakeLog(), (Log{N(bar) + "scroll 2 50", N(bar) + "scroll 3 51", N(bar) + "scroll 8 51",
                            N(bar) + "scroll 9 51"}));
  EXPECT_EQ(GetScrollPos(H(bar), SB_CTL), 51);
  EXPECT_EQ(b_->ScrollBarOf(bar), (ScrollBarState{0, 100, 10, 51}));
}

TEST_F(Win32BackendTest, ASwallowedCloseKeepsTheWindowAndOneLetThroughDestroysChildrenFirst) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {50, 50, 300, 200});
  WindowHandle panel = Make(WindowRole::Panel, top, {0, 0, 100, 100});
  WindowHandle label = Make(WindowRole::Label, panel, {0, 0, 50, 20});
  Record(top, {EventKind::CloseRequested});
  Record(panel);
  Record(label);
  HWND native = H(top);
  SendMessageW(native, WM_CLOSE, 0, 0);
  EXPECT_TRUE(b_->IsWindow(top));
  Record(top);
  SendMessageW(native, WM_CLOSE, 0, 0);
  EXPECT_FALSE(b_->IsWindow(top));
  EXPECT_FALSE(::IsWindow(native));
  EXPECT_EQ(TakeLog(), (Log{N(top) + "close", N(top) + "close", N(label) + "destroyed", N(panel) + "destroyed",
                            N(top) + "destroyed"}));
}

TEST_F(Win32BackendTest, TheUserMinimizingAndRestoringIsMinimizedThenRestored) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {50, 50, 300, 200});
  Record(top);
  DispatchFor(400);  // the window manager places the new window
  TakeLog();
  SendMessageW(H(top), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(b_->ShowStateOf(top), ShowState::Minimized);
  DispatchFor(400);
  SendMessageW(H(top), WM_SYSCOMMAND, SC_RESTORE, 0);
  DispatchFor(400);
  EXPECT_EQ(b_->ShowStateOf(top), ShowState::Normal);
  EXPECT_EQ(FrameEvents(top), (Log{N(top) + "minimized", N(top) + "restored"}));
  EXPECT_EQ(b_->Geometry(top), (Rect{50, 50, 300, 200}));
}

TEST_F(Win32BackendTest, PostedEventsFromAnyThreadArriveInOrderAndTheQuitMessageEndsTheDispatch) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {50, 50, 300, 200});
  Record(top);
  std::atomic<int> handled{0};
  std::thread worker([&] {
    for (uint32_t m = 1; m <= 3; ++m) {
      WindowEvent e;
      e.kind = EventKind::Posted;
      e.window = top;
      e.message = m;
      b_->PostEvent(e, [&] { ++handled; });
    }
    b_->PostQuit(7);
  });
  worker.join();
  EXPECT_TRUE(b_->MessageWaiting());
  EXPECT_TRUE(b_->QuitPending());
  int code = 0;
  bool sawInput = true;
  // The quit message ends the dispatch before anything else is taken, as on the other backends.
  EXPECT_FALSE(b_->DispatchMessages(/*block=*/true, &code, &sawInput));
  EXPECT_EQ(code, 7);
  EXPECT_FALSE(b_->QuitPending());
  b_->DispatchPending();
  EXPECT_EQ(TakeLog(), (Log{N(top) + "posted 1", N(top) + "posted 2", N(top) + "posted 3"}));
  EXPECT_EQ(handled, 3);
}

TEST_F(Win32BackendTest, AWaitEndsForInputForAWakeFromAnotherThreadOrAtItsDeadline) {
  b_->DispatchPending();
  EXPECT_FALSE(b_->WaitForInputOrWake(DeadlineAfterMs(20), true));
  std::thread waker([this] { b_->Wake(); });
  EXPECT_FALSE(b_->WaitForInputOrWake(kNoDeadline, true));
  waker.join();
  std::thread poster([this] { b_->Post(kNoWindow, 1, 0, 0); });
  poster.join();
  EXPECT_TRUE(b_->InputPending());
  EXPECT_TRUE(b_->WaitForInputOrWake(kNoDeadline, true));
  b_->DispatchPending();
  EXPECT_FALSE(b_->InputPending());
}

TEST_F(Win32BackendTest, TimersTickOnTheirWindowUntilKilledOrTheWindowIsGone) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {50, 50, 300, 200});
  int ticks = 0;
  b_->SetEventSink(top, [&](const WindowEvent& e) {
    if (e.kind == EventKind::Timer && e.timerId == 7) ++ticks;
    return EventAnswer{};
  });
  b_->SetTimer(top, 7, 10);
  const Deadline limit = DeadlineAfterMs(5000);
  while (ticks < 2 && SteadyNowMs() < limit) {
    if (b_->WaitForInputOrWake(limit, true)) b_->DispatchPending();
  }
  EXPECT_GE(ticks, 2);
  b_->KillTimer(top, 7);
  b_->DispatchPending();
  int before = ticks;
  b_->WaitForInputOrWake(DeadlineAfterMs(50), true);
  b_->DispatchPending();
  EXPECT_EQ(ticks, before);
}

TEST_F(Win32BackendTest, AScriptAnswersAMessageBoxOnceItIsUpAndSeesItsTextsAndTheFocusComesBack) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {50, 50, 300, 200});
  WindowHandle edit = Make(WindowRole::EditBox, top, {10, 10, 120, 22});
  b_->SetFocus(edit);
  ShownBoxInfo seen;
  b_->SetBoxAnswerer([&](const ShownBoxInfo& box) {
    seen = box;
    return kAnswerNo;
  });
  const std::string text = "\xC8\xB7\xB6\xA8\xCD\xCB\xB3\xF6\xC2\xF0\xA3\xBF";  // 确定退出吗？
  int answer = b_->MessageBox(top, text, "\xCC\xE1\xCA\xBE", kBoxYesNo | kBoxIconQuestion);  // 提示
  EXPECT_EQ(answer, kAnswerNo);
  EXPECT_EQ(seen.text, text);
  EXPECT_EQ(seen.caption, "\xCC\xE1\xCA\xBE");
  EXPECT_EQ(seen.style, kBoxYesNo | kBoxIconQuestion);
  b_->DispatchPending();
  EXPECT_EQ(b_->Focus(), edit);
  // An answer the box has no button for takes its first one.
  b_->SetBoxAnswerer([](const ShownBoxInfo&) { return kAnswerRetry; });
  EXPECT_EQ(b_->MessageBox(top, "x", "y", kBoxOkCancel), kAnswerOk);
}

TEST_F(Win32BackendTest, OwnerDrawnToggleButtonsFlipBeforeTheClickAndTheTrayTipReadsBack) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {50, 50, 300, 200});
  WindowHandle toggle = Make(WindowRole::Button, top, {10, 10, 60, 24}, "", kStyleOwnerDrawn | kStyleToggle);
  std::vector<bool> checkedAtClick;
  b_->SetEventSink(toggle, [&](const WindowEvent& e) {
    if (e.kind == EventKind::Clicked) checkedAtClick.push_back(b_->IsChecked(toggle));
    return EventAnswer{};
  });
  SendMessageW(H(toggle), BM_CLICK, 0, 0);
  SendMessageW(H(toggle), BM_CLICK, 0, 0);
  EXPECT_EQ(checkedAtClick, (std::vector<bool>{true, false}));

  EXPECT_EQ(b_->TrayTipOf(top), std::nullopt);
  b_->SetTrayIcon(top, {}, "\xD0\xDE\xC1\xB6");  // 修炼
  EXPECT_EQ(b_->TrayTipOf(top), std::optional<std::string>("\xD0\xDE\xC1\xB6"));
  b_->RemoveTrayIcon(top);
  EXPECT_EQ(b_->TrayTipOf(top), std::nullopt);
}

// Beyond the contract every backend keeps (backend_contract_cases.cpp): a selection is counted in
// GBK bytes over the control's UTF-16 text, and a password box shows the system's mask character.
TEST_F(Win32BackendTest, ASelectionInsideADoubleByteCharacterTakesTheWholeCharacterAndPasswordsAreMasked) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 300, 200});
  const std::string text = "ab\xD6\xD0\xCE\xC4";
  WindowHandle edit = Make(WindowRole::EditBox, top, {0, 0, 100, 20}, text);
  // Byte 3 is inside the first double-byte character.
  b_->SetSelection(edit, 3, 1);
  int start = -1, length = -1;
  b_->Selection(edit, &start, &length);
  EXPECT_EQ(start, 2);
  EXPECT_EQ(length, 2);
  b_->SetStyle(edit, kStylePassword | kStyleTabStop);
  EXPECT_EQ(SendMessageW(H(edit), EM_GETPASSWORDCHAR, 0, 0), L'*');
  EXPECT_EQ(b_->Text(edit), text);
}

TEST_F(Win32BackendTest, ControlsTakeTheirOwnColoursElseTheirContainersAndThePointerOfTheNearestWindowWithOne) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {50, 50, 300, 200});
  WindowHandle panel = Make(WindowRole::Panel, top, {0, 0, 200, 150});
  WindowHandle edit = Make(WindowRole::EditBox, panel, {10, 10, 100, 22});
  WindowHandle label = Make(WindowRole::Label, panel, {10, 40, 100, 20}, "x");
  Appearance panelLook;
  panelLook.backgroundColour = 0x00FF00;
  b_->SetAppearance(panel, panelLook);
  Appearance editLook;
  editLook.textColour = 0x0000FF;
  b_->SetAppearance(edit, editLook);
  HDC dc = CreateCompatibleDC(nullptr);
  auto brushColour = [](LRESULT brush) {
    LOGBRUSH info{};
    GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof info, &info);
    return info.lbColor;
  };
  // An edit box without a background of its own is white, in its own text colour.
  LRESULT brush = SendMessageW(H(panel), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(H(edit)));
  EXPECT_EQ(brushColour(brush), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(GetTextColor(dc), COLORREF(0x0000FF));
  // Other controls show their container's background.
  brush = SendMessageW(H(panel), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(H(label)));
  EXPECT_EQ(brushColour(brush), COLORREF(0x00FF00));
  DeleteDC(dc);

  b_->SetPointer(panel, PointerShape::Hand);
  EXPECT_TRUE(SendMessageW(H(label), WM_SETCURSOR, reinterpret_cast<WPARAM>(H(label)), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // the hand
  b_->SetPointer(label, PointerShape::Cross);
  EXPECT_TRUE(SendMessageW(H(label), WM_SETCURSOR, reinterpret_cast<WPARAM>(H(label)), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, MAKEINTRESOURCEW(32515)));  // the cross
}

// The columns of a label's client area that hold text-coloured pixels: [first, last], or {-1, -1}.
std::pair<int, int> InkColumns(HWND label, COLORREF ink) {
  RECT r;
  GetClientRect(label, &r);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(label, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  std::pair<int, int> found{-1, -1};
  for (int x = 0; x < r.right; ++x)
    for (int y = 0; y < r.bottom; ++y)
      if (GetPixel(dc, x, y) == ink) {
        if (found.first < 0) found.first = x;
        found.second = x;
      }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return found;
}

TEST_F(Win32BackendTest, ALabelDrawsItsCaptionWhereItsAlignmentPutsItOnItsOwnBackground) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {50, 50, 300, 200});
  WindowHandle label = Make(WindowRole::Label, top, {10, 10, 200, 20}, "ab&c");
  Appearance look;
  look.textColour = 0x0000FF;
  look.backgroundColour = 0xFFFFFF;
  for (int align : {0, 1, 2}) {
    look.hAlign = align;
    b_->SetAppearance(label, look);
    auto [first, last] = InkColumns(H(label), RGB(255, 0, 0));
    ASSERT_GE(first, 0) << "no text drawn, alignment " << align;
    if (align == 0) {
      EXPECT_LT(last, 60);
    } else if (align == 1) {
      EXPECT_TRUE(first > 60 && last < 140) << first << ".." << last;
    } else {
      EXPECT_GT(first, 140);
    }
  }
  EXPECT_EQ(b_->Text(label), "ab&c");
}

TEST_F(Win32BackendTest, TrayClicksAreTheirActionsAndABoxAskedForOnAWorkerIsShownOnTheUiThread) {
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {50, 50, 300, 200});
  std::vector<int> actions;
  b_->SetEventSink(top, [&](const WindowEvent& e) {
    if (e.kind == EventKind::TrayIcon) actions.push_back(e.trayAction);
    return EventAnswer{};
  });
  for (LPARAM mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_MOUSEMOVE})
    SendMessageW(H(top), kTrayMessage, 1, mouse);
  EXPECT_EQ(actions, (std::vector<int>{1, 2, 3}));

  DWORD answeredOn = 0;
  b_->SetBoxAnswerer([&](const ShownBoxInfo&) {
    answeredOn = GetCurrentThreadId();
    return kAnswerCancel;
  });
  std::atomic<int> answer{0};
  std::thread worker([&] { answer = b_->MessageBox(kNoWindow, "x", "y", kBoxOkCancel); });
  const Deadline limit = DeadlineAfterMs(10000);
  while (answer == 0 && SteadyNowMs() < limit) {
    if (b_->WaitForInputOrWake(DeadlineAfterMs(10), true)) b_->DispatchPending();
  }
  worker.join();
  EXPECT_EQ(answer, kAnswerCancel);
  EXPECT_EQ(answeredOn, GetCurrentThreadId());
}

}  // namespace
}  // namespace vorenn::platform::win32
