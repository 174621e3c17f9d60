// Qt's events as window events: mouse, wheel, keys and characters (typed or committed by an input
// method), focus, frame changes, close requests and scroll-bar actions. A sink's answer can keep
// an input event from its widget or, for a character, replace it.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QWheelEvent>

#include "platform/qt/qt_backend_internal.h"
#include "platform/qt/qt_keys.h"

namespace vorenn::platform {
namespace {

constexpr int kWheelNotch = 120;
constexpr int kDeleteChar = 0x7F;

// The event types QtBackend::FilterEvent and FilterInput act on. Every other event (paints above
// all) passes without the look-up of its window's handle.
bool ActedOn(QEvent::Type type) {
  switch (type) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
    case QEvent::Close:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
      return true;
    default:
      return false;
  }
}

bool IsFrameChange(QEvent::Type type) {
  return type == QEvent::Move || type == QEvent::Resize || type == QEvent::WindowStateChange;
}

bool IsWindowWidget(const QObject* o) { return o->isWidgetType() && static_cast<const QWidget*>(o)->isWindow(); }

class EventFilter final : public QObject {
 public:
  explicit EventFilter(QtBackend* backend) : backend_(backend) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!ActedOn(event->type())) return false;
    // Of moves, resizes and state changes only those the window system made to a window are
    // acted on (FilterFrameChange); a unit moved by the program, a rising figure every 20 ms,
    // passes here.
    if (IsFrameChange(event->type()) && (!event->spontaneous() || !IsWindowWidget(watched))) return false;
    WindowHandle w = backend_->HandleOf(watched);
    // A scroll area's viewport takes the mouse for the window it belongs to.
    if (w == kNoWindow && watched->parent() != nullptr) w = backend_->HandleOf(watched->parent());
    return w != kNoWindow && backend_->FilterEvent(w, watched, event);
  }

 private:
  QtBackend* backend_;
};

MouseButton ButtonOf(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton: return MouseButton::Left;
    case Qt::RightButton: return MouseButton::Right;
    case Qt::MiddleButton: return MouseButton::Middle;
    default: return MouseButton::None;
  }
}

EventKind MouseKindOf(QEvent::Type t) {
  switch (t) {
    case QEvent::MouseButtonPress: return EventKind::MouseDown;
    case QEvent::MouseButtonRelease: return EventKind::MouseUp;
    case QEvent::MouseButtonDblClick: return EventKind::DoubleClick;
    default: return EventKind::MouseMove;
  }
}

ScrollAction ScrollActionOf(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: return ScrollAction::LineDown;
    case QAbstractSlider::SliderSingleStepSub: return ScrollAction::LineUp;
    case QAbstractSlider::SliderPageStepAdd: return ScrollAction::PageDown;
    case QAbstractSlider::SliderPageStepSub: return ScrollAction::PageUp;
    case QAbstractSlider::SliderToMinimum: return ScrollAction::ToTop;
    case QAbstractSlider::SliderToMaximum: return ScrollAction::ToBottom;
    case QAbstractSlider::SliderMove: return ScrollAction::ThumbTracked;
    default: return ScrollAction::None;
  }
}

// The key that stands for a replacement character: control characters are keys of their own.
int QtKeyOfChar(int c) {
  switch (c) {
    case 0x08: return Qt::Key_Backspace;
    case 0x09: return Qt::Key_Tab;
    case 0x0D: return Qt::Key_Return;
    case 0x1B: return Qt::Key_Escape;
    default: return 0;
  }
}

}  // namespace

QObject* QtBackend::MakeEventFilter() { return new EventFilter(this); }

bool QtBackend::FilterEvent(WindowHandle w, QObject* watched, QEvent* event) {
  if (passThrough_) return false;
  switch (event->type()) {
    case QEvent::FocusIn:
      DeliverSimple(w, EventKind::FocusIn);
      return false;
    case QEvent::FocusOut:
      DeliverSimple(w, EventKind::FocusOut);
      return false;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
      return FilterFrameChange(w, event);
    case QEvent::Close: {
      WindowEvent e;
      e.kind = EventKind::CloseRequested;
      e.window = w;
      // The window stays unless the sink lets the request through; then it is destroyed here.
      event->ignore();
      if (!Deliver(e).swallow) DestroyNativeWindow(w);
      return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      // A key a child did not take climbs to its parents; it belongs to the focused window only.
      if (watched != QApplication::focusWidget()) return false;
      sawInput_ = true;
      ++activity_;
      return FilterKey(w, static_cast<QKeyEvent*>(event));
    case QEvent::InputMethod:
      return FilterCommittedText(w, static_cast<QInputMethodEvent*>(event));
    default:
      return FilterInput(w, watched, event);
  }
}

bool QtBackend::FilterInput(WindowHandle w, QObject* watched, QEvent* event) {
  WindowEvent e;
  e.window = w;
  Entry* entry = Find(w);
  if (entry == nullptr) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      auto* m = static_cast<QMouseEvent*>(event);
      QPoint p = m->position().toPoint();
      if (watched != entry->widget && watched->isWidgetType()) p = static_cast<QWidget*>(watched)->mapTo(entry->widget, p);
      e.kind = MouseKindOf(event->type());
      e.button = ButtonOf(m->button());
      e.x = p.x();
      e.y = p.y();
      e.keyState = KeyStateOf(m->modifiers());
      break;
    }
    case QEvent::Wheel: {
      auto* wh = static_cast<QWheelEvent*>(event);
      if (WindowHandle focus = WheelTarget(watched); focus != kNoWindow && focus != w)
        return RedirectWheel(focus, wh);
      QPoint p = wh->position().toPoint();
      if (watched != entry->widget && watched->isWidgetType()) p = static_cast<QWidget*>(watched)->mapTo(entry->widget, p);
      e.kind = EventKind::Wheel;
      e.wheelNotches = wh->angleDelta().y() / kWheelNotch;
      e.x = p.x();
      e.y = p.y();
      e.keyState = KeyStateOf(wh->modifiers());
      break;
    }
    default:
      return false;
  }
  sawInput_ = true;
  ++activity_;
  WindowRole role = entry->role;
  if (Deliver(e).swallow) return true;
  // A scroll bar moves only by its arrows, track and thumb; the wheel is the unit's to handle.
  return e.kind == EventKind::Wheel && role == WindowRole::VScrollBar;
}

// The wheel turns for the window that has the keyboard focus, wherever the pointer is: the focused
// window of the program, else the one focused in the window under the pointer (a window that is not
// active keeps its focused child). Qt itself sends the wheel to the widget under the pointer.
WindowHandle QtBackend::WheelTarget(QObject* watched) const {
  QWidget* focus = QApplication::focusWidget();
  if (focus == nullptr && watched->isWidgetType()) focus = static_cast<QWidget*>(watched)->window()->focusWidget();
  return focus != nullptr ? HandleOf(focus) : kNoWindow;
}

bool QtBackend::RedirectWheel(WindowHandle target, QWheelEvent* wheel) {
  Entry* entry = Find(target);
  if (entry == nullptr || entry->widget == nullptr || !entry->widget->isEnabled()) return true;
  QPointer<QWidget> widget = entry->widget.data();
  QPointF at = widget->mapFromGlobal(wheel->globalPosition());
  WindowEvent e;
  e.kind = EventKind::Wheel;
  e.window = target;
  e.wheelNotches = wheel->angleDelta().y() / kWheelNotch;
  e.x = int(at.x());
  e.y = int(at.y());
  e.keyState = KeyStateOf(wheel->modifiers());
  sawInput_ = true;
  ++activity_;
  WindowRole role = entry->role;
  if (Deliver(e).swallow || widget == nullptr || role == WindowRole::VScrollBar) return true;
  // What the sink lets through gets the focused widget's own handling (an edit box scrolls).
  QWheelEvent moved(at, wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(), wheel->buttons(),
                    wheel->modifiers(), wheel->phase(), wheel->inverted(), wheel->source());
  passThrough_ = true;
  QCoreApplication::sendEvent(widget, &moved);
  passThrough_ = false;
  return true;
}

bool QtBackend::FilterKey(WindowHandle w, QKeyEvent* k) {
  WindowEvent e;
  e.window = w;
  e.kind = k->type() == QEvent::KeyPress ? EventKind::KeyDown : EventKind::KeyUp;
  e.key = VirtualKeyOf(k->key(), k->modifiers());
  e.keyState = KeyStateOf(k->modifiers());
  if (Deliver(e).swallow) return true;
  if (e.kind != EventKind::KeyDown || !IsWindow(w)) return false;
  int c = GbkCharOf(k->text());
  if (c < 0 || c == kDeleteChar) return false;
  WindowEvent ch;
  ch.kind = EventKind::Char;
  ch.window = w;
  ch.key = c;
  EventAnswer a = Deliver(ch);
  if (a.swallow) return true;
  if (a.replacementChar < 0 || a.replacementChar == c || !IsWindow(w)) return false;
  QString text = TextOfGbkChar(a.replacementChar);
  if (text.isEmpty()) return true;
  // The key goes on as the replacement character.
  QKeyEvent replaced(QEvent::KeyPress, QtKeyOfChar(a.replacementChar), k->modifiers(), text);
  passThrough_ = true;
  QCoreApplication::sendEvent(Find(w)->widget, &replaced);
  passThrough_ = false;
  return true;
}

// Text an input method commits arrives as characters too, each of which the sink may drop or
// replace; the widget then gets what is left.
bool QtBackend::FilterCommittedText(WindowHandle w, QInputMethodEvent* input) {
  if (input->commitString().isEmpty()) return false;
  sawInput_ = true;
  ++activity_;
  QString kept;
  bool changed = false;
  const QString committed = input->commitString();
  for (int i = 0; i < committed.size(); ++i) {
    int len = committed.at(i).isHighSurrogate() && i + 1 < committed.size() ? 2 : 1;
    QString one = committed.mid(i, len);
    i += len - 1;
    int c = GbkCharOf(one);
    if (c < 0) {
      kept += one;
      continue;
    }
    WindowEvent ch;
    ch.kind = EventKind::Char;
    ch.window = w;
    ch.key = c;
    EventAnswer a = Deliver(ch);
    if (!IsWindow(w)) return true;
    if (a.swallow) {
      changed = true;
    } else if (a.replacementChar >= 0 && a.replacementChar != c) {
      kept += TextOfGbkChar(a.replacementChar);
      changed = true;
    } else {
      kept += one;
    }
  }
  if (!changed) return false;
  QInputMethodEvent replaced(input->preeditString(), input->attributes());
  replaced.setCommitString(kept, input->replacementStart(), input->replacementLength());
  passThrough_ = true;
  QCoreApplication::sendEvent(Find(w)->widget, &replaced);
  passThrough_ = false;
  return true;
}

// Moves, resizes and state changes that the backend made itself were delivered when it made them;
// only those the window system made (the user dragging or minimising the window) are news.
bool QtBackend::FilterFrameChange(WindowHandle w, QEvent* event) {
  Entry* e = Find(w);
  if (e == nullptr || e->role != WindowRole::TopLevel || !event->spontaneous()) return false;
  if (event->type() == QEvent::WindowStateChange) {
    NoteUserShowState(w);
    return false;
  }
  Rect now = FrameFromWidget(*e);
  Rect old = e->outer;
  if (now == old || e->widget->isMinimized()) return false;
  e->outer = now;
  if (now.left != old.left || now.top != old.top) DeliverSimple(w, EventKind::Moved);
  if ((now.width != old.width || now.height != old.height) && IsWindow(w)) DeliverSimple(w, EventKind::Resized);
  return false;
}

void QtBackend::FilterScrollAction(WindowHandle w, int action) {
  Entry* e = Find(w);
  auto* bar = e != nullptr ? qobject_cast<QScrollBar*>(e->widget.data()) : nullptr;
  if (bar == nullptr) return;
  ScrollAction kind = ScrollActionOf(action);
  if (kind == ScrollAction::None) return;
  WindowEvent ev;
  ev.kind = EventKind::ScrollChanged;
  ev.window = w;
  ev.scrollAction = kind;
  ev.value = bar->sliderPosition();
  ++activity_;
  Deliver(ev);
  // The unit decides where the thumb stands; while it is dragged it follows the mouse.
  e = Find(w);
  if (e != nullptr && kind != ScrollAction::ThumbTracked) bar->setSliderPosition(e->scroll.position);
}

void QtBackend::ScrollThumbReleased(WindowHandle w) {
  Entry* e = Find(w);
  auto* bar = e != nullptr ? qobject_cast<QScrollBar*>(e->widget.data()) : nullptr;
  if (bar == nullptr) return;
  WindowEvent ev;
  ev.kind = EventKind::ScrollChanged;
  ev.window = w;
  ev.scrollAction = ScrollAction::ThumbReleased;
  ev.value = bar->sliderPosition();
  ++activity_;
  Deliver(ev);
  e = Find(w);
  if (e != nullptr) bar->setValue(e->scroll.position);
}

}  // namespace vorenn::platform
