// The peer of the idle client: a bare Qt 6 Widgets program with the game window's two clocks. Every
// second a figure changes and a small label starts rising from its place; every 20 ms the rising
// label moves up one pixel, and at the top of its 14-pixel path it is hidden. What this program
// costs while idle is the toolkit's own floor for the same wake-ups and the same moving text.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(523, 494);
  window.setWindowTitle("idle clocks");
  QLabel total("0", &window);
  total.setGeometry(100, 104, 200, 16);
  QLabel rising(&window);
  rising.hide();
  constexpr int kTop = 104, kEnd = 90;
  long long amount = 0;
  QTimer second, animation;
  QObject::connect(&second, &QTimer::timeout, [&] {
    amount += 12345;
    total.setText(QString::number(amount));
    rising.setText("12345");
    rising.setGeometry(320, kTop, 40, 16);
    rising.show();
  });
  QObject::connect(&animation, &QTimer::timeout, [&] {
    if (rising.y() > kEnd) {
      rising.move(rising.x(), rising.y() - 1);
    } else {
      rising.hide();
    }
  });
  second.start(1000);
  animation.start(20);
  window.show();
  return app.exec();
}
