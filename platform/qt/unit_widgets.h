// The widgets that draw the standard units the way their templates describe them: labels and group
// boxes that draw their own caption, panels with the unit border kinds, and push buttons with
// aligned captions. Edit boxes and scroll bars are Qt's own, styled by qt_unit_windows.cpp (a
// multi-line box) and line_edit_look.cpp (a single-line box, which also leaves out its text where a
// repaint cannot reach it).
#pragma once

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>

#include "platform/native_window.h"

namespace vorenn::platform {

// A 0x00BBGGRR colour; kDefaultColour gives an invalid QColor (the widget's own colour).
QColor ColourOf(uint32_t colour);

// Unit border kinds 0-5 (none, sunken, raised frame, shallow sunken, sunken with frame, single
// line) as a frame's shape, shadow and line width.
void ApplyBorder(QFrame* frame, int border);

// An edit box's border kind (0-5, as above) as a width and the colours of its top, right, bottom
// and left edges: sunken edges are dark above and left, light below and right.
struct EditBorder {
  int width;
  QColor colours[4];
};
EditBorder EditBorderOf(int border);

// Windows line breaks as Qt draws them.
QString WithQtLineBreaks(QString text);

// A widget with a caption it draws itself and the unit's appearance (labels, group boxes).
class CaptionWidget : public QFrame {
 public:
  explicit CaptionWidget(QWidget* parent) : QFrame(parent) {}
  void SetCaption(const QString& caption);
  const QString& Caption() const { return caption_; }
  // Colours, border, font, alignment and effects; fields that do not apply are ignored.
  virtual void SetAppearance(const Appearance& appearance);

 protected:
  QColor TextColour() const;
  // Where a new caption can change pixels: all of the widget unless its drawing keeps the caption
  // inside a part of it.
  virtual QRect CaptionArea() const { return rect(); }
  QString caption_;
  Appearance appearance_;
  bool lookApplied_ = false;
};

// A label: the caption aligned in the client area, optionally word-wrapped, embossed (drawn once
// in white one pixel down and right first), with '&' shown as it is.
class LabelWidget final : public CaptionWidget {
 public:
  explicit LabelWidget(QWidget* parent) : CaptionWidget(parent) {}
  void SetAppearance(const Appearance& appearance) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  // The caption is clipped to the contents: a new one leaves the frame as it is.
  QRect CaptionArea() const override { return contentsRect(); }

 private:
  // Where the caption's pixels can be, worked out again only when the caption, the area, the
  // drawing flags or the font changed since the last paint.
  QRect TextBounds(const QRect& area, int flags);
  QString boundsCaption_;
  QRect boundsArea_;
  int boundsFlags_ = 0;
  QFont boundsFont_;
  QRect bounds_;
  bool ownBackground_ = false;
};

// A group box: an etched frame whose top line carries the caption, aligned left, centred or right;
// opaque, so that it hides what lies below it.
class GroupBoxWidget final : public CaptionWidget {
 public:
  explicit GroupBoxWidget(QWidget* parent) : CaptionWidget(parent) { setAutoFillBackground(true); }
  void SetAppearance(const Appearance& appearance) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A push button whose caption is aligned horizontally and vertically in the button face.
class ButtonWidget final : public QPushButton {
 public:
  ButtonWidget(const QString& text, QWidget* parent) : QPushButton(text, parent) {}
  void SetAlignment(int hAlign, int vAlign);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Qt::Alignment alignment_ = Qt::AlignCenter;
};

// Qt's line edit, except that a repaint which misses its text area (an overlapping neighbour's
// repaint reaching its border) draws only the panel: the text is clipped to that area anyway.
// Its look (background, text colour, border kind, padding of one pixel left and right, password
// character) is drawn through a shared proxy of the application's style rather than a style sheet,
// pixel for pixel as the style sheet drew it, which spares Qt's style-sheet engine at start-up.
// With its look, the panel fills the whole box, so the box tells Qt it is opaque: a new text then
// repaints the box alone, not its container and the neighbours overlapping its border.
class LineEditWidget final : public QLineEdit {
 public:
  LineEditWidget(const QString& text, QWidget* parent) : QLineEdit(text, parent) {}
  // Applies the appearance's colours, border and password character.
  void SetLook(const Appearance& appearance);

  // For the style: the panel drawn in `rect`, the text area within it, the password character.
  void DrawPanel(QPainter* painter, const QRect& rect) const;
  QRect TextArea(const QRect& rect) const;
  int PasswordCharacter() const { return mask_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int border_ = -1;  // before SetLook: Qt's own panel
  QColor background_;
  int mask_ = '*';
};

// Qt's multi-line editor, whose look is a style sheet. A box hidden on purpose takes its style sheet
// when it is first shown: a style sheet brings in Qt's style-sheet engine, which a window that
// never shows the box (the sign-in window has one) does not need. The backend reads only its text
// and selection, which the look does not change.
class MultiLineEditWidget final : public QPlainTextEdit {
 public:
  MultiLineEditWidget(const QString& text, QWidget* parent) : QPlainTextEdit(text, parent) {}
  void SetLook(const QString& styleSheet);
  void setVisible(bool visible) override;

 private:
  QString waitingLook_;
};

}  // namespace vorenn::platform
