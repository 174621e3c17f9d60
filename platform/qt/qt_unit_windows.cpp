// What the standard units need of their Qt windows: reparenting, the frame of top-level windows and
// how they are shown, styles, the appearance of each role, edit-box selection, scroll bars and
// pointers.
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSystemTrayIcon>
#include <QTextCursor>

#include <algorithm>

#include "platform/gbk_selection.h"
#include "platform/gbk_text.h"
#include "platform/qt/qt_backend_internal.h"
#include "platform/qt/qt_fonts.h"
#include "platform/qt/unit_widgets.h"

namespace vorenn::platform {
namespace {

Qt::CursorShape CursorOf(PointerShape shape) {
  switch (shape) {
    case PointerShape::Cross: return Qt::CrossCursor;
    case PointerShape::IBeam: return Qt::IBeamCursor;
    case PointerShape::SizeAll: return Qt::SizeAllCursor;
    case PointerShape::SizeNESW: return Qt::SizeBDiagCursor;
    case PointerShape::SizeNS: return Qt::SizeVerCursor;
    case PointerShape::SizeNWSE: return Qt::SizeFDiagCursor;
    case PointerShape::SizeWE: return Qt::SizeHorCursor;
    case PointerShape::UpArrow: return Qt::UpArrowCursor;
    case PointerShape::Wait: return Qt::WaitCursor;
    case PointerShape::No: return Qt::ForbiddenCursor;
    case PointerShape::AppStarting: return Qt::BusyCursor;
    case PointerShape::Help: return Qt::WhatsThisCursor;
    case PointerShape::Hand: return Qt::PointingHandCursor;
    default: return Qt::ArrowCursor;
  }
}

// The bytes a character takes in the GBK text the backend reads back (Utf8ToGbk).
int GbkWidth(std::u16string_view character) {
  QString text = QString::fromUtf16(character.data(), qsizetype(character.size()));
  return int(Utf8ToGbk(text.toStdString()).size());
}

std::u16string_view Units(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())};
}

// A multi-line edit box's border kind as a style sheet's border.
QString BorderCss(int border) {
  const EditBorder b = EditBorderOf(border);
  if (b.width == 0) return QStringLiteral("border: none;");
  return QStringLiteral("border: %1px solid; border-color: %2 %3 %4 %5;")
      .arg(b.width)
      .arg(b.colours[0].name(), b.colours[1].name(), b.colours[2].name(), b.colours[3].name());
}

// A multi-line edit box's look as a style sheet: Qt draws its frame and colours from it.
QString EditBoxCss(const Appearance& a) {
  QString css = QStringLiteral("QPlainTextEdit { padding: 0px 1px; ") + BorderCss(a.border);
  QColor text = ColourOf(a.textColour);
  QColor background = ColourOf(a.backgroundColour);
  if (text.isValid()) css += QStringLiteral(" color: %1;").arg(text.name());
  css += QStringLiteral(" background: %1; }").arg(background.isValid() ? background.name() : QStringLiteral("#ffffff"));
  return css;
}

void ApplyBackground(QWidget* w, uint32_t colour) {
  QColor background = ColourOf(colour);
  w->setAutoFillBackground(background.isValid());
  if (!background.isValid()) return;
  QPalette palette = w->palette();
  palette.setColor(QPalette::Window, background);
  w->setPalette(palette);
}

}  // namespace

bool QtBackend::TrayAvailable() const { return !offscreen_ && QSystemTrayIcon::isSystemTrayAvailable(); }

void QtBackend::SetParent(WindowHandle w, WindowHandle parent) {
  Entry* e = Find(w);
  Entry* p = Find(parent);
  if (e == nullptr || p == nullptr || e->role == WindowRole::TopLevel || e->role == WindowRole::Engine) return;
  if (parent == w || e->parent == parent) return;
  // A window never goes below one of its own descendants.
  for (WindowHandle a = parent; a != kNoWindow; a = ParentOf(a)) {
    if (a == w) return;
  }
  QRect g = e->widget->geometry();
  e->widget->setParent(p->widget);
  e->widget->setGeometry(g);
  e->widget->lower();
  e->parent = parent;
  // Qt hides a widget that changes parents.
  e->widget->setVisible(e->visible);
}

FrameMargins QtBackend::FrameOf(WindowHandle w) const {
  auto e = Find(w);
  if (e == nullptr || e->role != WindowRole::TopLevel) return {};
  if (e->frameless) return {};
  if (!offscreen_ && e->widget->isVisible() && e->widget->frameGeometry() != e->widget->geometry()) {
    QRect f = e->widget->frameGeometry(), g = e->widget->geometry();
    return {g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom()};
  }
  return kStandardFrame;
}

Rect QtBackend::ScreenArea() const {
  QScreen* screen = QGuiApplication::primaryScreen();
  // Offscreen there is no desktop to centre windows in: the headless backend's screen stands in, so
  // a window comes up where it does there.
  if (screen == nullptr || offscreen_) return kFallbackScreenArea;
  QRect a = screen->availableGeometry();
  return {a.x(), a.y(), a.width(), a.height()};
}

void QtBackend::ApplyClientGeometry(Entry& e) {
  FrameMargins m = FrameOf(HandleOf(e.widget));
  e.widget->setGeometry(e.outer.left + m.left, e.outer.top + m.top, std::max(0, e.outer.width - m.left - m.right),
                        std::max(0, e.outer.height - m.top - m.bottom));
}

Rect QtBackend::FrameFromWidget(const Entry& e) const {
  FrameMargins m = FrameOf(HandleOf(e.widget));
  QRect g = e.widget->geometry();
  return {g.x() - m.left, g.y() - m.top, g.width() + m.left + m.right, g.height() + m.top + m.bottom};
}

void QtBackend::ApplyShowState(Entry& e) {
  Qt::WindowStates s = e.widget->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
  if (e.showState == ShowState::Minimized) s |= Qt::WindowMinimized;
  // Offscreen there is no window manager to size a maximized window; the frame is set here.
  if (e.showState == ShowState::Maximized && !offscreen_) s |= Qt::WindowMaximized;
  if (s != e.widget->windowState()) e.widget->setWindowState(s);
}

void QtBackend::SetShowState(WindowHandle w, ShowState state) {
  Entry* e = Find(w);
  if (e == nullptr || e->role != WindowRole::TopLevel || e->showState == state) return;
  ShowState old = e->showState;
  e->showState = state;
  if (old == ShowState::Normal) e->normalRect = e->outer;
  ApplyShowState(*e);
  if (state == ShowState::Minimized) {
    DeliverSimple(w, EventKind::Minimized);
    return;
  }
  if (old == ShowState::Minimized) DeliverSimple(w, EventKind::Restored);
  if (!IsWindow(w)) return;
  if (state == ShowState::Maximized) {
    SetGeometry(w, ScreenArea());
  } else if (old == ShowState::Maximized) {
    SetGeometry(w, Find(w)->normalRect);
  }
}

void QtBackend::NoteUserShowState(WindowHandle w) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  ShowState now = e->widget->isMinimized()   ? ShowState::Minimized
                  : e->widget->isMaximized() ? ShowState::Maximized
                                             : ShowState::Normal;
  // A window kept minimized in place of a notification-area icon is back in sight.
  if (now != ShowState::Minimized && e->widget->isVisible()) e->visible = true;
  if (now == e->showState) return;
  ShowState old = e->showState;
  e->showState = now;
  if (old == ShowState::Normal) e->normalRect = e->outer;
  if (now == ShowState::Minimized) {
    DeliverSimple(w, EventKind::Minimized);
    return;
  }
  if (old == ShowState::Minimized) DeliverSimple(w, EventKind::Restored);
}

ShowState QtBackend::ShowStateOf(WindowHandle w) const {
  auto e = Find(w);
  return e ? e->showState : ShowState::Normal;
}

void QtBackend::SetStyle(WindowHandle w, uint32_t style) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  e->style = style;
  // An edit box cannot change between one line and many; the unit makes a new one for that.
  if (auto* l = qobject_cast<QLineEdit*>(e->widget.data())) {
    l->setEchoMode(style & kStylePassword ? QLineEdit::Password : QLineEdit::Normal);
    l->setReadOnly(style & kStyleReadOnly);
  } else if (auto* p = qobject_cast<QPlainTextEdit*>(e->widget.data())) {
    p->setReadOnly(style & kStyleReadOnly);
  }
}

uint32_t QtBackend::StyleOf(WindowHandle w) const {
  auto e = Find(w);
  return e ? e->style : 0;
}

void QtBackend::ApplyWindowFlags(Entry& e) {
  const Appearance& a = e.appearance;
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (e.frameless) flags |= Qt::FramelessWindowHint;
  if (a.controlBox) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (a.controlBox && a.minimizeButton) flags |= Qt::WindowMinimizeButtonHint;
  if (a.controlBox && a.maximizeButton) flags |= Qt::WindowMaximizeButtonHint;
  if (flags == e.widget->windowFlags()) return;
  bool shown = e.widget->isVisible();
  e.widget->setWindowFlags(flags);
  ApplyClientGeometry(e);
  // Qt hides a window whose flags change.
  if (shown) e.widget->show();
}

void QtBackend::SetAppearance(WindowHandle w, const Appearance& appearance) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  e->appearance = appearance;
  QWidget* widget = e->widget;
  if (auto* c = dynamic_cast<CaptionWidget*>(widget)) {
    c->SetAppearance(appearance);
    return;
  }
  switch (e->role) {
    case WindowRole::TopLevel:
      ApplyBackground(widget, appearance.backgroundColour);
      e->frameless = appearance.border == 0;
      ApplyWindowFlags(*e);
      break;
    case WindowRole::Panel:
      ApplyBorder(static_cast<QFrame*>(widget), appearance.border);
      ApplyBackground(widget, appearance.backgroundColour);
      // A panel covers what lies below it, in its own colour or its container's.
      widget->setAutoFillBackground(true);
      widget->setFont(FontOfRecord(appearance.font));
      break;
    case WindowRole::Button:
      if (auto* b = dynamic_cast<ButtonWidget*>(widget)) b->SetAlignment(appearance.hAlign, appearance.vAlign);
      widget->setFont(FontOfRecord(appearance.font));
      break;
    case WindowRole::EditBox:
      if (auto* line = dynamic_cast<LineEditWidget*>(widget))
        line->SetLook(appearance);
      else if (auto* lines = dynamic_cast<MultiLineEditWidget*>(widget))
        lines->SetLook(EditBoxCss(appearance));
      widget->setFont(FontOfRecord(appearance.font));
      break;
    case WindowRole::ListView:
      // The list's own colours and font come with its setup; its frame is the border kind's.
      ApplyBorder(static_cast<QFrame*>(widget), appearance.border);
      break;
    default:
      break;
  }
}

Appearance QtBackend::AppearanceOf(WindowHandle w) const {
  auto e = Find(w);
  return e ? e->appearance : Appearance{};
}

void QtBackend::SetSelection(WindowHandle w, int start, int length) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  QString text = qobject_cast<QLineEdit*>(e->widget.data())        ? static_cast<QLineEdit*>(e->widget.data())->text()
                 : qobject_cast<QPlainTextEdit*>(e->widget.data()) ? static_cast<QPlainTextEdit*>(e->widget.data())->toPlainText()
                                                                   : QString();
  UnitRange units = UnitsOfByteSelection(Units(text), start, length, GbkWidth);
  if (auto* l = qobject_cast<QLineEdit*>(e->widget.data())) {
    l->setSelection(units.from, units.to - units.from);
  } else if (auto* p = qobject_cast<QPlainTextEdit*>(e->widget.data())) {
    QTextCursor cursor = p->textCursor();
    cursor.setPosition(units.from);
    cursor.setPosition(units.to, QTextCursor::KeepAnchor);
    p->setTextCursor(cursor);
  }
}

void QtBackend::Selection(WindowHandle w, int* start, int* length) const {
  *start = 0;
  *length = 0;
  auto e = Find(w);
  if (e == nullptr) return;
  QString text;
  int from = 0, to = 0;
  if (auto* l = qobject_cast<QLineEdit*>(e->widget.data())) {
    text = l->text();
    from = l->hasSelectedText() ? l->selectionStart() : l->cursorPosition();
    to = l->hasSelectedText() ? l->selectionEnd() : from;
  } else if (auto* p = qobject_cast<QPlainTextEdit*>(e->widget.data())) {
    text = p->toPlainText();
    from = p->textCursor().selectionStart();
    to = p->textCursor().selectionEnd();
  } else {
    return;
  }
  ByteSelectionOfUnits(Units(text), from, to, GbkWidth, start, length);
}

void QtBackend::SetScrollBar(WindowHandle w, const ScrollBarState& state) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  e->scroll = state;
  if (auto* bar = qobject_cast<QScrollBar*>(e->widget.data())) {
    bar->setRange(std::min(state.minimum, state.maximum), std::max(state.minimum, state.maximum));
    bar->setPageStep(std::max(1, state.page));
    bar->setValue(state.position);
  }
}

ScrollBarState QtBackend::ScrollBarOf(WindowHandle w) const {
  auto e = Find(w);
  return e ? e->scroll : ScrollBarState{};
}

void QtBackend::SetPointer(WindowHandle w, PointerShape shape) {
  Entry* e = Find(w);
  if (e == nullptr) return;
  e->pointer = shape;
  if (shape == PointerShape::Default)
    e->widget->unsetCursor();
  else
    e->widget->setCursor(CursorOf(shape));
}

PointerShape QtBackend::PointerOf(WindowHandle w) const {
  auto e = Find(w);
  return e ? e->pointer : PointerShape::Default;
}

}  // namespace vorenn::platform
