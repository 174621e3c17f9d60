// A label skips its text where a repaint cannot reach it, and leaves out the frame painter when it
// has no frame. Either must leave every pixel as the plain drawing made it: the reference below is
// the label's drawing before, drawn in full each time.
#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QWidget>

#include <string>
#include <vector>

#include "platform/qt/unit_widgets.h"
#include "tests/platform/qt_test_support.h"

namespace vorenn::platform {
namespace {

class ReferenceLabel final : public CaptionWidget {
 public:
  explicit ReferenceLabel(QWidget* parent) : CaptionWidget(parent) {}

 protected:
  void paintEvent(QPaintEvent* event) override {
    QFrame::paintEvent(event);
    if (caption_.isEmpty()) return;
    QPainter painter(this);
    QRect area = contentsRect();
    painter.setClipRect(area);
    int flags = appearance_.hAlign == 1 ? Qt::AlignHCenter : appearance_.hAlign == 2 ? Qt::AlignRight : Qt::AlignLeft;
    int vertical = appearance_.vAlign == 1 ? Qt::AlignVCenter : appearance_.vAlign == 2 ? Qt::AlignBottom : Qt::AlignTop;
    flags |= appearance_.wordWrap ? int(Qt::AlignTop | Qt::TextWordWrap) : vertical;
    if (!appearance_.literalPrefix) flags |= Qt::TextShowMnemonic;
    QString text = WithQtLineBreaks(caption_);
    if (appearance_.embossed) {
      painter.setPen(Qt::white);
      painter.drawText(area.translated(1, 1), flags, text);
    }
    painter.setPen(TextColour());
    painter.drawText(area, flags, text);
  }
};

// The widget drawn into an image already filled, within `region` only (empty: all of it).
QImage Drawn(QWidget& widget, const QRegion& region) {
  QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(QColor(30, 120, 90));
  widget.render(&image, QPoint(), region.isEmpty() ? QRegion(widget.rect()) : region);
  return image;
}

TEST(QtLabelPixels, PartialRepaintsDrawWhatTheFullDrawingDrew) {
  testing_support::TheQtBackend();
  struct Case {
    const char* name;
    std::string caption;
    Appearance look;
  };
  std::vector<Case> cases;
  Appearance plain;
  cases.push_back({"plain", "+1,234", plain});
  Appearance right = plain;
  right.hAlign = 2;
  right.vAlign = 2;
  right.border = 1;
  right.textColour = 0x0000FF;
  cases.push_back({"right, bottom, sunken", "9,999,999", right});
  Appearance centred = plain;
  centred.hAlign = centred.vAlign = 1;
  centred.embossed = true;
  centred.backgroundColour = 0xC0C0C0;
  cases.push_back({"centred, embossed, own background", "Lv 12", centred});
  Appearance wrapped = plain;
  wrapped.wordWrap = true;
  wrapped.border = 5;
  cases.push_back({"word wrap, line", "a long caption that wraps\r\nand a second line", wrapped});
  Appearance mnemonic = plain;
  mnemonic.literalPrefix = false;
  cases.push_back({"mnemonic", "&Quit", mnemonic});

  // All of it, then thin strips across it in both directions: some meet the text only at its edges.
  std::vector<QRegion> regions = {{}, {20, 5, 100, 30}, {40, 10, 30, 6}};  // and two inside the frames
  for (int x = 0; x < 160; x += 3) regions.push_back(QRect(x, 0, 2, 40));
  for (int y = 0; y < 40; y += 2) regions.push_back(QRect(0, y, 160, 1));
  // Regions of several rectangles: all but the frame's bottom line, an L, two strips apart.
  regions.push_back(QRegion(0, 0, 160, 39) + QRegion(1, 39, 158, 1));
  regions.push_back(QRegion(0, 0, 160, 20) + QRegion(0, 20, 100, 20));
  regions.push_back(QRegion(2, 0, 3, 40) + QRegion(120, 0, 3, 40));
  for (const Case& c : cases) {
    LabelWidget ours(nullptr);
    ReferenceLabel before(nullptr);
    for (CaptionWidget* w : {static_cast<CaptionWidget*>(&ours), static_cast<CaptionWidget*>(&before)}) {
      w->setGeometry(0, 0, 160, 40);
      w->SetAppearance(c.look);
      w->SetCaption(QString::fromUtf8(c.caption.c_str()));
    }
    for (const QRegion& region : regions) {
      QImage a = Drawn(ours, region), b = Drawn(before, region);
      int differing = 0;
      for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) differing += a.pixel(x, y) != b.pixel(x, y);
      QRect box = region.boundingRect();
      EXPECT_EQ(differing, 0) << c.name << " in " << box.x() << "," << box.y() << " " << box.width() << "x"
                              << box.height() << ", " << region.rectCount() << " rectangles";
    }
    // The same look again and a new caption: the cached bounds follow the caption.
    ours.SetAppearance(c.look);
    before.SetAppearance(c.look);
    ours.SetCaption(QStringLiteral("x"));
    before.SetCaption(QStringLiteral("x"));
    EXPECT_EQ(Drawn(ours, QRect(0, 0, 160, 40)), Drawn(before, QRect(0, 0, 160, 40))) << c.name;
  }
}

// A label fills its own colour itself, and is opaque to Qt only while it has one.
TEST(QtLabelPixels, ALabelLosingItsColourShowsWhatLiesBelowIt) {
  testing_support::TheQtBackend();
  QWidget below;
  below.resize(80, 30);
  QPalette green = below.palette();
  green.setColor(QPalette::Window, QColor(0, 200, 0));
  below.setPalette(green);
  below.setAutoFillBackground(true);
  LabelWidget label(&below);
  label.setGeometry(10, 5, 60, 20);
  label.SetCaption(QStringLiteral("7"));
  Appearance coloured;
  coloured.backgroundColour = 0x00336699;
  label.SetAppearance(coloured);
  EXPECT_TRUE(label.testAttribute(Qt::WA_OpaquePaintEvent));
  EXPECT_EQ(Drawn(below, {}).pixel(69, 24), QColor(0x99, 0x66, 0x33).rgb());
  label.SetAppearance(Appearance{});
  EXPECT_FALSE(label.testAttribute(Qt::WA_OpaquePaintEvent));
  EXPECT_EQ(Drawn(below, {}).pixel(69, 24), QColor(0, 200, 0).rgb());
}

// A new caption repaints only the label's contents; that holds if no caption draws a pixel outside
// them, whatever its length, lines, emboss or font, and if the repaint asked for covers the contents.
TEST(QtLabelPixels, ACaptionChangesOnlyTheContents) {
  testing_support::TheQtBackend();
  Appearance boxed;
  boxed.border = 5;
  boxed.hAlign = 2;
  boxed.vAlign = 1;
  Appearance sunkenEmbossed;
  sunkenEmbossed.border = 1;
  sunkenEmbossed.embossed = true;
  sunkenEmbossed.wordWrap = true;
  Appearance raisedBold;
  raisedBold.border = 4;
  raisedBold.hAlign = 1;
  raisedBold.font.assign(60, '\0');
  raisedBold.font[0] = char(-40);  // -40 in four bytes: 40 pixels, far taller than the label
  raisedBold.font[1] = raisedBold.font[2] = raisedBold.font[3] = char(0xFF);
  raisedBold.font[16] = char(0xBC);
  raisedBold.font[17] = char(0x02);  // weight 700
  raisedBold.font[20] = 1;           // italic
  for (const Appearance& look : {boxed, sunkenEmbossed, raisedBold}) {
    LabelWidget label(nullptr);
    label.setGeometry(0, 0, 120, 30);
    label.SetAppearance(look);
    QRegion outside = QRegion(label.rect()).subtracted(label.contentsRect());
    label.SetCaption(QStringLiteral("1"));
    QImage first = Drawn(label, {});
    for (const char* caption : {"9,999,999,999,999,999,999,999", "Wj|gq_\r\nWj|gq_\r\nWj", "&&&&", ""}) {
      label.SetCaption(QString::fromUtf8(caption));
      QImage now = Drawn(label, {});
      int differing = 0;
      for (const QRect& r : outside)
        for (int y = r.top(); y <= r.bottom(); ++y)
          for (int x = r.left(); x <= r.right(); ++x) differing += first.pixel(x, y) != now.pixel(x, y);
      EXPECT_EQ(differing, 0) << caption << " border " << look.border;
    }
  }

  // What a caption change asks Qt to repaint, on a label shown in a window.
  struct PaintRegions final : QObject {
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
      return false;
    }
  } regions;
  QWidget window;
  window.resize(200, 100);
  LabelWidget label(&window);
  label.setGeometry(10, 10, 150, 30);
  label.SetAppearance(boxed);
  label.SetCaption(QStringLiteral("100"));
  window.show();
  testing_support::PumpQt();
  label.installEventFilter(&regions);
  label.SetCaption(QStringLiteral("12,345"));
  testing_support::PumpQt();
  EXPECT_EQ(regions.painted, QRegion(label.contentsRect()));
}

// A line edit repainted where its text area is not draws its panel alone; every pixel must stay as
// Qt's own line edit draws it, styled as the edit boxes are or not styled.
TEST(QtLabelPixels, LineEditsRepaintedAtTheirBorderDrawWhatQtDraws) {
  testing_support::TheQtBackend();
  const QString sheets[] = {
      {},
      QStringLiteral("QLineEdit { padding: 0px 1px; border: 1px solid #000000; color: #808080; background: #ffffff; }"),
      QStringLiteral("QLineEdit { padding: 0px 1px; border: 2px solid; border-color: #808080 #ffffff #ffffff #808080;"
                     " background: #c0c0c0; }"),
  };
  std::vector<QRect> regions = {{}, {0, 0, 1, 1}, {129, 0, 1, 16}, {0, 15, 130, 1}, {0, 0, 2, 16}, {3, 3, 4, 4}};
  for (int x = 0; x < 130; x += 7) regions.push_back({x, 0, 1, 16});
  for (int y = 0; y < 16; ++y) regions.push_back({0, y, 130, 1});
  for (const QString& sheet : sheets) {
    for (const char* text : {"1天2小时3分", "", "a text far longer than the box is wide, scrolled"}) {
      LineEditWidget ours(QString::fromUtf8(text), nullptr);
      QLineEdit qts(QString::fromUtf8(text), nullptr);
      for (QLineEdit* e : {static_cast<QLineEdit*>(&ours), &qts}) {
        e->setStyleSheet(sheet);
        e->setGeometry(0, 0, 130, 16);
        e->setCursorPosition(0);
      }
      for (const QRect& region : regions) {
        EXPECT_EQ(Drawn(ours, region), Drawn(qts, region))
            << text << " in " << region.x() << "," << region.y() << " " << region.width() << "x" << region.height()
            << " with " << sheet.toStdString();
      }
    }
  }
}

}  // namespace
}  // namespace vorenn::platform
