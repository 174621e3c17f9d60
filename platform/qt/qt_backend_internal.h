// The Qt backend's class, shared by its files: windows (qt_windows.cpp), input and window events
// (qt_event_filter.cpp), the standard units' state (qt_unit_windows.cpp), pictures of windows
// (qt_window_picture.cpp), the event loop (qt_event_loop.cpp) and dialogs (qt_dialogs.cpp).
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/backend.h"

class QInputMethodEvent;
class QKeyEvent;
class QWheelEvent;
class QSystemTrayIcon;
class QTimer;

namespace vorenn::platform {

// The dynamic property of a QMessageBox that holds the MessageBoxStyle it was shown for.
extern const char* const kBoxStyleProperty;

class QtBackend final : public QObject, public Backend {
 public:
  QtBackend();
  ~QtBackend() override;
  const char* Name() const override { return "qt"; }

  // qt_windows.cpp
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

  // qt_event_loop.cpp
  void SetTimer(WindowHandle w, int timerId, uint32_t periodMs) override;
  void KillTimer(WindowHandle w, int timerId) override;
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

  // qt_dialogs.cpp. Each box carries the style it was asked for in the property kBoxStyleProperty.
  int MessageBox(WindowHandle owner, std::string_view gbkText, std::string_view gbkCaption,
                 uint32_t style) override;
  // A script answers the boxes (tools/driver): they are shown even offscreen, where otherwise
  // nobody could answer them and each took its first button unseen.
  void SetScriptAnswersBoxes(bool on) { scriptAnswersBoxes_ = on; }
  void SetTrayIcon(WindowHandle w, std::span<const uint8_t> icon, std::string_view gbkTip) override;
  void RemoveTrayIcon(WindowHandle w) override;

  // qt_unit_windows.cpp. Where the platform cannot tell a top-level window's frame (offscreen, or
  // before the window manager has framed it) the frame has the headless backend's fixed metrics.
  void SetParent(WindowHandle w, WindowHandle parent) override;
  FrameMargins FrameOf(WindowHandle w) const override;
  Rect ScreenArea() const override;
  void SetShowState(WindowHandle w, ShowState state) override;
  ShowState ShowStateOf(WindowHandle w) const override;
  void SetStyle(WindowHandle w, uint32_t style) override;
  void SetAppearance(WindowHandle w, const Appearance& appearance) override;
  void SetSelection(WindowHandle w, int start, int length) override;
  void Selection(WindowHandle w, int* start, int* length) const override;
  void SetScrollBar(WindowHandle w, const ScrollBarState& state) override;
  void SetPointer(WindowHandle w, PointerShape shape) override;
  // Read back for tests and the scripted driver, as on the headless backend.
  uint32_t StyleOf(WindowHandle w) const;
  Appearance AppearanceOf(WindowHandle w) const;
  ScrollBarState ScrollBarOf(WindowHandle w) const;
  PointerShape PointerOf(WindowHandle w) const;
  // The tip of the notification-area icon the window asked for, shown or not (there may be no
  // notification area); nullopt when it asked for none.
  std::optional<std::string> TrayTipOf(WindowHandle w) const;

  // qt_window_picture.cpp: the window's frame, caption and client area as a PNG file.
  bool SaveWindowPicture(WindowHandle w, const std::string& path) override;

  // The widget of a window, or null. For the extended units' widgets and for tests.
  QWidget* WidgetOf(WindowHandle w) const;
  // list_view_widget.cpp
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

  // image_button_widget.cpp
  void SetButtonPainter(WindowHandle w, ButtonPainter painter) override;
  void Repaint(WindowHandle w) override;
  void SetChecked(WindowHandle w, bool checked) override;
  bool IsChecked(WindowHandle w) const override;
  void SetToolTip(WindowHandle w, std::string_view gbk) override;
  std::string ToolTip(WindowHandle w) const override;
  PictureRef DecodePicture(std::span<const uint8_t> data) override;

  // Used by the event filter.
  WindowHandle HandleOf(const QObject* widget) const;
  bool FilterEvent(WindowHandle w, QObject* watched, QEvent* event);

 protected:
  bool event(QEvent* e) override;  // posted engine events

 private:
  struct Entry {
    WindowRole role = WindowRole::TopLevel;
    WindowHandle parent = kNoWindow;
    QPointer<QWidget> widget;
    EventSink sink;
    bool visible = false;
    uint32_t style = 0;
    Appearance appearance;
    ScrollBarState scroll;
    PointerShape pointer = PointerShape::Default;
    // Top-level windows: the frame rectangle the engine knows, and how the window is shown.
    Rect outer;
    ShowState showState = ShowState::Normal;
    Rect normalRect;           // the frame to restore from maximized
    bool wantsTray = false;    // a notification-area icon was asked for
    std::string trayTip;       // GBK
    bool frameless = false;    // border kind 0: no caption, no frame
    // The text SetText converted last, as given (GBK) and as converted.
    bool textConverted = false;
    std::string convertedFrom;
    QString converted;
  };
  Entry* Find(WindowHandle w);
  const Entry* Find(WindowHandle w) const;
  QWidget* MakeWidget(const WindowSpec& params, QWidget* parent, WindowHandle handle);
  QWidget* MakeListView(QWidget* parent);                               // list_view_widget.cpp
  QWidget* MakeOwnerDrawnButton(const WindowSpec& params, QWidget* parent, WindowHandle handle);  // image_button_widget.cpp
  void DestroyTree(WindowHandle w);
  void DeliverSimple(WindowHandle w, EventKind kind);
  // qt_event_filter.cpp
  QObject* MakeEventFilter();
  bool FilterInput(WindowHandle w, QObject* watched, QEvent* event);
  bool FilterKey(WindowHandle w, QKeyEvent* key);
  WindowHandle WheelTarget(QObject* watched) const;
  bool RedirectWheel(WindowHandle target, QWheelEvent* wheel);
  bool FilterCommittedText(WindowHandle w, QInputMethodEvent* input);
  bool FilterFrameChange(WindowHandle w, QEvent* event);
  void FilterScrollAction(WindowHandle w, int action);
  void ScrollThumbReleased(WindowHandle w);
  // qt_unit_windows.cpp
  bool TrayAvailable() const;
  // The client area of a top-level window from its frame rectangle, and back.
  void ApplyClientGeometry(Entry& e);
  Rect FrameFromWidget(const Entry& e) const;
  void ApplyWindowFlags(Entry& e);
  void ApplyShowState(Entry& e);
  // A show state the window system changed (the user minimised or restored the window).
  void NoteUserShowState(WindowHandle w);

  WindowHandle nextHandle_ = 1;
  std::map<WindowHandle, Entry> windows_;
  // The entry Find found last (map entries keep their address until erased).
  mutable WindowHandle lastFoundHandle_ = kNoWindow;
  mutable const Entry* lastFound_ = nullptr;
  std::map<std::pair<WindowHandle, int>, QTimer*> timers_;
  std::map<WindowHandle, QSystemTrayIcon*> trays_;
  PreTranslateHook preTranslate_;
  QObject* filter_ = nullptr;
  bool passThrough_ = false;  // a replacement character being sent on to its widget
  bool offscreen_ = false;    // Qt's offscreen platform: no window manager, no frames, no tray
  bool scriptAnswersBoxes_ = false;

  std::atomic<int> pendingPosts_{0};
  std::atomic<bool> quitPending_{false};
  std::atomic<int> quitCode_{0};
  bool sawInput_ = false;
  // Counts what a message-aware wait wakes for: engine events, input, timer ticks (not Qt's own
  // housekeeping such as painting).
  uint64_t activity_ = 0;

  std::mutex wakeMutex_;
  std::condition_variable wakeCv_;
  bool wakePending_ = false;
};

}  // namespace vorenn::platform
