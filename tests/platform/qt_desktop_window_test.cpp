// The program's window on a desktop: it carries the program's icon, and a window taller or wider
// than the screen's free area is fitted into it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/qt/qt_application_icon.h"
#include "platform/screen_fit.h"
#include "tests/platform/qt_test_support.h"

namespace vorenn::platform {
namespace {

// A 32x32 PNG, drawn here: one colour, so the test can tell it from the toolkit's own icon.
std::vector<uint8_t> PngBytes() {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(QColor(16, 120, 84));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return {bytes.begin(), bytes.end()};
}

class QtDesktopWindow : public testing::Test {
 protected:
  static void SetUpTestSuite() { testing_support::TheQtBackend(); }
  QtBackend& Qt() { return testing_support::TheQtBackend(); }
  WindowHandle MakeTop(Rect geometry) {
    WindowSpec params;
    params.role = WindowRole::TopLevel;
    params.visible = true;
    params.geometry = geometry;
    return Native().CreateNativeWindow(params);
  }
};

TEST_F(QtDesktopWindow, WindowsCarryTheProgramsIcon) {
  std::vector<uint8_t> png = PngBytes();
  EXPECT_FALSE(SetQtApplicationIcon({png.data(), 10}, "vorenn"));  // cut short: no image
  ASSERT_TRUE(SetQtApplicationIcon(png, "vorenn"));
  EXPECT_EQ(QGuiApplication::desktopFileName(), "vorenn");
  WindowHandle top = MakeTop({10, 10, 200, 100});
  QWidget* widget = Qt().WidgetOf(top);
  ASSERT_NE(widget, nullptr);
  QImage shown = widget->windowIcon().pixmap(32, 32).toImage();
  ASSERT_FALSE(shown.isNull());
  EXPECT_EQ(shown.pixelColor(16, 16), QColor(16, 120, 84));
  Native().DestroyNativeWindow(top);
}

TEST_F(QtDesktopWindow, TheProgramsOwnIconFileIsReadable) {
  // The built-in icon is an icon file; Qt reads it through an image plug-in that must be there.
  std::ifstream in(VORENN_ICON_PATH, std::ios::binary);
  std::vector<uint8_t> ico((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(ico.size(), 16958u);
  ASSERT_TRUE(SetQtApplicationIcon(ico, "vorenn"));
  EXPECT_EQ(QApplication::windowIcon().availableSizes().value(0), QSize(64, 64));
}

TEST(ScreenFit, OnlyWhatExceedsTheAreaChanges) {
  const Rect area{0, 30, 800, 570};
  EXPECT_EQ(FitToArea({50, 50, 370, 303}, area), (Rect{50, 50, 370, 303}));  // fits: untouched
  EXPECT_EQ(FitToArea({50, 50, 370, 600}, area), (Rect{50, 30, 370, 570}));
  EXPECT_EQ(FitToArea({50, 50, 900, 200}, area), (Rect{0, 50, 800, 200}));
  EXPECT_EQ(FitToArea({50, 50, 370, 570}, area), (Rect{50, 50, 370, 570}));  // exactly as tall
  EXPECT_EQ(FitToArea({50, 50, 370, 600}, Rect{}), (Rect{50, 50, 370, 600}));  // no screen
}

// Run once as the screen is and once more at another scale factor (tests/platform/CMakeLists.txt):
// the area is in device-independent pixels either way.
TEST_F(QtDesktopWindow, AWindowTallerThanTheScreenIsFittedAndTheProgramHearsOfIt) {
  Backend& n = Native();
  const Rect area = n.ScreenArea();
  ASSERT_GT(area.height, 100);
  WindowHandle top = MakeTop({area.left + 10, area.top + 20, 200, area.height + 150});
  EXPECT_EQ(n.Geometry(top), (Rect{area.left + 10, area.top, 200, area.height}));
  int resized = 0;
  n.SetEventSink(top, [&resized](const WindowEvent& e) {
    if (e.kind == EventKind::Resized) ++resized;
    return EventAnswer{};
  });
  // The program lays out what it reads back; asking for the same height again changes nothing.
  n.SetGeometry(top, {area.left + 10, area.top + 20, 200, 120});
  EXPECT_EQ(n.Geometry(top), (Rect{area.left + 10, area.top + 20, 200, 120}));
  EXPECT_EQ(resized, 1);
  n.SetGeometry(top, {area.left + 10, area.top + 20, 200, area.height * 2});
  EXPECT_EQ(n.Geometry(top), (Rect{area.left + 10, area.top, 200, area.height}));
  EXPECT_EQ(resized, 2);
  n.SetGeometry(top, {area.left + 10, area.top, 200, area.height + 1});
  EXPECT_EQ(resized, 2);
  // The widget's frame lies inside the area too.
  QRect inner = Qt().WidgetOf(top)->geometry();
  EXPECT_LE(inner.bottom(), area.top + area.height - 1);
  n.DestroyNativeWindow(top);
}

}  // namespace
}  // namespace vorenn::platform
