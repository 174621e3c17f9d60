// Single-line edit boxes on Qt: the unit's look as a style sheet, and the plain drawing of a box
// without the focus. A skill row's time box shows a new text every five seconds; Qt's line edit paints
// it through the style-sheet style, which looks up the sheet's rules for the panel, the contents
// rectangle and the palette on every paint (about half of the paint, the other half being the
// glyphs).
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDropEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionFrame>
#include <QTextLine>

#include <algorithm>

#include "platform/qt/unit_widgets.h"

namespace vorenn::platform {
namespace {

// Sunken edges are dark above and left, light below and right; raised ones the other way round.
QString BorderCss(int border) {
  switch (border) {
    case 0: return QStringLiteral("border: none;");
    case 1: return QStringLiteral("border: 2px solid; border-color: #808080 #ffffff #ffffff #808080;");
    case 2: return QStringLiteral("border: 2px solid; border-color: #ffffff #808080 #808080 #ffffff;");
    case 3: return QStringLiteral("border: 1px solid; border-color: #808080 #ffffff #ffffff #808080;");
    case 4: return QStringLiteral("border: 3px solid; border-color: #404040 #ffffff #ffffff #404040;");
    default: return QStringLiteral("border: 1px solid #000000;");
  }
}

// The border kinds whose sheet is one black line or none: the plain drawing draws those.
bool OneColourBorder(int border) { return border < 1 || border > 4; }

QColor BackgroundOf(const Appearance& look) {
  QColor background = ColourOf(look.backgroundColour);
  return background.isValid() ? background : QColor(Qt::white);
}

// Qt's line edit keeps this much room between its contents rectangle and the text.
constexpr int kTextMargin = 2;

}  // namespace

QString EditBoxSheet(const char* className, const Appearance& look) {
  QString css = QStringLiteral("%1 { padding: 0px 1px; ").arg(QLatin1String(className)) + BorderCss(look.border);
  QColor text = ColourOf(look.textColour);
  if (text.isValid()) css += QStringLiteral(" color: %1;").arg(text.name());
  css += QStringLiteral(" background: %1;").arg(BackgroundOf(look).name());
  // A lead byte alone is no character; such a mask shows as '*'.
  unsigned char mask = uint8_t(look.passwordChar);
  css += QStringLiteral(" lineedit-password-character: %1; }").arg(mask >= 0x21 && mask < 0x7F ? int(mask) : int('*'));
  return css;
}

void LineEditWidget::SetLook(const Appearance& look) {
  hasLook_ = true;
  look_ = look;
  setStyleSheet(EditBoxSheet("QLineEdit", look));
  setAttribute(Qt::WA_OpaquePaintEvent);
}

bool LineEditWidget::event(QEvent* event) {
  bool handled = QLineEdit::event(event);
  // Qt's style-sheet style clears the flag whenever it polishes the box.
  if (hasLook_ && !testAttribute(Qt::WA_OpaquePaintEvent)) setAttribute(Qt::WA_OpaquePaintEvent);
  return handled;
}

void LineEditWidget::dragEnterEvent(QDragEnterEvent* event) {
  dragOver_ = true;
  QLineEdit::dragEnterEvent(event);
}

void LineEditWidget::dragLeaveEvent(QDragLeaveEvent* event) {
  dragOver_ = false;
  QLineEdit::dragLeaveEvent(event);
}

void LineEditWidget::dropEvent(QDropEvent* event) {
  dragOver_ = false;
  QLineEdit::dropEvent(event);
}

void LineEditWidget::paintEvent(QPaintEvent* event) {
  if (DrawsPlainly()) {
    DrawPlainly(event->region().intersects(ContentsRect()));
    return;
  }
  QStyleOptionFrame panel;
  initStyleOption(&panel);
  // Qt clips all it draws after the panel to this rectangle (less the text margins).
  QRect textArea = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this);
  if (event->region().intersects(textArea)) {
    QLineEdit::paintEvent(event);
    return;
  }
  QPainter painter(this);
  style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
}

bool LineEditWidget::DrawsPlainly() {
  // A box with the focus may show a caret or text being composed, and one that something is
  // dragged over shows where it would drop.
  if (!hasLook_ || !OneColourBorder(look_.border) || hasFocus() || dragOver_ || echoMode() != QLineEdit::Normal ||
      !isEnabled() || hasSelectedText() || !inputMask().isEmpty() || !hasFrame() ||
      alignment() != (Qt::AlignLeft | Qt::AlignVCenter) || layoutDirection() != Qt::LeftToRight ||
      !textMargins().isNull()) {
    return false;
  }
  const QString shown = text();
  if (shown.isRightToLeft() || (shown.isEmpty() && !placeholderText().isEmpty())) return false;
  if (layoutText_ != shown || layoutFont_ != font()) {
    layoutText_ = shown;
    layoutFont_ = font();
    QString laidOut = shown;
    // The line control shows control characters and separators as spaces.
    for (QChar& c : laidOut) {
      if ((c.unicode() < 0x20 && c != QChar::Tabulation) || c == QChar::LineSeparator ||
          c == QChar::ParagraphSeparator || c == QChar::ObjectReplacementCharacter) {
        c = QChar(0x20);
      }
    }
    layout_.setFont(layoutFont_);
    layout_.setText(laidOut);
    QTextOption option = layout_.textOption();
    option.setTextDirection(Qt::LeftToRight);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout_.setTextOption(option);
    layout_.setCacheEnabled(true);
    layout_.beginLayout();
    QTextLine line = layout_.createLine();
    layout_.endLayout();
    layoutWidth_ = qRound(line.naturalTextWidth());
    layoutAscent_ = qRound(line.ascent());
    // The line is as high as the font, or as the text's glyphs where they reach further.
    const QFontMetrics metrics(layoutFont_);
    lineHeight_ = std::max(metrics.boundingRect(shown).height(), metrics.height());
  }
  // A text that does not fit is scrolled to the caret: Qt's own drawing keeps that state.
  const QFontMetrics metrics(layoutFont_);
  const int room = TextRect().width();
  return std::max(0, -metrics.minLeftBearing()) + layoutWidth_ + 1 + std::max(0, -metrics.minRightBearing()) <= room;
}

QRect LineEditWidget::ContentsRect() const {
  // The border, then "padding: 0px 1px".
  const int frame = look_.border == 0 ? 0 : 1;
  return rect().adjusted(frame + 1, frame, -frame - 1, -frame);
}

QRect LineEditWidget::TextRect() const {
  const QRect contents = ContentsRect();
  return {contents.x() + kTextMargin, contents.y() + (contents.height() - lineHeight_ + 1) / 2,
          contents.width() - 2 * kTextMargin, lineHeight_};
}

// What QLineEdit::paintEvent draws for such a box, in the same steps: the sheet's background over
// the whole box and its border on top, then the text laid out as its line control lays it out,
// clipped to the contents, one text margin in, centred vertically on the line's height and kept on
// the font's baseline.
void LineEditWidget::DrawPlainly(bool withText) {
  QPainter painter(this);
  // The border's line is one pixel all round; filling is far cheaper than stroking it.
  const QRect contents = ContentsRect();
  if (look_.border != 0) {
    painter.fillRect(rect(), Qt::black);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), BackgroundOf(look_));
  } else {
    painter.fillRect(rect(), BackgroundOf(look_));
  }
  // The text is clipped to the contents: a repaint that misses them needs the panel alone.
  if (!withText) return;
  painter.setClipRect(contents);
  QColor ink = ColourOf(look_.textColour);
  painter.setPen(ink.isValid() ? ink : palette().text().color());
  const QFontMetrics metrics(layoutFont_);
  const QPoint origin = TextRect().topLeft() + QPoint(0, metrics.ascent() - layoutAscent_);
  layout_.draw(&painter, origin, {}, contents);
}

}  // namespace vorenn::platform
