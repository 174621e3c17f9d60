// The platform layer's contract: everything the engine and the units need from the operating
// system, named after what they do with it. One backend is installed at start-up (headless for
// tests and scripts, Qt for real windows); all calls go to it.
//
// Threading: everything runs on the UI thread except Post, PostQuit, QuitPending, Send, Wake and the thread
// functions of platform/thread.h, which any thread may call.
#pragma once

#include <functional>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/extended_controls.h"
#include "platform/native_window.h"

namespace vorenn::platform {

// Message-box style and answers use the Windows numbering the game logic knows.
enum MessageBoxStyle : uint32_t {
  kBoxOk = 0x0, kBoxOkCancel = 0x1, kBoxAbortRetryIgnore = 0x2, kBoxYesNoCancel = 0x3,
  kBoxYesNo = 0x4, kBoxRetryCancel = 0x5, kBoxButtonsMask = 0xF,
  kBoxIconError = 0x10, kBoxIconQuestion = 0x20, kBoxIconWarning = 0x30,
  kBoxIconInformation = 0x40, kBoxIconMask = 0xF0,
};
enum MessageBoxAnswer : int {
  kAnswerOk = 1, kAnswerCancel = 2, kAnswerAbort = 3, kAnswerRetry = 4, kAnswerIgnore = 5,
  kAnswerYes = 6, kAnswerNo = 7,
};
// The answer of the first button of a style (what Enter or an unanswered box gives).
int FirstButtonAnswer(uint32_t style);

// Milliseconds on the real steady clock (not the virtual one: threads run in real time).
// <chrono> stays out of this header: GBK-literal folders include it and the header does not
// survive that execution charset.
using Deadline = int64_t;
constexpr Deadline kNoDeadline = INT64_MAX;
int64_t SteadyNowMs();  // whole milliseconds, rounded down
// At least `ms` from now: counted from the next whole millisecond, since SteadyNowMs rounds down.
Deadline DeadlineAfterMs(uint32_t ms);

// Every operation is pure: a backend states for each what it does, and says so where it refuses
// one (the headless backend draws no pictures), so no feature goes missing without a word.
class Backend {
 public:
  virtual ~Backend() = default;
  virtual const char* Name() const = 0;

  // --- native windows. Operations on a handle that names no window do nothing (reads: zero). ---
  virtual WindowHandle CreateNativeWindow(const WindowSpec& params) = 0;
  // Destroys the window and its children; each gets a Destroyed event, children first.
  virtual void DestroyNativeWindow(WindowHandle w) = 0;
  virtual bool IsWindow(WindowHandle w) const = 0;
  virtual WindowHandle ParentOf(WindowHandle w) const = 0;
  virtual WindowRole RoleOf(WindowHandle w) const = 0;
  // Geometry in the parent's client coordinates (top-level: screen coordinates of the frame).
  virtual void SetGeometry(WindowHandle w, const Rect& r) = 0;
  virtual Rect Geometry(WindowHandle w) const = 0;
  virtual void Show(WindowHandle w, bool visible) = 0;
  // The window's own visibility flag (true even while an ancestor is hidden).
  virtual bool IsVisible(WindowHandle w) const = 0;
  virtual void Enable(WindowHandle w, bool enabled) = 0;
  virtual bool IsEnabled(WindowHandle w) const = 0;
  virtual void SetText(WindowHandle w, std::string_view gbk) = 0;
  virtual std::string Text(WindowHandle w) const = 0;
  // Z-order among siblings: w goes directly below `above`, or to the top for kNoWindow.
  virtual void PlaceBelow(WindowHandle w, WindowHandle above) = 0;
  // Children of `parent` (kNoWindow: the top-level windows) in z-order, topmost first.
  virtual std::vector<WindowHandle> Children(WindowHandle parent) const = 0;
  virtual void SetFocus(WindowHandle w) = 0;
  virtual WindowHandle Focus() const = 0;
  virtual void SetEventSink(WindowHandle w, EventSink sink) = 0;
  virtual void SetPreTranslateHook(PreTranslateHook hook) = 0;

  // --- timers: a Timer event with timerId on the window every periodMs; setting an id again
  // restarts it with the new period. A destroyed window's timers end with it. ---
  virtual void SetTimer(WindowHandle w, int timerId, uint32_t periodMs) = 0;
  virtual void KillTimer(WindowHandle w, int timerId) = 0;

  // --- the message queue of the UI thread ---
  // Queues an event for its window (input events go through pre-translation when dispatched);
  // onHandled runs on the UI thread after the sink has seen it, or at once if the window is gone.
  // Any thread.
  virtual void PostEvent(const WindowEvent& event, std::function<void()> onHandled = {}) = 0;
  // Queues a Posted event for w. Any thread.
  void Post(WindowHandle w, uint32_t message, uintptr_t wParam, uintptr_t lParam);
  // Hands an event to its window's sink now, on the UI thread (pre-translation included for input).
  virtual EventAnswer Deliver(const WindowEvent& event) = 0;
  // Queues the quit message. Any thread.
  virtual void PostQuit(int exitCode) = 0;
  // True while a quit message waits for a loop to take it: the program is ending. Any thread.
  virtual bool QuitPending() = 0;
  // True when a posted message, an input event or a due timer is waiting.
  virtual bool MessageWaiting() = 0;
  // Dispatches waiting messages; with `block`, first waits until there is one. Returns false when
  // the quit message was taken (its code in *exitCode); *sawInput tells whether an input event
  // was among those dispatched.
  virtual bool DispatchMessages(bool block, int* exitCode, bool* sawInput) = 0;
  // Dispatches what is waiting and returns; a quit message stays queued.
  virtual void DispatchPending() = 0;
  // One pass of idle processing; false when there is no more idle work.
  virtual bool Idle(int passCount) = 0;

  // --- message-aware waits (see platform/thread.h) ---
  // True when input for the UI thread is waiting (a posted message, input, a due timer).
  virtual bool InputPending() = 0;
  // Waits until input is waiting (true; only with wantInput), or Wake() was called or the deadline
  // passed (false). A backend that cannot wait without dispatching may dispatch the input and
  // answer true.
  virtual bool WaitForInputOrWake(Deadline deadline, bool wantInput) = 0;
  // Ends a WaitForInputOrWake early, now or if it is about to begin. Any thread.
  virtual void Wake() = 0;

  // --- dialogs and the notification area ---
  // A modal message box; owner may be kNoWindow. Texts are GBK. Returns a MessageBoxAnswer.
  virtual int MessageBox(WindowHandle owner, std::string_view gbkText, std::string_view gbkCaption,
                         uint32_t style) = 0;
  // Shows (or updates) the window's notification-area icon; clicks arrive as TrayIcon events.
  virtual void SetTrayIcon(WindowHandle w, std::span<const uint8_t> icon, std::string_view gbkTip) = 0;
  virtual void RemoveTrayIcon(WindowHandle w) = 0;

  // --- what the standard units need beyond plain windows ---
  // Moves a child window under another parent; its geometry stays in the new parent's coordinates.
  virtual void SetParent(WindowHandle w, WindowHandle parent) = 0;
  // A top-level window's frame around its client area; zero for children.
  virtual FrameMargins FrameOf(WindowHandle w) const = 0;
  // The screen area windows are centred in.
  virtual Rect ScreenArea() const = 0;
  // Minimized / maximized / normal; changing it delivers Minimized or Restored (and Moved/Resized
  // when the frame moves). Only top-level windows.
  virtual void SetShowState(WindowHandle w, ShowState state) = 0;
  virtual ShowState ShowStateOf(WindowHandle w) const = 0;
  // Role-dependent style bits (WindowStyle) after creation.
  virtual void SetStyle(WindowHandle w, uint32_t style) = 0;
  virtual void SetAppearance(WindowHandle w, const Appearance& appearance) = 0;
  // EditBox selection in bytes of its text.
  virtual void SetSelection(WindowHandle w, int start, int length) = 0;
  virtual void Selection(WindowHandle w, int* start, int* length) const = 0;
  // VScrollBar range, page and thumb.
  virtual void SetScrollBar(WindowHandle w, const ScrollBarState& state) = 0;
  // The pointer shown while the mouse is over w.
  virtual void SetPointer(WindowHandle w, PointerShape shape) = 0;
  // Writes a PNG picture of a top-level window as it is drawn, frame included. False when the
  // backend draws nothing (headless) or the file cannot be written.
  virtual bool SaveWindowPicture(WindowHandle w, const std::string& path) = 0;

  // --- what the list view and the image button need (platform/extended_controls.h). Rows and
  // columns count from 0. ---
  virtual void SetListSetup(WindowHandle w, const ListSetup& setup) = 0;
  // Inserts a column at `index` (clamped to the end); its index, or -1 when refused.
  virtual int InsertListColumn(WindowHandle w, int index, const ListColumn& column) = 0;
  virtual int ListColumnCount(WindowHandle w) const = 0;
  // Inserts a row at `index` (beyond the end: appended); its index, or -1 when refused.
  virtual int InsertListItem(WindowHandle w, int index, const ListItem& item) = 0;
  // False when the row or column does not exist.
  virtual bool SetListItemText(WindowHandle w, int row, int column, std::string_view gbk) = 0;
  virtual std::string ListItemText(WindowHandle w, int row, int column) const = 0;
  virtual int ListItemCount(WindowHandle w) const = 0;
  virtual void DeleteListItems(WindowHandle w) = 0;
  // Selects and focuses the row; -1 clears the selection. The selected row, or -1.
  virtual void SetListSelection(WindowHandle w, int row) = 0;
  virtual int ListSelection(WindowHandle w) const = 0;
  // Owner-drawn buttons (kStyleOwnerDrawn): the painter draws every paint request.
  virtual void SetButtonPainter(WindowHandle w, ButtonPainter painter) = 0;
  virtual void Repaint(WindowHandle w) = 0;
  virtual void SetChecked(WindowHandle w, bool checked) = 0;
  virtual bool IsChecked(WindowHandle w) const = 0;
  // The tip shown while the mouse rests on w; empty removes it.
  virtual void SetToolTip(WindowHandle w, std::string_view gbk) = 0;
  virtual std::string ToolTip(WindowHandle w) const = 0;
  // Decodes picture-file bytes (BMP, PNG, GIF, JPEG); null when they hold no picture.
  virtual PictureRef DecodePicture(std::span<const uint8_t> data) = 0;
};

// The screen a backend answers when the system shows it none.
constexpr Rect kFallbackScreenArea{0, 0, 1024, 768};

// The installed backend. Installing replaces the previous one, which is kept alive (not destroyed)
// because worker threads may still be waking it.
Backend& Native();
bool HasBackend();
void InstallBackend(std::unique_ptr<Backend> backend);

// Delivers `message` to w on the UI thread and waits until it has been handled, at most limitMs.
// Called on the UI thread it is handled at once. Returns false when the wait ran out.
bool Send(WindowHandle w, uint32_t message, uintptr_t wParam, uintptr_t lParam, uint32_t limitMs);

}  // namespace vorenn::platform
