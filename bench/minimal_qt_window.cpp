// The peer of the client's start-up figures: a Qt 6 Widgets program that opens one empty window
// and does nothing else. With VORENN_FIRST_WINDOW_PROBE set it ends at its first frame, as the
// client does, so both are measured the same way (bench/startup_bench.cpp).
#include <QApplication>
#include <QWidget>

#include "platform/qt/first_window_probe.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  vorenn::platform::InstallFirstWindowProbe();
  QWidget window;
  window.resize(400, 300);
  window.setWindowTitle("minimal");
  window.show();
  return app.exec();
}
