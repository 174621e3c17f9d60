// Qt native windows: one widget per window, by role, at absolute positions in its parent.
#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>

#include <utility>

#include "platform/gbk_text.h"
#include "platform/qt/qt_backend_internal.h"
#include "platform/qt/qt_fonts.h"
#include "platform/screen_fit.h"
#include "platform/qt/unit_widgets.h"

namespace vorenn::platform {
namespace {

const char kHandleProperty[] = "vorennHandle";

QString FromGbk(std::string_view gbk) { return QString::fromStdString(GbkToUtf8(gbk)); }
std::string ToGbk(const QString& s) { return Utf8ToGbk(s.toStdString()); }

// A multi-line edit box holds Windows line breaks; Qt's editor holds '\n'.
std::string ToGbkWithCrLf(QString s) {
  s.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  return ToGbk(s);
}

QWidget* MakeEditBox(const WindowSpec& params, QWidget* parent) {
  QString text = FromGbk(params.text);
  if (params.style & kStyleMultiLine) {
    auto* p = new MultiLineEditWidget(WithQtLineBreaks(text), parent);
    p->setReadOnly(params.style & kStyleReadOnly);
    p->setTabChangesFocus(true);
    return p;
  }
  auto* l = new LineEditWidget(text, parent);
  // A new text leaves the caret at the start, with nothing selected.
  l->setCursorPosition(0);
  if (params.style & kStylePassword) l->setEchoMode(QLineEdit::Password);
  l->setReadOnly(params.style & kStyleReadOnly);
  return l;
}

}  // namespace

QtBackend::QtBackend() {
  offscreen_ = QGuiApplication::platformName() == QLatin1String("offscreen");
  filter_ = MakeEventFilter();
}

QtBackend::~QtBackend() {
  auto all = windows_;
  for (auto& [h, e] : all)
    if (e.parent == kNoWindow) DestroyNativeWindow(h);
  delete filter_;
}

QtBackend::Entry* QtBackend::Find(WindowHandle w) { return const_cast<Entry*>(std::as_const(*this).Find(w)); }
const QtBackend::Entry* QtBackend::Find(WindowHandle w) const {
  // A unit's property access asks for the same window several times in a row (is it a window,
  // then its geometry or state): the last entry found answers those without the map's search.
  if (lastFound_ == nullptr || lastFoundHandle_ != w) {
    auto it = windows_.find(w);
    if (it == windows_.end()) return nullptr;
    lastFoundHandle_ = w;
    lastFound_ = &it->second;
  }
  return lastFound_->widget ? lastFound_ : nullptr;
}

QWidget* QtBackend::WidgetOf(WindowHandle w) const {
  auto e = Find(w);
  return e ? e->widget.data() : nullptr;
}

WindowHandle QtBackend::HandleOf(const QObject* widget) const {
  QVariant v = widget->property(kHandleProperty);
  return v.isValid() ? WindowHandle(v.toUInt()) : kNoWindow;
}

QWidget* QtBackend::MakeWidget(const WindowSpec& params, QWidget* parent, WindowHandle handle) {
  QString text = FromGbk(params.text);
  QWidget* w = nullptr;
  Qt::FocusPolicy focus = Qt::NoFocus;
  switch (params.role) {
    case WindowRole::TopLevel:
    case WindowRole::Engine:
      w = new QWidget(nullptr, params.role == WindowRole::Engine ? Qt::Tool : Qt::Window);
      w->setWindowTitle(text);
      break;
    case WindowRole::Panel:
      w = new QFrame(parent);
      w->setAutoFillBackground(true);
      break;
    case WindowRole::GroupBox: {
      auto* g = new GroupBoxWidget(parent);
      g->SetCaption(text);
      w = g;
      break;
    }
    case WindowRole::Label: {
      auto* l = new LabelWidget(parent);
      l->SetCaption(text);
      w = l;
      break;
    }
    case WindowRole::Button: {
      if (params.style & kStyleOwnerDrawn) {
        w = MakeOwnerDrawnButton(params, parent, handle);
        focus = Qt::ClickFocus;
        break;
      }
      auto* b = new ButtonWidget(text, parent);
      QObject::connect(b, &QPushButton::clicked, this, [this, handle] { DeliverSimple(handle, EventKind::Clicked); });
      w = b;
      focus = Qt::ClickFocus;
      break;
    }
    case WindowRole::EditBox:
      w = MakeEditBox(params, parent);
      if (auto* l = qobject_cast<QLineEdit*>(w))
        QObject::connect(l, &QLineEdit::textEdited, this, [this, handle] { DeliverSimple(handle, EventKind::TextChanged); });
      else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        QObject::connect(p, &QPlainTextEdit::textChanged, this, [this, handle, p] {
          // Only what the user typed counts; SetText blocks the signal.
          if (!p->signalsBlocked()) DeliverSimple(handle, EventKind::TextChanged);
        });
      focus = Qt::ClickFocus;
      break;
    case WindowRole::VScrollBar: {
      auto* s = new QScrollBar(Qt::Vertical, parent);
      QObject::connect(s, &QScrollBar::actionTriggered, this, [this, handle](int action) { FilterScrollAction(handle, action); });
      QObject::connect(s, &QScrollBar::sliderReleased, this, [this, handle] { ScrollThumbReleased(handle); });
      w = s;
      break;
    }
    case WindowRole::ListView:
      w = MakeListView(parent);
      focus = Qt::ClickFocus;
      break;
  }
  w->setProperty(kHandleProperty, QVariant::fromValue(uint(handle)));
  w->installEventFilter(filter_);
  // The engine moves the focus on Tab itself; Qt's own focus chain stays out of it.
  w->setFocusPolicy(focus);
  w->setMouseTracking(true);
  // Input belongs to the window under the mouse, never also to its parent.
  w->setAttribute(Qt::WA_NoMousePropagation);
  if (auto* scroller = qobject_cast<QAbstractScrollArea*>(w)) {
    scroller->viewport()->installEventFilter(filter_);
    scroller->viewport()->setMouseTracking(true);
  }
  if (params.role != WindowRole::TopLevel && params.role != WindowRole::Engine) w->setFont(DefaultUnitFont());
  return w;
}

WindowHandle QtBackend::CreateNativeWindow(const WindowSpec& params) {
  bool child = params.role != WindowRole::TopLevel && params.role != WindowRole::Engine;
  Entry* parent = child ? Find(params.parent) : nullptr;
  if (child && parent == nullptr) return kNoWindow;
  WindowHandle h = nextHandle_++;
  QWidget* w = MakeWidget(params, parent != nullptr ? parent->widget.data() : nullptr, h);
  bool visible = params.role != WindowRole::Engine && params.visible;
  Entry& e = windows_[h];
  e.role = params.role;
  e.parent = child ? params.parent : kNoWindow;
  e.widget = w;
  e.visible = visible;
  e.style = params.style;
  if (params.role == WindowRole::TopLevel) {
    e.outer = FitToArea(params.geometry, ScreenArea());
    ApplyClientGeometry(e);
  } else if (params.role != WindowRole::Engine) {
    w->setGeometry(params.geometry.left, params.geometry.top, params.geometry.width, params.geometry.height);
  }
  // New child windows go to the bottom of their siblings, as native child windows do.
  if (child) w->lower();
  w->setEnabled(params.enabled);
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
  if (lastFound_ == &it->second) lastFound_ = nullptr;
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

void QtBackend::SetGeometry(WindowHandle w, const Rect& asked) {
  Entry* e = Find(w);
  if (e == nullptr || e->role == WindowRole::Engine) return;
  Rect old = Geometry(w);
  const Rect r = e->role == WindowRole::TopLevel ? FitToArea(asked, ScreenArea()) : asked;
  if (old == r) return;
  if (e->role == WindowRole::TopLevel) {
    e->outer = r;
    ApplyClientGeometry(*e);
  } else {
    e->widget->setGeometry(r.left, r.top, r.width, r.height);
  }
  // Qt's own move and resize events of this change are not passed on (see FilterFrameChange):
  // the sink hears of it here, at once, whether the window is shown or not.
  if (r.left != old.left || r.top != old.top) DeliverSimple(w, EventKind::Moved);
  if ((r.width != old.width || r.height != old.height) && IsWindow(w)) DeliverSimple(w, EventKind::Resized);
}

Rect QtBackend::Geometry(WindowHandle w) const {
  auto e = Find(w);
  if (e == nullptr || e->role == WindowRole::Engine) return {};
  if (e->role == WindowRole::TopLevel) return e->outer;
  QRect g = e->widget->geometry();
  return {g.x(), g.y(), g.width(), g.height()};
}

void QtBackend::Show(WindowHandle w, bool visible) {
  Entry* e = Find(w);
  if (e == nullptr || e->role == WindowRole::Engine) return;
  e->visible = visible;
  if (e->role != WindowRole::TopLevel) {
    e->widget->setVisible(visible);
    return;
  }
  // A window that hides itself into the notification area stays minimized where the desktop has
  // no notification area, so that it can always be restored.
  if (!visible && e->wantsTray && !TrayAvailable()) {
    if (!e->widget->isMinimized()) e->widget->setWindowState(e->widget->windowState() | Qt::WindowMinimized);
    return;
  }
  if (!visible) {
    e->widget->hide();
    return;
  }
  ApplyShowState(*e);
  e->widget->show();
}

bool QtBackend::IsVisible(WindowHandle w) const {
  auto e = Find(w);
  return e != nullptr && e->visible;
}

void QtBackend::Enable(WindowHandle w, bool enabled) {
  if (Entry* e = Find(w)) e->widget->setEnabled(enabled);
}

// The window's own flag: a window inside a disabled one keeps it.
bool QtBackend::IsEnabled(WindowHandle w) const {
  auto e = Find(w);
  return e != nullptr && !e->widget->testAttribute(Qt::WA_ForceDisabled);
}

void QtBackend::SetText(WindowHandle w, std::string_view gbk) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  // Converting a text costs more than comparing it with the last one converted for this window,
  // and the skill rows set the same texts again every few seconds.
  if (!e->textConverted || gbk != e->convertedFrom) {
    e->convertedFrom.assign(gbk);
    e->converted = FromGbk(gbk);
    e->textConverted = true;
  }
  const QString t = e->converted;
  QWidget* widget = e->widget;
  if (auto* c = dynamic_cast<CaptionWidget*>(widget)) {
    c->SetCaption(t);
  } else if (auto* b = qobject_cast<QPushButton*>(widget)) {
    b->setText(t);
  } else if (auto* le = qobject_cast<QLineEdit*>(widget)) {
    // Setting the text a box already shows, caret at the start and nothing selected or edited,
    // would change nothing but still repaint it.
    if (le->text() == t && le->cursorPosition() == 0 && !le->hasSelectedText() && !le->isModified()) {
      return;
    }
    le->setText(t);
    le->setCursorPosition(0);
  } else if (auto* pe = qobject_cast<QPlainTextEdit*>(widget)) {
    QSignalBlocker quiet(pe);
    pe->setPlainText(WithQtLineBreaks(t));  // leaves the caret at the start
  } else {
    widget->setWindowTitle(t);
  }
}

std::string QtBackend::Text(WindowHandle w) const {
  auto e = Find(w);
  if (e == nullptr) return {};
  QWidget* widget = e->widget;
  if (auto* c = dynamic_cast<CaptionWidget*>(widget)) return ToGbk(c->Caption());
  if (auto* b = qobject_cast<QPushButton*>(widget)) return ToGbk(b->text());
  if (auto* le = qobject_cast<QLineEdit*>(widget)) return ToGbk(le->text());
  if (auto* pe = qobject_cast<QPlainTextEdit*>(widget)) return ToGbkWithCrLf(pe->toPlainText());
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
    if (h != kNoWindow && ParentOf(h) == parent) out.push_back(h);
  }
  return out;
}

void QtBackend::SetFocus(WindowHandle w) {
  if (w == kNoWindow) {
    if (QWidget* f = QApplication::focusWidget()) f->clearFocus();
    return;
  }
  Entry* e = Find(w);
  if (e == nullptr) return;
  // Focusing a program window brings it to the front, as the desktop's own focus does.
  if (e->role == WindowRole::TopLevel && e->widget->isVisible()) e->widget->activateWindow();
  e->widget->setFocus(Qt::OtherFocusReason);
}

WindowHandle QtBackend::Focus() const {
  QWidget* f = QApplication::focusWidget();
  return f != nullptr ? HandleOf(f) : kNoWindow;
}

void QtBackend::SetEventSink(WindowHandle w, EventSink sink) {
  if (Entry* e = Find(w)) e->sink = std::move(sink);
}

EventAnswer QtBackend::Deliver(const WindowEvent& event) {
  return DeliverEvent(event, preTranslate_, [&]() -> const EventSink* {
    const Entry* e = Find(event.window);
    return e != nullptr ? &e->sink : nullptr;
  });
}

void QtBackend::DeliverSimple(WindowHandle w, EventKind kind) {
  WindowEvent e;
  e.kind = kind;
  e.window = w;
  Deliver(e);
}

}  // namespace vorenn::platform
