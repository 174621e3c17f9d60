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

}  // namespace
}  // namespace vorenn::platform
