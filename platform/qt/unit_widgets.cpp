#include "platform/qt/unit_widgets.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QStylePainter>

#include <optional>

#include "platform/qt/qt_fonts.h"

namespace vorenn::platform {
namespace {

Qt::Alignment HorizontalOf(int hAlign) {
  return hAlign == 1 ? Qt::AlignHCenter : hAlign == 2 ? Qt::AlignRight : Qt::AlignLeft;
}

Qt::Alignment VerticalOf(int vAlign) {
  return vAlign == 1 ? Qt::AlignVCenter : vAlign == 2 ? Qt::AlignBottom : Qt::AlignTop;
}

const QColor kEtchShadow(160, 160, 160);
const QColor kEtchLight(255, 255, 255);

// A paint region within a rectangle, and one covering it, told without building regions where the
// bounding rectangle answers exactly: a label's paint asks both on every one-pixel step of a
// figure rising over it.
bool RegionInside(const QRegion& region, const QRect& rect) {
  return region.isEmpty() || rect.contains(region.boundingRect());
}

bool RegionCovers(const QRegion& region, const QRect& rect) {
  if (rect.isEmpty()) return true;
  if (region.rectCount() == 1) return region.boundingRect().contains(rect);
  return QRegion(rect).subtracted(region).isEmpty();
}

}  // namespace

QColor ColourOf(uint32_t colour) {
  if (colour == kDefaultColour) return {};
  return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

void ApplyBorder(QFrame* frame, int border) {
  switch (border) {
    case 1: frame->setFrameStyle(QFrame::WinPanel | QFrame::Sunken); break;
    case 2: frame->setFrameStyle(QFrame::WinPanel | QFrame::Raised); break;
    case 3:
      frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      frame->setLineWidth(1);
      break;
    case 4:
      frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      frame->setLineWidth(3);
      break;
    case 5:
      frame->setFrameStyle(QFrame::Box | QFrame::Plain);
      frame->setLineWidth(1);
      break;
    default: frame->setFrameStyle(QFrame::NoFrame); break;
  }
}

QString WithQtLineBreaks(QString text) {
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return text;
}

void CaptionWidget::SetCaption(const QString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  // A label whose figure changes every second would otherwise repaint its frame with it.
  update(CaptionArea());
}

void CaptionWidget::SetAppearance(const Appearance& appearance) {
  // The same look again changes nothing, but would still re-resolve the font and repaint.
  if (lookApplied_ && appearance == appearance_) return;
  lookApplied_ = true;
  appearance_ = appearance;
  ApplyBorder(this, appearance.border);
  QPalette palette = this->palette();
  QColor background = ColourOf(appearance.backgroundColour);
  // A unit without its own background shows its container's.
  setAutoFillBackground(background.isValid());
  if (background.isValid()) palette.setColor(QPalette::Window, background);
  // Plain borders are drawn in the frame colour, not the text colour.
  palette.setColor(QPalette::WindowText, Qt::black);
  setPalette(palette);
  setFont(FontOfRecord(appearance.font));
  update();
}

QColor CaptionWidget::TextColour() const {
  QColor c = ColourOf(appearance_.textColour);
  if (!c.isValid()) c = Qt::black;
  return isEnabled() ? c : QColor(109, 109, 109);
}

void LabelWidget::SetAppearance(const Appearance& appearance) {
  CaptionWidget::SetAppearance(appearance);
  // A label in a colour of its own fills its rectangle in its paint rather than through Qt's
  // background filling, which sets up a painter of its own before the label's: one painter instead
  // of two for every new caption. Qt still counts the label as opaque.
  ownBackground_ = ColourOf(appearance.backgroundColour).isValid();
  setAutoFillBackground(false);
  setAttribute(Qt::WA_OpaquePaintEvent, ownBackground_);
}

void LabelWidget::paintEvent(QPaintEvent* event) {
  std::optional<QPainter> painter;
  auto paint = [&]() -> QPainter& {
    if (!painter) painter.emplace(this);
    return *painter;
  };
  // As Qt fills a background: each rectangle of the region repainted.
  if (ownBackground_) {
    const QBrush& brush = palette().brush(backgroundRole());
    for (const QRect& r : event->region()) paint().fillRect(r, brush);
  }
  // The frame lies outside the contents: a frame without a shape, or a repaint inside the contents,
  // needs none of it (its style would still be set up for it).
  if (frameStyle() != QFrame::NoFrame && !RegionInside(event->region(), contentsRect())) drawFrame(&paint());
  if (caption_.isEmpty()) return;
  QRect area = contentsRect();
  int flags = int(HorizontalOf(appearance_.hAlign));
  flags |= appearance_.wordWrap ? int(Qt::AlignTop | Qt::TextWordWrap) : int(VerticalOf(appearance_.vAlign));
  if (!appearance_.literalPrefix) flags |= Qt::TextShowMnemonic;
  // A label is repainted where a figure rising over it passed; laying its text out again costs more
  // than all the rest of the paint, and is skipped when no pixel of the text lies in that region.
  // A repaint covering the whole contents (a new caption, a first paint) draws the text without
  // that test: the text is clipped to the contents in any case.
  bool allOfIt = RegionCovers(event->region(), area);
  if (!allOfIt && !event->region().intersects(TextBounds(area, flags))) return;
  QPainter& p = paint();
  p.setClipRect(area);
  QString text = WithQtLineBreaks(caption_);
  if (appearance_.embossed) {
    p.setPen(Qt::white);
    p.drawText(area.translated(1, 1), flags, text);
  }
  p.setPen(TextColour());
  p.drawText(area, flags, text);
}

QRect LabelWidget::TextBounds(const QRect& area, int flags) {
  if (boundsCaption_ != caption_ || boundsArea_ != area || boundsFlags_ != flags || boundsFont_ != font()) {
    boundsCaption_ = caption_;
    boundsArea_ = area;
    boundsFlags_ = flags;
    boundsFont_ = font();
    QFontMetrics metrics(boundsFont_);
    // Glyphs may reach past their advance (italics, antialiasing); the embossed copy is one pixel
    // further down and right.
    int room = metrics.height() / 2 + 2;
    bounds_ = metrics.boundingRect(area, flags, WithQtLineBreaks(caption_)).adjusted(-room, -room, room + 1, room + 1);
  }
  return bounds_;
}

void GroupBoxWidget::SetAppearance(const Appearance& appearance) {
  CaptionWidget::SetAppearance(appearance);
  // The etched frame is drawn here; a border kind does not apply to a group box.
  setFrameStyle(QFrame::NoFrame);
  // A group box covers what lies below it (another group shown in the same place), in its own
  // colour or its container's.
  setAutoFillBackground(true);
}

void GroupBoxWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QFontMetrics metrics(font());
  int lineY = metrics.height() / 2;
  QRect box(0, lineY, width() - 2, height() - lineY - 2);
  painter.setPen(kEtchShadow);
  painter.drawRect(box);
  painter.setPen(kEtchLight);
  painter.drawRect(box.translated(1, 1));
  if (caption_.isEmpty()) return;
  const int inset = 8, pad = 2;
  QString text = WithQtLineBreaks(caption_).split('\n').first();
  int textWidth = std::min(metrics.horizontalAdvance(text), std::max(0, width() - 2 * inset - 2 * pad));
  int x = appearance_.hAlign == 1   ? (width() - textWidth) / 2
          : appearance_.hAlign == 2 ? width() - inset - pad - textWidth
                                    : inset + pad;
  QRect textRect(x, 0, textWidth, metrics.height());
  // The caption interrupts the frame line.
  painter.fillRect(textRect.adjusted(-pad, 0, pad, 0), palette().color(QPalette::Window));
  painter.setPen(TextColour());
  painter.drawText(textRect, int(Qt::AlignLeft | Qt::AlignVCenter), metrics.elidedText(text, Qt::ElideRight, textWidth));
}

void ButtonWidget::SetAlignment(int hAlign, int vAlign) {
  Qt::Alignment a = HorizontalOf(hAlign) | VerticalOf(vAlign);
  if (a == alignment_) return;
  alignment_ = a;
  update();
}

void ButtonWidget::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  QString text = option.text;
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);
  QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(2, 1, -2, -1);
  // A pressed button's caption moves with its face.
  if (isDown() || isChecked()) area.translate(1, 1);
  painter.drawItemText(area, int(alignment_) | Qt::TextShowMnemonic, option.palette, isEnabled(), text,
                       QPalette::ButtonText);
}

void LineEditWidget::paintEvent(QPaintEvent* event) {
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

void MultiLineEditWidget::SetLook(const QString& styleSheet) {
  if (isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide)) {
    waitingLook_ = styleSheet;
    return;
  }
  waitingLook_.clear();
  setStyleSheet(styleSheet);
}

void MultiLineEditWidget::setVisible(bool visible) {
  if (visible && !waitingLook_.isEmpty()) {
    setStyleSheet(waitingLook_);
    waitingLook_.clear();
  }
  QPlainTextEdit::setVisible(visible);
}

}  // namespace vorenn::platform
