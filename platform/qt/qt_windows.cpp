// Qt native windows: one widget per window, by role, with an event filter that turns Qt's events
// into WindowEvents and lets the sink swallow them.
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>
#include <QWheelEvent>

#include "platform/gbk_text.h"
#include "platform/qt/qt_backend_internal.h"

namespace vorenn::platform {
namespace {

const char kHandleProperty[] = "vorennHandle";

QString FromGbk(std::string_view gbk) { return QString::fromStdString(GbkToUtf8(gbk)); }
std::string ToGbk(const QString& s) { return Utf8ToGbk(s.toStdString()); }

class EventFilter final : public QObject {
 public:
  explicit EventFilter(QtBackend* backend) : backend_(backend) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    WindowHandle w = backend_->HandleOf(watched);
    return w != kNoWindow && backend_->FilterEvent(w, event);
  }

 private:
  QtBackend* backend_;
};

int KeyStateOf(Qt::KeyboardModifiers m) {
  return (m & Qt::ControlModifier ? kKeyCtrl : 0) | (m & Qt::ShiftModifier ? kKeyShift : 0) |
         (m & Qt::AltModifier ? kKeyAlt : 0);
}

// Qt keys to the virtual-key numbers the game logic knows.
int VirtualKeyOf(int key) {
  if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) return key;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return 0x70 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Return: case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Delete: return 0x2E;
    default: return key & 0x1FFF;
  }
}

MouseButton ButtonOf(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton: return MouseButton::Left;
    case Qt::RightButton: return MouseButton::Right;
    case Qt::MiddleButton: return MouseButton::Middle;
    default: return MouseButton::None;
  }
}

// A character as the game sees it: one GBK byte, or a double-byte character as (lead << 8) | trail.
int GbkCharOf(const QString& text) {
  std::string gbk = ToGbk(text);
  if (gbk.size() == 1) return uint8_t(gbk[0]);
  if (gbk.size() == 2) return (uint8_t(gbk[0]) << 8) | uint8_t(gbk[1]);
  return -1;
}

QString TextOfGbkChar(int c) {
  std::string gbk;
  if (c >= 0x100) gbk.push_back(char(c >> 8));
  gbk.push_back(char(c & 0xFF));
  return FromGbk(gbk);
}

}  // namespace

QtBackend::QtBackend() { filter_ = new EventFilter(this); }

QtBackend::~QtBackend() {
  auto all = windows_;
  for (auto& [h, e] : all)
    if (e.parent == kNoWindow) DestroyNativeWindow(h);
  delete filter_;
}

QtBackend::Entry* QtBackend::Find(WindowHandle w) {
  auto it = windows_.find(w);
  return it == windows_.end() || !it->second.widget ? nullptr : &it->second;
}
const QtBackend::Entry* QtBackend::Find(WindowHandle w) const {
  auto it = windows_.find(w);
  return it == windows_.end() || !it->second.widget ? nullptr : &it->second;
}

WindowHandle QtBackend::HandleOf(const QObject* widget) const {
  QVariant v = widget->property(kHandleProperty);
  return v.isValid() ? WindowHandle(v.toUInt()) : kNoWindow;
}

QWidget* QtBackend::MakeWidget(const WindowSpec& spec, QWidget* parent, WindowHandle handle) {
  QString text = FromGbk(spec.text);
  QWidget* w = nullptr;
  switch (spec.role) {
    case WindowRole::TopLevel:
    case WindowRole::Engine:
      w = new QWidget(nullptr, spec.role == WindowRole::Engine ? Qt::Tool : Qt::Window);
      w->setWindowTitle(text);
      break;
    case WindowRole::Panel: w = new QFrame(parent); break;
    case WindowRole::GroupBox: w = new QGroupBox(text, parent); break;
    case WindowRole::Label: w = new QLabel(text, parent); break;
    case WindowRole::Button: {
      auto* b = new QPushButton(text, parent);
      QObject::connect(b, &QPushButton::clicked, this, [this, handle] {
        WindowEvent e;
        e.kind = EventKind::Clicked;
        e.window = handle;
        Deliver(e);
      });
      w = b;
      break;
    }
    case WindowRole::EditBox:
      if (spec.style & kStyleMultiLine) {
        auto* p = new QPlainTextEdit(text, parent);
        p->setReadOnly(spec.style & kStyleReadOnly);
        w = p;
      } else {
        auto* l = new QLineEdit(text, parent);
        if (spec.style & kStylePassword) l->setEchoMode(QLineEdit::Password);
        l->setReadOnly(spec.style & kStyleReadOnly);
        QObject::connect(l, &QLineEdit::textEdited, this, [this, handle] {
          WindowEvent e;
          e.kind = EventKind::TextChanged;
          e.window = handle;
          Deliver(e);
        });
        w = l;
      }
      break;
    case WindowRole::VScrollBar: {
      auto* s = new QScrollBar(Qt::Vertical, parent);
      QObject::connect(s, &QScrollBar::actionTriggered, this, [this, handle, s](int) {
        WindowEvent e;
        e.kind = EventKind::ScrollChanged;
        e.window = handle;
        e.value = s->sliderPosition();
        Deliver(e);
      });
      w = s;
      break;
    }
    case WindowRole::ListView: w = new QTreeWidget(parent); break;
  }
  w->setProperty(kHandleProperty, QVariant::fromValue(uint(handle)));
  w->installEventFilter(filter_);
  if (spec.style & kStyleTabStop) w->setFocusPolicy(Qt::StrongFocus);
  return w;
}

WindowHandle QtBackend::CreateNativeWindow(const WindowSpec& spec) {
  bool child = spec.role != WindowRole::TopLevel && spec.role != WindowRole::Engine;
  Entry* parent = child ? Find(spec.parent) : nullptr;
  if (child && parent == nullptr) return kNoWindow;
  WindowHandle h = nextHandle_++;
  QWidget* w = MakeWidget(spec, parent != nullptr ? parent->widget.data() : nullptr, h);
  bool visible = spec.role != WindowRole::Engine && spec.visible;
  windows_[h] = Entry{spec.role, child ? spec.parent : kNoWindow, w, {}, visible};
  if (spec.role != WindowRole::Engine) {
    w->move(spec.geometry.left, spec.geometry.top);
    w->resize(spec.geometry.width, spec.geometry.height);
  }
  w->setEnabled(spec.enabled);
  w->setVisible(visible);
  return h;
}

void QtBackend::DestroyTree(WindowHandle w) {
  for (auto& [h, e] : std::map<WindowHandle, Entry>(windows_))
    if (e.parent == w) DestroyTree(h);
  WindowEvent e;
  e.kind = EventKind::Destroyed;
  e.window = w;
  Deliver(e);
  auto it = windows_.find(w);
  if (it == windows_.end()) return;
  for (auto t = timers_.begin(); t != timers_.end();) {
    if (t->first.first == w) {
      delete t->second;
      t = timers_.erase(t);
    } else {
      ++t;
    }
  }
  RemoveTrayIcon(w);
  if (QWidget* widget = it->second.widget) {
    widget->removeEventFilter(filter_);
    widget->setProperty(kHandleProperty, QVariant());
    widget->hide();
    // Deleted later: the widget may be the one whose event is being handled right now.
    widget->deleteLater();
  }
  windows_.erase(it);
}

void QtBackend::DestroyNativeWindow(WindowHandle w) {
  if (Find(w) != nullptr) DestroyTree(w);
}

WindowHandle QtBackend::ParentOf(WindowHandle w) const {
  auto e = Find(w);
  return e ? e->parent : kNoWindow;
}
WindowRole QtBackend::RoleOf(WindowHandle w) const {
  auto e = Find(w);
  return e ? e->role : WindowRole::TopLevel;
}

void QtBackend::SetGeometry(WindowHandle w, const Rect& r) {
  Entry* e = Find(w);
  if (e == nullptr || e->role == WindowRole::Engine) return;
  e->widget->move(r.left, r.top);
  e->widget->resize(r.width, r.height);
}

Rect QtBackend::Geometry(WindowHandle w) const {
  auto e = Find(w);
  if (e == nullptr) return {};
  QPoint p = e->widget->pos();
  QSize s = e->widget->size();
  return {p.x(), p.y(), s.width(), s.height()};
}

void QtBackend::Show(WindowHandle w, bool visible) {
  Entry* e = Find(w);
  if (e == nullptr || e->role == WindowRole::Engine) return;
  e->visible = visible;
  e->widget->setVisible(visible);
}

bool QtBackend::IsVisible(WindowHandle w) const {
  auto e = Find(w);
  return e != nullptr && e->visible;
}

void QtBackend::Enable(WindowHandle w, bool enabled) {
  if (Entry* e = Find(w)) e->widget->setEnabled(enabled);
}
bool QtBackend::IsEnabled(WindowHandle w) const {
  auto e = Find(w);
  return e != nullptr && e->widget->isEnabled();
}

void QtBackend::SetText(WindowHandle w, std::string_view gbk) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  QString t = FromGbk(gbk);
  QWidget* widget = e->widget;
  if (auto* l = qobject_cast<QLabel*>(widget)) l->setText(t);
  else if (auto* b = qobject_cast<QPushButton*>(widget)) b->setText(t);
  else if (auto* le = qobject_cast<QLineEdit*>(widget)) le->setText(t);
  else if (auto* pe = qobject_cast<QPlainTextEdit*>(widget)) pe->setPlainText(t);
  else if (auto* g = qobject_cast<QGroupBox*>(widget)) g->setTitle(t);
  else widget->setWindowTitle(t);
}

std::string QtBackend::Text(WindowHandle w) const {
  auto e = Find(w);
  if (e == nullptr) return {};
  QWidget* widget = e->widget;
  if (auto* l = qobject_cast<QLabel*>(widget)) return ToGbk(l->text());
  if (auto* b = qobject_cast<QPushButton*>(widget)) return ToGbk(b->text());
  if (auto* le = qobject_cast<QLineEdit*>(widget)) return ToGbk(le->text());
  if (auto* pe = qobject_cast<QPlainTextEdit*>(widget)) return ToGbk(pe->toPlainText());
  if (auto* g = qobject_cast<QGroupBox*>(widget)) return ToGbk(g->title());
  return ToGbk(widget->windowTitle());
}

void QtBackend::PlaceBelow(WindowHandle w, WindowHandle above) {
  Entry* e = Find(w);
  if (e == nullptr || w == above) return;
  Entry* a = Find(above);
  if (a != nullptr && a->parent == e->parent)
    e->widget->stackUnder(a->widget);
  else
    e->widget->raise();
}

std::vector<WindowHandle> QtBackend::Children(WindowHandle parent) const {
  std::vector<WindowHandle> out;
  if (parent == kNoWindow) {
    for (auto& [h, e] : windows_)
      if (e.parent == kNoWindow && e.widget) out.push_back(h);
    return out;
  }
  auto p = Find(parent);
  if (p == nullptr) return out;
  // Qt keeps children bottom first.
  const QObjectList& kids = p->widget->children();
  for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
    WindowHandle h = HandleOf(*it);
    if (h != kNoWindow && IsWindow(h)) out.push_back(h);
  }
  return out;
}

void QtBackend::SetFocus(WindowHandle w) {
  if (Entry* e = Find(w)) e->widget->setFocus(Qt::OtherFocusReason);
}

WindowHandle QtBackend::Focus() const {
  QWidget* f = QApplication::focusWidget();
  return f != nullptr ? HandleOf(f) : kNoWindow;
}

void QtBackend::SetEventSink(WindowHandle w, EventSink sink) {
  if (Entry* e = Find(w)) e->sink = std::move(sink);
}

EventAnswer QtBackend::Deliver(const WindowEvent& event) {
  if (IsInputEvent(event.kind) && preTranslate_) {
    EventAnswer a = PreTranslateHook(preTranslate_)(event);
    if (a.swallow) return a;
  }
  Entry* e = Find(event.window);
  if (e == nullptr || !e->sink) return {};
  EventSink sink = e->sink;
  return sink(event);
}

bool QtBackend::FilterInput(WindowHandle w, QEvent* event) {
  WindowEvent e;
  e.window = w;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      auto* m = static_cast<QMouseEvent*>(event);
      e.kind = event->type() == QEvent::MouseButtonPress     ? EventKind::MouseDown
               : event->type() == QEvent::MouseButtonRelease ? EventKind::MouseUp
               : event->type() == QEvent::MouseButtonDblClick ? EventKind::DoubleClick
                                                              : EventKind::MouseMove;
      e.button = ButtonOf(m->button());
      e.x = int(m->position().x());
      e.y = int(m->position().y());
      e.keyState = KeyStateOf(m->modifiers());
      break;
    }
    case QEvent::Wheel: {
      auto* wh = static_cast<QWheelEvent*>(event);
      e.kind = EventKind::Wheel;
      e.wheelNotches = wh->angleDelta().y() / 120;
      e.x = int(wh->position().x());
      e.y = int(wh->position().y());
      e.keyState = KeyStateOf(wh->modifiers());
      break;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      auto* k = static_cast<QKeyEvent*>(event);
      e.kind = event->type() == QEvent::KeyPress ? EventKind::KeyDown : EventKind::KeyUp;
      e.key = VirtualKeyOf(k->key());
      e.keyState = KeyStateOf(k->modifiers());
      ++activity_;
      if (Deliver(e).swallow) return true;
      if (e.kind != EventKind::KeyDown || k->text().isEmpty() || !IsWindow(w)) return false;
      int c = GbkCharOf(k->text());
      if (c < 0) return false;
      WindowEvent ch;
      ch.kind = EventKind::Char;
      ch.window = w;
      ch.key = c;
      EventAnswer a = Deliver(ch);
      if (a.swallow) return true;
      if (a.replacementChar < 0 || a.replacementChar == c || !IsWindow(w)) return false;
      // The key goes on as the replacement character.
      QKeyEvent replaced(QEvent::KeyPress, 0, k->modifiers(), TextOfGbkChar(a.replacementChar));
      passThrough_ = true;
      QCoreApplication::sendEvent(Find(w)->widget, &replaced);
      passThrough_ = false;
      return true;
    }
    default:
      return false;
  }
  sawInput_ = true;
  ++activity_;
  return Deliver(e).swallow;
}

bool QtBackend::FilterEvent(WindowHandle w, QEvent* event) {
  if (passThrough_) return false;
  WindowEvent e;
  e.window = w;
  switch (event->type()) {
    case QEvent::FocusIn: e.kind = EventKind::FocusIn; break;
    case QEvent::FocusOut: e.kind = EventKind::FocusOut; break;
    case QEvent::Move: e.kind = EventKind::Moved; break;
    case QEvent::Resize: e.kind = EventKind::Resized; break;
    case QEvent::Close: {
      e.kind = EventKind::CloseRequested;
      if (Deliver(e).swallow) {
        event->ignore();
        return true;
      }
      DestroyNativeWindow(w);
      return true;
    }
    case QEvent::WindowStateChange: {
      Entry* entry = Find(w);
      if (entry == nullptr) return false;
      e.kind = entry->widget->isMinimized() ? EventKind::Minimized : EventKind::Restored;
      break;
    }
    default:
      if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) sawInput_ = true;
      return FilterInput(w, event);
  }
  Deliver(e);
  return false;
}

}  // namespace vorenn::platform
