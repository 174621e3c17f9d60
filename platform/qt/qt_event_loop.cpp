// The Qt backend's message queue: engine events posted through Qt's own queue (so they keep their
// order with window events), the quit message, timers, idle passes and the message-aware wait.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <chrono>

#include "platform/qt/qt_backend_internal.h"

namespace vorenn::platform {
namespace {

const QEvent::Type kEngineEventType = QEvent::Type(QEvent::registerEventType());

class EngineEvent final : public QEvent {
 public:
  EngineEvent(const WindowEvent& e, std::function<void()> onHandled)
      : QEvent(kEngineEventType), event(e), onHandled(std::move(onHandled)) {}
  WindowEvent event;
  std::function<void()> onHandled;
};

void WakeDispatcher() {
  if (QAbstractEventDispatcher* d = QCoreApplication::eventDispatcher()) d->wakeUp();
}

}  // namespace

bool QtBackend::event(QEvent* e) {
  if (e->type() != kEngineEventType) return QObject::event(e);
  auto* engineEvent = static_cast<EngineEvent*>(e);
  --pendingPosts_;
  ++activity_;
  const WindowEvent& we = engineEvent->event;
  if (IsInputEvent(we.kind)) sawInput_ = true;
  if (we.kind == EventKind::CloseRequested) {
    if (IsWindow(we.window) && !Deliver(we).swallow) DestroyNativeWindow(we.window);
  } else {
    Deliver(we);
  }
  if (engineEvent->onHandled) engineEvent->onHandled();
  return true;
}

void QtBackend::SetTimer(WindowHandle w, int timerId, uint32_t periodMs) {
  if (!IsWindow(w)) return;
  KillTimer(w, timerId);
  auto* t = new QTimer(this);
  t->setInterval(int(periodMs == 0 ? 1 : periodMs));
  QObject::connect(t, &QTimer::timeout, this, [this, w, timerId] {
    WindowEvent e;
    e.kind = EventKind::Timer;
    e.window = w;
    e.timerId = timerId;
    ++activity_;
    Deliver(e);
  });
  timers_[{w, timerId}] = t;
  t->start();
}

void QtBackend::KillTimer(WindowHandle w, int timerId) {
  auto it = timers_.find({w, timerId});
  if (it == timers_.end()) return;
  it->second->stop();
  it->second->deleteLater();
  timers_.erase(it);
}

void QtBackend::PostEvent(const WindowEvent& event, std::function<void()> onHandled) {
  ++pendingPosts_;
  QCoreApplication::postEvent(this, new EngineEvent(event, std::move(onHandled)));
}

void QtBackend::PostQuit(int exitCode) {
  quitCode_ = exitCode;
  quitPending_ = true;
  WakeDispatcher();
}

// Qt does not tell whether its own queue holds anything; the engine's posts and the quit message
// are what is known here.
bool QtBackend::MessageWaiting() { return pendingPosts_ > 0 || quitPending_; }

bool QtBackend::DispatchMessages(bool block, int* exitCode, bool* sawInput) {
  sawInput_ = false;
  if (!quitPending_) {
    QCoreApplication::processEvents(block ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
    // What the handlers of that pass posted (the paint a timer's handler asked for, an engine
    // event) is sent before returning. Sending Qt's posted events directly costs a fraction of a
    // second pass of the event loop, which on most ticks of a clock would find nothing else.
    if (block) QCoreApplication::sendPostedEvents();
  }
  if (sawInput != nullptr) *sawInput = sawInput_;
  if (quitPending_.exchange(false)) {
    if (exitCode != nullptr) *exitCode = quitCode_;
    return false;
  }
  return true;
}

void QtBackend::DispatchPending() {
  if (!quitPending_) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool QtBackend::Idle(int passCount) {
  if (passCount == 0) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return false;
}

bool QtBackend::WaitForInputOrWake(Deadline deadline, bool wantInput) {
  auto consumeWake = [this] {
    std::lock_guard lock(wakeMutex_);
    bool woken = wakePending_;
    wakePending_ = false;
    return woken;
  };
  if (!wantInput) {
    std::unique_lock lock(wakeMutex_);
    auto ready = [this] { return wakePending_; };
    if (deadline == kNoDeadline)
      wakeCv_.wait(lock, ready);
    else
      wakeCv_.wait_for(lock, std::chrono::milliseconds(std::max<int64_t>(0, deadline - SteadyNowMs())),
                       ready);
    wakePending_ = false;
    return false;
  }
  if (consumeWake()) return false;
  // A quit message waiting is input the wait is for: the program is ending.
  if (quitPending_) return true;
  // Qt cannot wait for its queue without dispatching it: the input is dispatched here and the
  // answer says that some arrived.
  bool timedOut = false;
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, [&timedOut] { timedOut = true; });
  if (deadline != kNoDeadline) timer.start(int(std::max<int64_t>(0, deadline - SteadyNowMs())));
  const uint64_t before = activity_;
  for (;;) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (consumeWake() || timedOut) return false;
    if (activity_ != before || quitPending_) return true;
  }
}

void QtBackend::Wake() {
  {
    std::lock_guard lock(wakeMutex_);
    wakePending_ = true;
  }
  wakeCv_.notify_all();
  WakeDispatcher();
}

}  // namespace vorenn::platform
