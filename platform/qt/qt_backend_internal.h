// The Qt backend's class, shared by its files (windows, event loop, dialogs).
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

#include "platform/backend.h"

class QSystemTrayIcon;
class QTimer;

namespace vorenn::platform {

class QtBackend final : public QObject, public Backend {
 public:
  QtBackend();
  ~QtBackend() override;
  const char* Name() const override { return "qt"; }

  // qt_windows.cpp
  WindowHandle CreateNativeWindow(const WindowSpec& spec) override;
  void DestroyNativeWindow(WindowHandle w) override;
  bool IsWindow(WindowHandle w) const override { return windows_.count(w) != 0; }
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
  bool MessageWaiting() override;
  bool DispatchMessages(bool block, int* exitCode, bool* sawInput) override;
  void DispatchPending() override;
  bool Idle(int passCount) override;
  bool InputPending() override { return MessageWaiting(); }
  bool WaitForInputOrWake(Deadline deadline, bool wantInput) override;
  void Wake() override;

  // qt_dialogs.cpp
  int MessageBox(WindowHandle owner, std::string_view gbkText, std::string_view gbkCaption,
                 uint32_t style) override;
  void SetTrayIcon(WindowHandle w, std::span<const uint8_t> icon, std::string_view gbkTip) override;
  void RemoveTrayIcon(WindowHandle w) override;

  // Used by the event filter.
  WindowHandle HandleOf(const QObject* widget) const;
  bool FilterEvent(WindowHandle w, QEvent* event);

 protected:
  bool event(QEvent* e) override;  // posted engine events

 private:
  struct Entry {
    WindowRole role;
    WindowHandle parent;
    QPointer<QWidget> widget;
    EventSink sink;
    bool visible;
  };
  Entry* Find(WindowHandle w);
  const Entry* Find(WindowHandle w) const;
  QWidget* MakeWidget(const WindowSpec& spec, QWidget* parent, WindowHandle handle);
  void DestroyTree(WindowHandle w);
  bool FilterInput(WindowHandle w, QEvent* event);

  WindowHandle nextHandle_ = 1;
  std::map<WindowHandle, Entry> windows_;
  std::map<std::pair<WindowHandle, int>, QTimer*> timers_;
  std::map<WindowHandle, QSystemTrayIcon*> trays_;
  PreTranslateHook preTranslate_;
  QObject* filter_ = nullptr;
  bool passThrough_ = false;  // a replacement character being sent on to its widget

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
