// The widgets that draw the standard units the way their templates describe them: labels and group
// boxes that draw their own caption, panels with the unit border kinds, and push buttons with
// aligned captions. Edit boxes are Qt's own with a style sheet (line_edit_widget.cpp); scroll bars
// are Qt's own.
#pragma once

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTextLayout>

#include "platform/native_window.h"

namespace vorenn::platform {

// A 0x00BBGGRR colour; kDefaultColour gives an invalid QColor (the widget's own colour).
QColor ColourOf(uint32_t colour);

// Unit border kinds 0-5 (none, sunken, raised frame, shallow sunken, sunken with frame, single
// line) as a frame's shape, shadow and line width.
void ApplyBorder(QFrame* frame, int border);

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

// An edit box's look as a style sheet for a widget of class `className` (QLineEdit,
// QPlainTextEdit): Qt draws its frame, colours and password character from it. Every such sheet
// gives the box a background colour and a solid border or none.
QString EditBoxSheet(const char* className, const Appearance& look);

// Qt's line edit with the unit's look, told to Qt as opaque: the look's sheet paints every pixel of
// the box, so a new text repaints the box alone, not its container and the neighbours overlapping
// its border. A repaint which misses its text area (such a neighbour's repaint reaching its border)
// draws only the panel: the text is clipped to that area anyway. A box without the focus or a drag
// over it, showing all of a left-aligned text, nothing selected, in a one-colour border is drawn
// here, as Qt draws it but without the style sheet's look-ups on every paint.
class LineEditWidget final : public QLineEdit {
 public:
  LineEditWidget(const QString& text, QWidget* parent) : QLineEdit(text, parent) {}
  void SetLook(const Appearance& look);
  // Whether a paint of the text draws the box here rather than through Qt's line edit.
  bool DrawsPlainly();

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QRect ContentsRect() const;
  QRect TextRect() const;  // the line the text is drawn in
  void DrawPlainly(bool withText);
  bool hasLook_ = false;
  bool dragOver_ = false;
  Appearance look_;
  // The text laid out as Qt's line control lays it out, for the plain drawing.
  QTextLayout layout_;
  QString layoutText_;
  QFont layoutFont_;
  int layoutWidth_ = 0;
  int layoutAscent_ = 0;
  int lineHeight_ = 0;
};

}  // namespace vorenn::platform
