// The headless backend: native windows are records, the message queue is in memory, timers and the
// local time run on a virtual clock that the test or script advances, and message boxes are
// answered from a queue and recorded. Deterministic: nothing happens unless the caller dispatches.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/clock.h"

namespace vorenn::platform {

struct RecordedMessageBox {
  WindowHandle owner;
  std::string text;     // GBK
  std::string caption;  // GBK
  uint32_t style;
  int answer;
};

// The frame of every headless top-level window.
constexpr FrameMargins kHeadlessFrame = kStandardFrame;

struct TrayIconRecord {
  size_t iconBytes = 0;
  std::string tip;  // GBK
};

class HeadlessBackend final : public Backend {
 public:
  HeadlessBackend();
  ~HeadlessBackend() override;
  const char* Name() const override { return "headless"; }

  // Native windows (headless/windows.cpp).
  WindowHandle CreateNativeWindow(const WindowSpec& params) override;
  void DestroyNativeWindow(WindowHandle w) override;
  bool IsWindow(WindowHandle w) const override;
  WindowHandle ParentOf(WindowHandle w) const override;
  WindowRole RoleOf(WindowHandle w) const override;
  void SetGeometry(WindowHandle w, const Rect& r) override;
  Rect Geometry(WindowHandle w) const override;
  void Show(WindowHandle w, bool visible) override;
  bool IsVisible(WindowHandle w) const override;
  void Enable(WindowHandle w, bool enabled) override;
  bool IsEnabled(WindowHandle w) const override;
  void SetText(WindowHandle w, std::string_view gbk) override;
  std::string Text(WindowHandle w) const override;
  void PlaceBelow(WindowHandle w, WindowHandle above) override;
  std::vector<WindowHandle> Children(WindowHandle parent) const override;
  void SetFocus(WindowHandle w) override;
  WindowHandle Focus() const override { return focus_; }
  void SetEventSink(WindowHandle w, EventSink sink) override;
  void SetPreTranslateHook(PreTranslateHook hook) override { preTranslate_ = std::move(hook); }
  EventAnswer Deliver(const WindowEvent& event) override;

  // Timers and the virtual clock (headless/virtual_clock.cpp).
  void SetTimer(WindowHandle w, int timerId, uint32_t periodMs) override;
  void KillTimer(WindowHandle w, int timerId) override;
  // Moves the virtual clock; timers that fall due wait for the next dispatch (each fires once
  // however many periods passed, as native timers do).
  void AdvanceClock(uint64_t ms);
  // Moves the virtual clock ms forward stopping at each timer's due time and dispatching there, so
  // a 1,000 ms timer fires five times in RunFor(5000). Returns false if the quit message was taken.
  bool RunFor(uint64_t ms);
  uint64_t NowMs() const;
  // The local time at virtual 0 ms (default 2024-01-01 08:00:00.000).
  void SetLocalTimeBase(const LocalTime& base);
  LocalTime LocalNowVirtual() const;
  bool HasTimer(WindowHandle w, int timerId) const;

  // Message queue (headless/message_queue.cpp).
  void PostEvent(const WindowEvent& event, std::function<void()> onHandled = {}) override;
  void PostQuit(int exitCode) override;
  bool QuitPending() override;
  bool MessageWaiting() override;
  bool DispatchMessages(bool block, int* exitCode, bool* sawInput) override;
  void DispatchPending() override;
  bool Idle(int passCount) override;
  bool InputPending() override { return MessageWaiting(); }
  bool WaitForInputOrWake(Deadline deadline, bool wantInput) override;
  void Wake() override;
  // Called when a blocking dispatch finds nothing to do; it may post input or advance the clock.
  // Answering false means it has nothing more to give; the dispatch then waits for another thread.
  void SetIdleDriver(std::function<bool()> driver) { idleDriver_ = std::move(driver); }
  int IdlePasses() const { return idlePasses_; }
  // Convenience input: a left click (down, up) at the window's centre, a close request, a key.
  void Click(WindowHandle w);
  void RequestClose(WindowHandle w);
  void PressKey(WindowHandle w, int keyCode, int keyState = 0);
  void TypeChar(WindowHandle w, int character);

  // Message boxes and the notification area (headless/message_boxes.cpp).
  int MessageBox(WindowHandle owner, std::string_view gbkText, std::string_view gbkCaption,
                 uint32_t style) override;
  // Answers for the next boxes, in order; a box without a queued answer takes its first button.
  void QueueMessageBoxAnswer(int answer);
  std::vector<RecordedMessageBox> MessageBoxes() const;
  void ClearMessageBoxes();
  // Whether each box is also written to standard error (UTF-8); on by default.
  void EchoMessageBoxes(bool on) { echoBoxes_ = on; }
  void SetTrayIcon(WindowHandle w, std::span<const uint8_t> icon, std::string_view gbkTip) override;
  void RemoveTrayIcon(WindowHandle w) override;
  std::optional<TrayIconRecord> TrayIcon(WindowHandle w) const;

  // What the standard units need (headless/unit_windows.cpp). A top-level window's frame has fixed
  // metrics (kHeadlessFrame), so a window keeps the client area its units were laid out for.
  void SetParent(WindowHandle w, WindowHandle parent) override;
  FrameMargins FrameOf(WindowHandle w) const override;
  Rect ScreenArea() const override { return kFallbackScreenArea; }
  // Refused: nothing is drawn headless, so there is no picture to write.
  bool SaveWindowPicture(WindowHandle, const std::string&) override { return false; }
  void SetShowState(WindowHandle w, ShowState state) override;
  ShowState ShowStateOf(WindowHandle w) const override;
  void SetStyle(WindowHandle w, uint32_t style) override;
  void SetAppearance(WindowHandle w, const Appearance& appearance) override;
  void SetSelection(WindowHandle w, int start, int length) override;
  void Selection(WindowHandle w, int* start, int* length) const override;
  void SetScrollBar(WindowHandle w, const ScrollBarState& state) override;
  void SetPointer(WindowHandle w, PointerShape shape) override;
  // Read back for tests and the scripted driver.
  uint32_t StyleOf(WindowHandle w) const;
  Appearance AppearanceOf(WindowHandle w) const;
  ScrollBarState ScrollBarOf(WindowHandle w) const;
  PointerShape PointerOf(WindowHandle w) const;
  // Visible with every ancestor visible.
  bool IsShowing(WindowHandle w) const;
  // How many input events of a kind got through the sinks to the window's own handling.
  int InputReachedWindow(WindowHandle w, EventKind kind) const;
  // Convenience input: the user scrolls a scroll bar, turns the wheel with the pointer over w (the
  // turn reaches the focused window, w only when nothing has the focus), uses the tray icon
  // (action 1 left click, 2 double click, 3 right click).
  void Scroll(WindowHandle w, ScrollAction action, int thumbPosition = 0);
  void Wheel(WindowHandle w, int notches, int keyState = 0);
  void TrayClick(WindowHandle w, int action);

  // What the list view and the image button need (headless/extended_controls.cpp). Pictures are
  // recognised by their file header and keep only their size.
  void SetListSetup(WindowHandle w, const ListSetup& setup) override;
  int InsertListColumn(WindowHandle w, int index, const ListColumn& column) override;
  int ListColumnCount(WindowHandle w) const override;
  int InsertListItem(WindowHandle w, int index, const ListItem& item) override;
  bool SetListItemText(WindowHandle w, int row, int column, std::string_view gbk) override;
  std::string ListItemText(WindowHandle w, int row, int column) const override;
  int ListItemCount(WindowHandle w) const override;
  void DeleteListItems(WindowHandle w) override;
  void SetListSelection(WindowHandle w, int row) override;
  int ListSelection(WindowHandle w) const override;
  void SetButtonPainter(WindowHandle w, ButtonPainter painter) override;
  void Repaint(WindowHandle w) override;
  void SetChecked(WindowHandle w, bool checked) override;
  bool IsChecked(WindowHandle w) const override;
  void SetToolTip(WindowHandle w, std::string_view gbk) override;
  std::string ToolTip(WindowHandle w) const override;
  PictureRef DecodePicture(std::span<const uint8_t> data) override;
  // Read back for tests and the scripted driver.
  ListSetup ListSetupOf(WindowHandle w) const;
  std::vector<ListColumn> ListColumnsOf(WindowHandle w) const;
  ListItem ListItemOf(WindowHandle w, int row) const;
  int RepaintCount(WindowHandle w) const;
  // One drawing step of an owner-drawn button, as its painter made it.
  struct DrawStep {
    enum Kind : uint8_t { Fill, Frame, Line, Focus, Text, Picture } kind;
    Rect rect;           // Fill, Frame, Focus, Text; Line: x1 y1 in left/top, x2 y2 in width/height
    uint32_t colour = 0;
    std::string text;    // Text
    friend bool operator==(const DrawStep&, const DrawStep&) = default;
  };
  // Runs the button's painter for `state` (its rect filled in from the geometry when empty).
  std::vector<DrawStep> PaintButton(WindowHandle w, ButtonDrawState state) const;

 private:
  struct WindowRecord {
    WindowRole role;
    WindowHandle parent;
    Rect rect;
    std::string text;
    uint32_t style;
    bool visible;
    bool enabled;
    EventSink sink;
    // Standard-unit state (headless/unit_windows.cpp).
    ShowState showState = ShowState::Normal;
    Rect normalRect;  // the rect to restore from maximized
    Appearance appearance;
    int selStart = 0, selLength = 0;
    ScrollBarState scroll;
    PointerShape pointer = PointerShape::Default;
    std::map<EventKind, int> inputReached;
    // Extended-unit state (headless/extended_controls.cpp).
    ListSetup list;
    std::vector<ListColumn> columns;
    std::vector<ListItem> items;
    std::vector<std::vector<std::string>> subItems;  // per row: columns 1 and up
    int listSelection = -1;
    ButtonPainter painter;
    bool checked = false;
    int repaints = 0;
    std::string toolTip;
  };
  struct TimerRecord {
    uint32_t periodMs;
    uint64_t dueMs;
    uint64_t order;  // ties fire in the order the timers were set
  };
  struct Queued {
    WindowEvent event;
    std::function<void()> onHandled;
    bool quit = false;
    int quitCode = 0;
  };

  WindowRecord* Find(WindowHandle w);
  const WindowRecord* Find(WindowHandle w) const;
  std::vector<WindowHandle>& SiblingsOf(WindowHandle parent);
  void DestroyTree(WindowHandle w);
  void Dispatch(Queued& item);
  void DispatchInput(const WindowEvent& e);
  void EditBoxChar(WindowHandle w, int character);
  // A toggle button's own handling of a click: the checked state flips.
  void ToggleOnClick(WindowHandle w);
  void CountInputReached(const WindowEvent& e);
  std::optional<WindowEvent> TakeDueTimer();
  std::optional<uint64_t> NextTimerDue() const;
  bool TakeNext(Queued* out);

  WindowHandle nextHandle_ = 1;
  std::map<WindowHandle, WindowRecord> windows_;
  std::map<WindowHandle, std::vector<WindowHandle>> children_;  // kNoWindow: top-level windows
  WindowHandle focus_ = kNoWindow;
  PreTranslateHook preTranslate_;

  uint64_t nowMs_ = 0;
  LocalTime base_{2024, 1, 1, 8, 0, 0, 0};
  std::map<std::pair<WindowHandle, int>, TimerRecord> timers_;
  uint64_t timerOrder_ = 0;
  ClockSource clockSource_;

  mutable std::mutex queueMutex_;
  std::condition_variable queueCv_;
  std::deque<Queued> queue_;
  bool wakePending_ = false;
  std::function<bool()> idleDriver_;
  int idlePasses_ = 0;

  std::deque<int> answers_;
  std::vector<RecordedMessageBox> boxes_;
  bool echoBoxes_ = true;
  std::map<WindowHandle, TrayIconRecord> trays_;
};

// The installed backend when it is the headless one, else null.
HeadlessBackend* Headless();
// Installs a fresh headless backend (and its virtual clock as the clock source) and returns it.
HeadlessBackend& InstallHeadlessBackend();

}  // namespace vorenn::platform
