// A single-line edit box with its look tells Qt it is opaque, so that a new text repaints the box
// alone. That is only sound if the box paints every one of its pixels, whatever lies below it, and
// if what the window then shows is what drawing the whole window again would show.
#include <gtest/gtest.h>

#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <map>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "tests/platform/qt_test_support.h"

namespace vorenn::platform {
namespace {

WindowHandle Make(WindowRole role, WindowHandle parent, Rect r, std::string text = {}, uint32_t style = 0) {
  WindowSpec params;
  params.role = role;
  params.parent = parent;
  params.visible = true;
  params.geometry = r;
  params.text = std::move(text);
  params.style = style;
  return Native().CreateNativeWindow(params);
}

// The widget's own drawing over an image filled with `below`: its background is not drawn first.
QImage DrawnOver(QWidget& widget, QColor below) {
  QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(below);
  widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

TEST(QtEditBoxDrawing, EveryLookOfAOneLineBoxPaintsAllOfIt) {
  QtBackend& n = testing_support::TheQtBackend();
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 300, 200});
  n.Show(top, true);
  WindowHandle fresh = Make(WindowRole::EditBox, top, {4, 4, 130, 16}, "12");
  // Qt's own look has rounded corners: without a look of the unit's, the box stays see-through.
  EXPECT_FALSE(n.WidgetOf(fresh)->testAttribute(Qt::WA_OpaquePaintEvent));
  for (int border = 0; border <= 5; ++border) {
    for (uint32_t background : {kDefaultColour, 0x00C0FFEEu}) {
      for (uint32_t style : {uint32_t(0), uint32_t(kStyleReadOnly), uint32_t(kStylePassword)}) {
        for (bool enabled : {true, false}) {
          WindowHandle box = Make(WindowRole::EditBox, top, {4, 30, 129, 16},
                                  "1\xCC\xEC" "2\xD0\xA1\xCA\xB1 a text wider than the box, scrolled", style);
          Appearance look;
          look.border = border;
          look.backgroundColour = background;
          look.textColour = 0x00204080;
          n.SetAppearance(box, look);
          n.Enable(box, enabled);
          testing_support::PumpQt();  // shown and polished
          QWidget* w = n.WidgetOf(box);
          std::string what = "border " + std::to_string(border) + ", style " + std::to_string(style) +
                             (enabled ? "" : ", disabled") + (background == kDefaultColour ? "" : ", own colour");
          EXPECT_TRUE(w->testAttribute(Qt::WA_OpaquePaintEvent)) << what;
          EXPECT_EQ(DrawnOver(*w, Qt::red), DrawnOver(*w, QColor(0, 0, 255, 128))) << what;
          // A second look, over the first.
          look.border = (border + 1) % 6;
          n.SetAppearance(box, look);
          testing_support::PumpQt();
          EXPECT_TRUE(w->testAttribute(Qt::WA_OpaquePaintEvent)) << what;
          EXPECT_EQ(DrawnOver(*w, Qt::red), DrawnOver(*w, Qt::green)) << what << ", then border " << look.border;
          n.DestroyNativeWindow(box);
        }
      }
    }
  }
  // A box given its look while hidden is polished when first shown.
  WindowSpec hidden;
  hidden.role = WindowRole::EditBox;
  hidden.parent = top;
  hidden.geometry = {4, 60, 129, 16};
  WindowHandle later = n.CreateNativeWindow(hidden);
  Appearance look;
  look.border = 5;
  n.SetAppearance(later, look);
  n.Show(later, true);
  testing_support::PumpQt();
  EXPECT_TRUE(n.WidgetOf(later)->testAttribute(Qt::WA_OpaquePaintEvent));
  n.DestroyNativeWindow(top);
  testing_support::PumpQt();
}

// A skill row: a price box above an output box, the time box beside the output box overlapping
// both boxes' right column by a pixel, a button above the time box overlapping its top row; the
// stacking is the template's (the first unit on top). Texts are GBK.
TEST(QtEditBoxDrawing, ANewTextRepaintsTheBoxAloneAndTheWindowShowsWhatAWholeDrawingShows) {
  QtBackend& n = testing_support::TheQtBackend();
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {40, 40, 360, 90});
  WindowHandle panel = Make(WindowRole::Panel, top, {0, 0, 349, 60});
  Appearance boxLook;
  boxLook.border = 5;
  boxLook.backgroundColour = 0x00FFFFFF;
  WindowHandle price = Make(WindowRole::EditBox, panel, {4, 2, 200, 24}, "\xD0\xE8\xD2\xAA:1,234");
  WindowHandle output = Make(WindowRole::EditBox, panel, {4, 25, 200, 16}, "\xB2\xFA\xC1\xBF:56");
  WindowHandle time = Make(WindowRole::EditBox, panel, {203, 25, 129, 16}, "1\xCC\xEC" "2\xD0\xA1\xCA\xB1");
  WindowHandle button = Make(WindowRole::Button, panel, {204, 2, 128, 24}, "Level up (3)");
  for (WindowHandle box : {price, output, time}) n.SetAppearance(box, boxLook);
  n.Show(top, true);
  testing_support::PumpQt();

  struct Paints final : QObject {
    std::map<QObject*, QRegion> painted;
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() == QEvent::Paint) painted[watched] += static_cast<QPaintEvent*>(event)->region();
      return false;
    }
  } paints;
  for (WindowHandle w : {panel, price, output, time, button}) n.WidgetOf(w)->installEventFilter(&paints);
  n.SetText(time, "1\xCC\xEC" "1\xD0\xA1\xCA\xB1" "59");
  testing_support::PumpQt();
  QWidget* timeBox = n.WidgetOf(time);
  EXPECT_FALSE(paints.painted[timeBox].isEmpty());
  // The pixel the boxes above it cover is theirs; the rest of the box is painted.
  EXPECT_EQ(paints.painted[timeBox], QRegion(timeBox->rect()) - QRegion(0, 0, 1, 1) - QRegion(0, 0, 1, 16));
  for (WindowHandle w : {panel, price, output, button})
    EXPECT_TRUE(paints.painted[n.WidgetOf(w)].isEmpty()) << "window " << w << " was repainted";

  // What the window shows after that repaint alone, against the whole window drawn anew.
  QWidget* window = n.WidgetOf(top);
  QImage shown = QGuiApplication::primaryScreen()->grabWindow(window->winId()).toImage();
  QImage whole = window->grab().toImage();
  ASSERT_EQ(shown.size(), whole.size());
  int differing = 0;
  for (int y = 0; y < whole.height(); ++y)
    for (int x = 0; x < whole.width(); ++x) differing += shown.pixel(x, y) != whole.pixel(x, y);
  EXPECT_EQ(differing, 0);
  n.DestroyNativeWindow(top);
  testing_support::PumpQt();
}

}  // namespace
}  // namespace vorenn::platform
