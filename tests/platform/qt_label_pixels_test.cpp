// A label skips its text where a repaint cannot reach it, and leaves out the frame painter when it
// has no frame. Either must leave every pixel as the plain drawing made it: the reference below is
// the label's drawing before, drawn in full each time.
#include <gtest/gtest.h>

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

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
  std::vector<QRect> regions = {{}, {20, 5, 100, 30}, {40, 10, 30, 6}};  // and two inside the frames
  for (int x = 0; x < 160; x += 3) regions.push_back({x, 0, 2, 40});
  for (int y = 0; y < 40; y += 2) regions.push_back({0, y, 160, 1});
  for (const Case& c : cases) {
    LabelWidget ours(nullptr);
    ReferenceLabel before(nullptr);
    for (CaptionWidget* w : {static_cast<CaptionWidget*>(&ours), static_cast<CaptionWidget*>(&before)}) {
      w->setGeometry(0, 0, 160, 40);
      w->SetAppearance(c.look);
      w->SetCaption(QString::fromUtf8(c.caption.c_str()));
    }
    for (const QRect& region : regions) {
      QImage a = Drawn(ours, region), b = Drawn(before, region);
      int differing = 0;
      for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) differing += a.pixel(x, y) != b.pixel(x, y);
      EXPECT_EQ(differing, 0) << c.name << " in " << region.x() << "," << region.y() << " " << region.width() << "x"
                              << region.height();
    }
    // The same look again and a new caption: the cached bounds follow the caption.
    ours.SetAppearance(c.look);
    before.SetAppearance(c.look);
    ours.SetCaption(QStringLiteral("x"));
    before.SetCaption(QStringLiteral("x"));
    EXPECT_EQ(Drawn(ours, QRect(0, 0, 160, 40)), Drawn(before, QRect(0, 0, 160, 40))) << c.name;
  }
}

}  // namespace
}  // namespace vorenn::platform
