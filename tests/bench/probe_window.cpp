// A window for the first-window hook's tests: shows one widget with the hook installed. With
// --quit-after MS it also ends by itself with status 7 after MS milliseconds, which only happens
// when the hook did not end it first.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <cstring>

#include "platform/qt/first_window_probe.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  vorenn::platform::InstallFirstWindowProbe();
  if (argc == 3 && std::strcmp(argv[1], "--quit-after") == 0)
    QTimer::singleShot(std::atoi(argv[2]), [] { std::_Exit(7); });
  QWidget window;
  window.resize(200, 100);
  window.show();
  return app.exec();
}
