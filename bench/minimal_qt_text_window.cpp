// The toolkit's floor for a window with text, an informative peer of the client's start-up: a bare
// Qt 6 Widgets window with one label showing the sign-in window's title, in the same face and pixel
// size. Drawing it loads what any text needs (Qt's font database, one face, the shaper); with
// VORENN_FIRST_WINDOW_PROBE set it ends at its first frame, as the client and the empty window do.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QWidget>

#include "platform/qt/first_window_probe.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  vorenn::platform::InstallFirstWindowProbe();
  QWidget window;
  window.resize(362, 219);
  window.setWindowTitle(QStringLiteral("minimal with text"));
  QLabel title(QStringLiteral("Vorenn吧"), &window);
  QFont font(QStringLiteral("WenQuanYi Zen Hei"));
  font.setPixelSize(35);
  title.setFont(font);
  title.setGeometry(90, 10, 200, 50);
  window.show();
  return app.exec();
}
