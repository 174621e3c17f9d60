// The Win32 backend's class, shared by its files: windows (windows.cpp), the window procedures
// (window_procedure.cpp), the message queue and waits (message_queue.cpp), timers (timers.cpp),
// message boxes (message_boxes.cpp), the notification area (tray.cpp), colours (colours.cpp), labels
// and borders (label_painting.cpp), edit boxes (edit_boxes.cpp), scroll bars (scroll_bars.cpp) and
// the extended units' controls (extended_units.cpp).
//
// One native window per window handle: top-level, engine and panel windows are of the backend's own
// classes, the other roles are the system's controls (STATIC, BUTTON, EDIT, SCROLLBAR, the list
// view), each subclassed so that its input goes through the sinks first.
//
// The scripted driver's Win32 host and the backend's tests use the class too. It brings
// <windows.h>, so only files built for Windows alone include it.
#pragma once

#include "platform/win32/internal/win32_parts.h"

// <windows.h> renames MessageBox to its A or W form; the backend's operation keeps its own name.
#undef MessageBox

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/backend.h"

namespace vorenn::platform::win32 {

// The backend's own window classes: program windows (and the engine's hidden one), and panels.
extern const wchar_t kTopLevelClass[];
extern const wchar_t kPanelClass[];

// Private messages: the posted-event wake-up of the queue window, and notification-area clicks.
constexpr UINT kQueuedEventMessage = WM_APP + 0x10;
constexpr UINT kTrayMessage = WM_APP + 0x11;

// What a script host needs to answer a message box that has appeared: the box, the style it was
// asked for and its texts (GBK).
struct ShownBoxInfo {
  HWND box = nullptr;
  uint32_t style = 0;
  std::string text, caption;
};
// Chooses the answer (a MessageBoxAnswer) for a box that has appeared; 0 leaves it to the user.
using BoxAnswerer = std::function<int(const ShownBoxInfo&)>;

class Win32Backend final : public Backend {
 public:
  Win32Backend();
  ~Win32Backend() override;
  const char* Name() const override { return "win32"; }

  // windows.cpp
  WindowHandle CreateNativeWindow(const WindowSpec& params) override;
  void DestroyNativeWindow(WindowHandle w) override;
  bool IsWindow(WindowHandle w) const override { return Find(w) != nullptr; }
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
  WindowHandle Focus() const override;
  void SetEventSink(WindowHandle w, EventSink sink) override;
  void SetPreTranslateHook(PreTranslateHook hook) override { preTranslate_ = std::move(hook); }
  EventAnswer Deliver(const WindowEvent& event) override;
  void SetParent(WindowHandle w, WindowHandle parent) override;
  FrameMargins FrameOf(WindowHandle w) const override;
  Rect ScreenArea() const override;
  void SetShowState(WindowHandle w, ShowState state) override;
  ShowState ShowStateOf(WindowHandle w) const override;
  void SetStyle(WindowHandle w, uint32_t style) override;
  void SetAppearance(WindowHandle w, const Appearance& appearance) override;
  void SetPointer(WindowHandle w, PointerShape shape) override;

  // timers.cpp
  void SetTimer(WindowHandle w, int timerId, uint32_t periodMs) override;
  void KillTimer(WindowHandle w, int timerId) override;

  // message_queue.cpp
  void PostEvent(const WindowEvent& event, std::function<void()> onHandled = {}) override;
  void PostQuit(int exitCode) override;
  bool QuitPending() override { return quitPending_; }
  bool MessageWaiting() override;
  bool DispatchMessages(bool block, int* exitCode, bool* sawInput) override;
  void DispatchPending() override;
  bool Idle(int passCount) override;
  bool InputPending() override { return MessageWaiting(); }
  bool WaitForInputOrWake(Deadline deadline, bool wantInput) override;
  void Wake() override;

  // message_boxes.cpp
  int MessageBox(WindowHandle owner, std::string_view gbkText, std::string_view gbkCaption,
                 uint32_t style) override;
  // A script answers the boxes (tools/driver): each box that appears is handed to the answerer
  // once it is up. Null: the user answers.
  void SetBoxAnswerer(BoxAnswerer answerer) { boxAnswerer_ = std::move(answerer); }
  // How many message boxes the UI thread is showing now (boxes run their own message loops).
  int BoxesShowing() const { return boxesShowing_; }

  // tray.cpp
  void SetTrayIcon(WindowHandle w, std::span<const uint8_t> icon, std::string_view gbkTip) override;
  void RemoveTrayIcon(WindowHandle w) override;
  // The tip of the notification-area icon the window asked for; nullopt when it asked for none.
  std::optional<std::string> TrayTipOf(WindowHandle w) const;

  // edit_boxes.cpp
  void SetSelection(WindowHandle w, int start, int length) override;
  void Selection(WindowHandle w, int* start, int* length) const override;
  // scroll_bars.cpp
  void SetScrollBar(WindowHandle w, const ScrollBarState& state) override;

  // extended_units.cpp
  bool SaveWindowPicture(WindowHandle w, const std::string& path) override;
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

  // Read back for tests and the scripted driver, as on the other backends.
  uint32_t StyleOf(WindowHandle w) const;
  Appearance AppearanceOf(WindowHandle w) const;
  ScrollBarState ScrollBarOf(WindowHandle w) const;
  PointerShape PointerOf(WindowHandle w) const;
  // The native window of a handle (null when none), and back (kNoWindow for a window that is not
  // one of the backend's, such as a message box).
  HWND HwndOf(WindowHandle w) const;
  WindowHandle HandleOf(HWND hwnd) const;

  // window_procedure.cpp: the procedures of the backend's classes and of subclassed controls.
  static LRESULT CALLBACK ClassProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ControlProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR data);
  static LRESULT CALLBACK QueueProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  struct Entry {
    WindowRole role = WindowRole::TopLevel;
    WindowHandle parent = kNoWindow;
    HWND hwnd = nullptr;
    EventSink sink;
    bool visible = false;
    uint32_t style = 0;
    Appearance appearance;
    bool appearanceSet = false;
    ScrollBarState scroll;
    PointerShape pointer = PointerShape::Default;
    // Top-level windows: the frame rectangle the engine knows, and how the window is shown.
    Rect outer;
    ShowState showState = ShowState::Normal;
    Rect normalRect;
    bool wantsTray = false;
    std::string trayTip;  // GBK
    HICON trayIcon = nullptr;
    // The child that had the focus when the window was last deactivated; it gets it back.
    HWND lastFocus = nullptr;
    // Colours: the brush of the background colour (null: the container's or the system's).
    HBRUSH background = nullptr;
    // Owner-drawn buttons.
    ButtonPainter painter;
    bool checked = false;
    bool hot = false;  // the mouse is over it
    // Edit boxes: text set by the program, not typed, is no TextChanged.
    bool settingText = false;
  };
  struct Queued {
    WindowEvent event;
    std::function<void()> onHandled;
  };

  Entry* Find(WindowHandle w);
  const Entry* Find(WindowHandle w) const;
  Entry* FindHwnd(HWND hwnd);
  void DeliverSimple(WindowHandle w, EventKind kind);
  void DestroyTree(WindowHandle w);

  // windows.cpp
  HWND MakeNative(const WindowSpec& params, HWND parent, const Rect& r);
  DWORD TopLevelStyle(const Entry& e) const;
  void ApplyTopLevelStyle(Entry& e);
  void ApplyShowState(Entry& e);
  void MoveNative(Entry& e, const Rect& r);
  void NoteUserShowState(WindowHandle w, WPARAM sizeKind);
  void NoteUserFrameChange(WindowHandle w);
  Rect FrameFromNative(const Entry& e) const;

  // window_procedure.cpp
  LRESULT Handle(Entry& e, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  bool HandleNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  bool MouseMessage(WindowHandle w, UINT message, WPARAM wParam, LPARAM lParam);
  bool KeyMessage(WindowHandle w, UINT message, WPARAM wParam, LPARAM lParam, WPARAM* replacement);
  bool WheelMessage(WindowHandle w, HWND hwnd, WPARAM wParam, LPARAM lParam, LRESULT* result);
  void ButtonClicked(WindowHandle w);
  void TrayMessage(WindowHandle w, LPARAM lParam);
  void NoteHot(Entry& e, bool hot);

  // message_queue.cpp
  void TakeQueued();
  void DispatchOne(const MSG& msg);

  // colours.cpp
  HBRUSH ColourMessage(HWND control, HDC dc);
  HBRUSH ContainerBrush(WindowHandle w);
  void ApplyBackground(Entry& e);
  // label_painting.cpp
  void PaintLabel(Entry& e, HDC dc);
  void PaintPanel(Entry& e, HDC dc);
  void PaintGroupBox(Entry& e, HDC dc);
  // edit_boxes.cpp
  void ApplyEditStyle(Entry& e);
  // scroll_bars.cpp
  void ScrollMessage(WindowHandle w, WPARAM wParam);
  // tray.cpp
  void DeleteTrayIcon(Entry& e);

  HINSTANCE instance_ = nullptr;
  HWND queueWindow_ = nullptr;
  WindowHandle nextHandle_ = 1;
  std::map<WindowHandle, Entry> windows_;
  std::unordered_map<HWND, WindowHandle> handles_;
  PreTranslateHook preTranslate_;
  // Moves, resizes and state changes the backend makes itself are delivered when it makes them;
  // while one is under way the native notifications of it are not news.
  int selfChange_ = 0;
  // A wheel turn being handed to the focused window: its default handling passes the turn up to
  // the parents, which must not hand it over again.
  bool wheelRouting_ = false;
  bool sawInput_ = false;
  BoxAnswerer boxAnswerer_;
  int boxesShowing_ = 0;

  std::mutex queueMutex_;
  std::deque<Queued> queue_;
  std::atomic<bool> quitPending_{false};
  std::atomic<int> quitCode_{0};
  HANDLE wakeEvent_ = nullptr;
};

// The installed backend when it is the Win32 one, else null.
Win32Backend* TheWin32Backend();

// The program's icon resource (id 1), or the system's application icon.
HICON ProgramIcon(HINSTANCE instance, int size);

}  // namespace vorenn::platform::win32
