// A single-line edit box's look without a style sheet. A style sheet on a line edit brings in Qt's
// style-sheet engine at start-up (some 4 M instructions for the sign-in window's nine boxes); the
// same pixels come from a proxy of the application's style that draws the panel as the style
// sheet's rules did: the background over the whole box, then the border's edges bottom, right,
// left and top, with mitred corners where two edges differ in colour.
#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QPolygonF>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

#include "platform/qt/unit_widgets.h"

namespace vorenn::platform {
namespace {

enum Edge { kTop, kRight, kBottom, kLeft };

class EditBoxStyle final : public QProxyStyle {
 public:
  explicit EditBoxStyle(QStyle* base) : QProxyStyle(base) {}

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element == PE_PanelLineEdit) {
      if (auto* box = dynamic_cast<const LineEditWidget*>(widget)) return box->DrawPanel(painter, option->rect);
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
  }

  QRect subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const override {
    if (element == SE_LineEditContents) {
      if (auto* box = dynamic_cast<const LineEditWidget*>(widget)) return box->TextArea(option->rect);
    }
    return QProxyStyle::subElementRect(element, option, widget);
  }

  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* answer) const override {
    if (hint == SH_LineEdit_PasswordCharacter) {
      if (auto* box = dynamic_cast<const LineEditWidget*>(widget)) return box->PasswordCharacter();
    }
    return QProxyStyle::styleHint(hint, option, widget, answer);
  }
};

// One for all boxes, over a style of the application style's kind; the application owns it.
QStyle* TheEditBoxStyle() {
  static QPointer<EditBoxStyle> style;
  if (style.isNull()) {
    style = new EditBoxStyle(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(qApp);
  }
  return style;
}

// One edge as a rectangle, or as a trapezoid whose slanted ends (dw1 at the start, dw2 at the end)
// meet the neighbouring edges.
void DrawEdge(QPainter* p, qreal x1, qreal y1, qreal x2, qreal y2, qreal dw1, qreal dw2, Edge edge, const QColor& c) {
  p->save();
  p->setPen(Qt::NoPen);
  p->setBrush(c);
  const qreal width = (edge == kTop || edge == kBottom) ? y2 - y1 : x2 - x1;
  if (width == 1 || (dw1 == 0 && dw2 == 0)) {
    p->drawRect(QRectF(x1, y1, x2 - x1, y2 - y1));
  } else {
    QPolygonF quad;
    switch (edge) {
      case kTop: quad << QPointF(x1, y1) << QPointF(x1 + dw1, y2) << QPointF(x2 - dw2, y2) << QPointF(x2, y1); break;
      case kBottom: quad << QPointF(x1 + dw1, y1) << QPointF(x1, y2) << QPointF(x2, y2) << QPointF(x2 - dw2, y1); break;
      case kLeft: quad << QPointF(x1, y1) << QPointF(x1, y2) << QPointF(x2, y2 - dw2) << QPointF(x2, y1 + dw1); break;
      case kRight: quad << QPointF(x1, y1 + dw1) << QPointF(x1, y2 - dw2) << QPointF(x2, y2) << QPointF(x2, y1); break;
    }
    p->drawConvexPolygon(quad);
  }
  p->restore();
}

}  // namespace

EditBorder EditBorderOf(int border) {
  const QColor grey(0x80, 0x80, 0x80), dark(0x40, 0x40, 0x40), white(Qt::white), black(Qt::black);
  switch (border) {
    case 0: return {0, {}};
    case 1: return {2, {grey, white, white, grey}};
    case 2: return {2, {white, grey, grey, white}};
    case 3: return {1, {grey, white, white, grey}};
    case 4: return {3, {dark, white, white, dark}};
    default: return {1, {black, black, black, black}};
  }
}

void LineEditWidget::SetLook(const Appearance& appearance) {
  border_ = appearance.border;
  QColor background = ColourOf(appearance.backgroundColour);
  background_ = background.isValid() ? background : QColor(Qt::white);
  // A lead byte alone is no character; such a mask shows as '*'.
  unsigned char mask = uint8_t(appearance.passwordChar);
  mask_ = mask >= 0x21 && mask < 0x7F ? int(mask) : int('*');

  // The roles a style sheet's background and colour set, in every colour group.
  setPalette(QPalette());
  QPalette p = palette();
  for (QPalette::ColorRole role : {QPalette::Base, QPalette::Button, QPalette::Window}) p.setColor(role, background_);
  QColor text = ColourOf(appearance.textColour);
  if (text.isValid()) {
    for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text}) p.setColor(role, text);
    QColor placeholder = text;
    placeholder.setAlpha((text.alpha() + 1) / 2);
    p.setColor(QPalette::PlaceholderText, placeholder);
  }
  setPalette(p);
  // The panel fills all of the box.
  setAttribute(Qt::WA_OpaquePaintEvent);
  if (style() != TheEditBoxStyle()) {
    setStyle(TheEditBoxStyle());
  } else {
    // Qt's line edit asks the style for its password character when the style changes.
    QEvent changed(QEvent::StyleChange);
    QApplication::sendEvent(this, &changed);
  }
  update();
}

void LineEditWidget::DrawPanel(QPainter* p, const QRect& rect) const {
  p->fillRect(rect, background_);
  const EditBorder b = EditBorderOf(border_);
  if (b.width == 0) return;
  const QColor* c = b.colours;
  // An edge runs square into a neighbour of its own colour and mitres into one of another.
  auto mitre = [&](Edge e1, Edge e2) { return c[e1] == c[e2] ? 0.0 : qreal(b.width); };
  const QRectF r(rect);
  const qreal w = b.width;
  const bool wasAntialiased = p->renderHints() & QPainter::Antialiasing;
  p->setRenderHint(QPainter::Antialiasing);
  DrawEdge(p, r.x(), r.y() + r.height() - w, r.x() + r.width(), r.y() + r.height(), mitre(kBottom, kLeft),
           mitre(kBottom, kRight), kBottom, c[kBottom]);
  DrawEdge(p, r.x() + r.width() - w, r.y(), r.x() + r.width(), r.y() + r.height(), mitre(kRight, kTop),
           mitre(kRight, kBottom), kRight, c[kRight]);
  DrawEdge(p, r.x(), r.y(), r.x() + w, r.y() + r.height(), mitre(kLeft, kTop), mitre(kLeft, kBottom), kLeft, c[kLeft]);
  DrawEdge(p, r.x(), r.y(), r.x() + r.width(), r.y() + w, mitre(kTop, kLeft), mitre(kTop, kRight), kTop, c[kTop]);
  p->setRenderHint(QPainter::Antialiasing, wasAntialiased);
}

QRect LineEditWidget::TextArea(const QRect& rect) const {
  const int w = EditBorderOf(border_).width;
  return rect.adjusted(w + 1, w, -(w + 1), -w);
}

}  // namespace vorenn::platform
