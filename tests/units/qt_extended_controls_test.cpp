// The extended units' controls on the Qt backend (offscreen): list rows and columns behave as on the
// headless backend, and an owner-drawn button's canvas puts pixels where the recorded steps say.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPushButton>
#include <QTreeView>
#include <QWidget>

#include <vector>

#include "platform/backend.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_backend_internal.h"

// fontconfig keeps a cache for the life of the process; that is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

namespace vorenn::platform {
namespace {

class QtExtendedControlsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "qt_extended_controls_test";
    static char* argv[] = {name, nullptr};
    if (!HasBackend() || std::string(Native().Name()) != "qt") InstallQtBackend(argc, argv);
  }
  WindowHandle Make(WindowRole role, WindowHandle parent, Rect geometry, uint32_t style = 0,
                    std::string text = {}) {
    WindowSpec params;
    params.role = role;
    params.parent = parent;
    params.visible = true;
    params.geometry = geometry;
    params.style = style;
    params.text = std::move(text);
    return Native().CreateNativeWindow(params);
  }
  // The top-level widget whose title is `title`, drawn.
  static QImage Grab(const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->windowTitle() == title) return w->grab().toImage();
    return {};
  }
};

TEST_F(QtExtendedControlsTest, ListRowsAndColumnsFollowTheContract) {
  Backend& n = Native();
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 300, 200}, 0, "list");
  WindowHandle list = Make(WindowRole::ListView, top, {0, 0, 300, 200});
  ListSetup setup;
  setup.fullRowSelect = setup.gridLines = setup.singleSelection = true;
  n.SetListSetup(list, setup);
  EXPECT_EQ(n.InsertListColumn(list, 0, {"\xC5\xC5\xC3\xFB", 40, 0, -1, false}), 0);  // GBK "排名"
  EXPECT_EQ(n.InsertListColumn(list, 5, {"b", 100, 0, -1, false}), 1);
  EXPECT_EQ(n.ListColumnCount(list), 2);
  EXPECT_EQ(n.InsertListItem(list, 0, {"1", -1, 0, 0, 0}), 0);
  EXPECT_EQ(n.InsertListItem(list, 9, {"2", -1, 0, 0, 0}), 1);
  EXPECT_EQ(n.InsertListItem(list, 0, {"0", -1, 0, 0, 0}), 0);
  EXPECT_EQ(n.InsertListItem(list, -1, {"x", -1, 0, 0, 0}), -1);
  EXPECT_TRUE(n.SetListItemText(list, 1, 1, "\xC3\xFB"));
  EXPECT_FALSE(n.SetListItemText(list, 3, 1, "no row"));
  EXPECT_FALSE(n.SetListItemText(list, 0, 2, "no column"));
  EXPECT_EQ(n.ListItemText(list, 0, 0), "0");
  EXPECT_EQ(n.ListItemText(list, 1, 0), "1");
  EXPECT_EQ(n.ListItemText(list, 1, 1), "\xC3\xFB");
  n.SetListSelection(list, 2);
  EXPECT_EQ(n.ListSelection(list), 2);
  n.SetListSelection(list, -1);
  EXPECT_EQ(n.ListSelection(list), -1);
  n.DeleteListItems(list);
  EXPECT_EQ(n.ListItemCount(list), 0);
  EXPECT_EQ(n.ListColumnCount(list), 2);
  n.DestroyNativeWindow(top);
}

// The leaderboard's setup: report view, grid lines, full-row selection, white backgrounds.
ListSetup LeaderboardSetup(bool showSelectionAlways) {
  ListSetup setup;
  setup.fullRowSelect = setup.gridLines = setup.singleSelection = true;
  setup.showSelectionAlways = showSelectionAlways;
  return setup;
}

uint32_t Rgb(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }
bool Grey(uint32_t rgb) {
  int r = int(rgb >> 16), g = int((rgb >> 8) & 0xFF), b = int(rgb & 0xFF);
  return r == g && g == b;
}

TEST_F(QtExtendedControlsTest, TheListsBorderIsDrawnAsItsKindSays) {
  Backend& n = Native();
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 200, 160}, 0, "borders");
  WindowHandle list = Make(WindowRole::ListView, top, {20, 20, 120, 80});
  n.SetListSetup(list, LeaderboardSetup(false));
  n.InsertListColumn(list, 0, {"a", 60, 0, -1, false});
  // Left edge, the pixels inward from the outside, at mid height (below the header), and the
  // bottom-right corner's pixel.
  auto edges = [&](int border) {
    Appearance a;
    a.border = border;
    a.backgroundColour = 0xFFFFFF;
    n.SetAppearance(list, a);
    QApplication::processEvents();
    QImage image = Grab("borders");
    std::vector<uint32_t> left;
    for (int x = 20; x < 24; ++x) left.push_back(Rgb(image, x, 80));
    left.push_back(Rgb(image, 139, 99));
    return left;
  };
  constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0;
  std::vector<uint32_t> line = edges(5);
  EXPECT_EQ(line[0], kBlack);  // one black pixel, then the list's white
  EXPECT_EQ(line[1], kWhite);
  EXPECT_EQ(line[4], kBlack);
  std::vector<uint32_t> none = edges(0);
  EXPECT_EQ(none[0], kWhite);
  EXPECT_EQ(none[4], kWhite);
  std::vector<uint32_t> sunken = edges(1);  // two dark lines at the top left, light at the bottom right
  EXPECT_TRUE(Grey(sunken[0]) && sunken[0] < 0xA0A0A0);
  EXPECT_TRUE(Grey(sunken[1]) && sunken[1] < 0xA0A0A0);
  EXPECT_EQ(sunken[2], kWhite);
  EXPECT_GT(sunken[4], 0xC0C0C0u);
  std::vector<uint32_t> shallow = edges(3);  // one dark line
  EXPECT_TRUE(Grey(shallow[0]) && shallow[0] < 0xA0A0A0);
  EXPECT_EQ(shallow[1], kWhite);
  n.DestroyNativeWindow(top);
}

TEST_F(QtExtendedControlsTest, ASelectionShowsWithoutTheFocusOnlyWhenTheListAlwaysShowsIt) {
  Backend& n = Native();
  auto& qt = static_cast<QtBackend&>(n);
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 200, 140}, 0, "selection");
  WindowHandle list = Make(WindowRole::ListView, top, {0, 0, 200, 100});
  WindowHandle edit = Make(WindowRole::EditBox, top, {0, 110, 100, 20});
  n.InsertListColumn(list, 0, {"a", 200, 0, -1, false});
  n.InsertListItem(list, 0, {"row", -1, 0, 0, 0});
  auto* view = static_cast<QTreeView*>(qt.WidgetOf(list));
  qt.WidgetOf(top)->activateWindow();
  // The colour in the selected row, right of its text.
  auto rowColour = [&](bool always, WindowHandle focus) {
    n.SetListSetup(list, LeaderboardSetup(always));
    n.SetListSelection(list, 0);
    n.SetFocus(focus);
    QApplication::processEvents();
    QRect row = view->visualRect(view->model()->index(0, 0));
    QPoint at = view->viewport()->mapTo(qt.WidgetOf(top), row.center() + QPoint(60, 0));
    return Rgb(Grab("selection"), at.x(), at.y());
  };
  ASSERT_EQ(n.ListSelection(list), -1);
  uint32_t focused = rowColour(false, list);
  ASSERT_TRUE(view->hasFocus()) << "the offscreen window did not take the focus";
  EXPECT_NE(focused, 0xFFFFFFu);
  EXPECT_FALSE(Grey(focused));  // the highlight colour
  EXPECT_EQ(rowColour(false, edit), 0xFFFFFFu);  // hidden without the focus
  EXPECT_EQ(rowColour(true, edit), SystemColourOf(SystemColour::ButtonFace) & 0xFFFFFF);
  EXPECT_EQ(rowColour(true, list), focused);
  n.DestroyNativeWindow(top);
}

TEST_F(QtExtendedControlsTest, OwnerDrawnButtonPaintsThroughItsPainterAndTogglesBeforeTheClick) {
  Backend& n = Native();
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 200, 100}, 0, "buttons");
  WindowHandle b = Make(WindowRole::Button, top, {10, 10, 100, 24}, kStyleOwnerDrawn | kStyleToggle, "go");
  ButtonDrawState seen;
  n.SetButtonPainter(b, [&](Canvas& c, const ButtonDrawState& s) {
    seen = s;
    c.FillRect(s.rect, 0x00FF00);
    c.FrameRect(s.rect, 0x000000);
    c.Line(1, 1, 97, 1, 0x0000FF);
    c.Line(98, 1, 98, 22, 0xFF0000);
  });
  QImage image = Grab("buttons");
  ASSERT_FALSE(image.isNull());
  auto at = [&](int x, int y) { return image.pixelColor(10 + x, 10 + y).rgb() & 0xFFFFFF; };
  EXPECT_EQ(seen.rect, (Rect{0, 0, 100, 24}));
  EXPECT_EQ(at(0, 0), 0x000000u);
  EXPECT_EQ(at(99, 23), 0x000000u);
  EXPECT_EQ(at(1, 1), 0xFF0000u);    // 0x0000FF is red in 0x00BBGGRR
  EXPECT_EQ(at(97, 1), 0xFF0000u);   // end points included
  EXPECT_EQ(at(98, 1), 0x0000FFu);   // the blue line starts here
  EXPECT_EQ(at(98, 22), 0x0000FFu);
  EXPECT_EQ(at(50, 12), 0x00FF00u);

  bool checkedAtClick = false;
  n.SetEventSink(b, [&](const WindowEvent& e) {
    if (e.kind == EventKind::Clicked) checkedAtClick = n.IsChecked(b);
    return EventAnswer{};
  });
  n.SetToolTip(b, "tip");
  EXPECT_EQ(n.ToolTip(b), "tip");
  n.SetToolTip(b, "");
  EXPECT_EQ(n.ToolTip(b), "");
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->windowTitle() == "buttons") w->findChild<QPushButton*>()->click();
  EXPECT_TRUE(checkedAtClick);
  EXPECT_TRUE(n.IsChecked(b));
  n.DestroyNativeWindow(top);
}

// A button repainted in part (a neighbour's repaint meeting its border) leaves out the shapes that
// region cannot show; every pixel of the region must be what the whole drawing gives there.
TEST_F(QtExtendedControlsTest, OwnerDrawnButtonRepaintedInPartDrawsWhatTheWholeDrawingDrew) {
  QImage source(6, 4, QImage::Format_RGB32);
  source.fill(Qt::darkCyan);
  source.setPixelColor(2, 1, Qt::yellow);
  QByteArray png;
  {
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    source.save(&buffer, "PNG");
  }
  PictureRef picture = Native().DecodePicture({reinterpret_cast<const uint8_t*>(png.data()), size_t(png.size())});
  ASSERT_NE(picture, nullptr);
  Backend& n = Native();
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 200, 100}, 0, "partial");
  WindowHandle b = Make(WindowRole::Button, top, {10, 10, 128, 24}, kStyleOwnerDrawn);
  n.SetButtonPainter(b, [&](Canvas& c, const ButtonDrawState& s) {
    const Rect& r = s.rect;
    c.FillRect(r, 0xC0C0C0);
    for (int inset : {0, 1}) {  // a raised border of two edges, as the image buttons draw it
      int left = inset, top = inset, right = r.width - 1 - inset, bottom = r.height - 1 - inset;
      c.Line(left, top, right - 1, top, 0xFFFFFF);
      c.Line(left, top, left, bottom - 1, 0xFFFFFF);
      c.Line(left, bottom, right, bottom, 0x404040);
      c.Line(right, top, right, bottom, 0x404040);
    }
    c.FrameRect({5, 5, 20, 14}, 0x0000FF);
    c.DrawPicture(*picture, 8, 8, platform::kDefaultColour, false);
    c.Text({4, 4, r.width - 8, r.height - 8}, "升级(12)√", 0x000000, {}, 1, 1);
    c.FocusRect({3, 3, r.width - 6, r.height - 6});
  });
  QWidget* button = static_cast<QtBackend&>(n).WidgetOf(b);
  ASSERT_NE(button, nullptr);
  const QColor background(30, 120, 90);
  auto drawn = [&](const QRegion& region) {
    QImage image(button->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    button->render(&image, region.boundingRect().topLeft(), region);  // the region stays where it is
    return image;
  };
  const QImage whole = drawn(QRegion(button->rect()));
  std::vector<QRegion> regions;
  for (int y = 0; y < 24; ++y) regions.push_back(QRect(0, y, 128, 1));
  for (int x = 0; x < 128; x += 3) regions.push_back(QRect(x, 0, 1, 24));
  regions.push_back(QRect(0, 0, 1, 1));
  regions.push_back(QRect(127, 23, 1, 1));
  regions.push_back(QRect(9, 9, 2, 2));  // inside the picture only
  regions.push_back(QRegion(0, 23, 128, 1) + QRegion(127, 0, 1, 24));
  for (const QRegion& region : regions) {
    QImage expected(whole.size(), whole.format());
    expected.fill(background);
    for (const QRect& r : region)
      for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) expected.setPixel(x, y, whole.pixel(x, y));
    QImage part = drawn(region);
    int differing = 0;
    QPoint first(-1, -1);
    for (int y = 0; y < part.height(); ++y)
      for (int x = 0; x < part.width(); ++x)
        if (part.pixel(x, y) != expected.pixel(x, y) && differing++ == 0) first = QPoint(x, y);
    QRect box = region.boundingRect();
    EXPECT_EQ(differing, 0) << box.x() << "," << box.y() << " " << box.width() << "x" << box.height() << ", first at "
                            << first.x() << "," << first.y();
  }
  n.DestroyNativeWindow(top);
}

TEST_F(QtExtendedControlsTest, PicturesDecodeFromFileBytesOnly) {
  QImage source(16, 8, QImage::Format_RGB32);
  source.fill(Qt::red);
  QByteArray png;
  {
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    source.save(&buffer, "PNG");
  }
  PictureRef picture = Native().DecodePicture({reinterpret_cast<const uint8_t*>(png.data()), size_t(png.size())});
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), 16);
  EXPECT_EQ(picture->Height(), 8);
  const uint8_t text[] = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'};
  EXPECT_EQ(Native().DecodePicture(text), nullptr);
}

TEST_F(QtExtendedControlsTest, PicturesLeaveTheirTransparentColourOut) {
  QImage source(4, 2, QImage::Format_RGB32);
  source.fill(Qt::red);
  source.setPixelColor(3, 1, Qt::blue);
  QByteArray bmp;
  {
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    source.save(&buffer, "BMP");
  }
  PictureRef picture = Native().DecodePicture({reinterpret_cast<const uint8_t*>(bmp.data()), size_t(bmp.size())});
  ASSERT_NE(picture, nullptr);
  Backend& n = Native();
  WindowHandle top = Make(WindowRole::TopLevel, kNoWindow, {0, 0, 100, 60}, 0, "picture");
  WindowHandle b = Make(WindowRole::Button, top, {0, 0, 40, 20}, kStyleOwnerDrawn);
  n.SetButtonPainter(b, [&](Canvas& c, const ButtonDrawState& s) {
    c.FillRect(s.rect, 0x00FF00);
    c.DrawPicture(*picture, 2, 3, /*transparent=*/0x0000FF, false);
  });
  QImage image = Grab("picture");
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.pixelColor(2, 3).rgb() & 0xFFFFFF, 0x00FF00u);  // red left out
  EXPECT_EQ(image.pixelColor(5, 4).rgb() & 0xFFFFFF, 0x0000FFu);  // blue kept
  n.DestroyNativeWindow(top);
}

}  // namespace
}  // namespace vorenn::platform
