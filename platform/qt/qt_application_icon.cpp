#include "platform/qt/qt_application_icon.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

namespace vorenn::platform {

bool SetQtApplicationIcon(std::span<const uint8_t> iconFile, const std::string& desktopName) {
  if (QCoreApplication::instance() == nullptr) return false;
  QGuiApplication::setDesktopFileName(QString::fromStdString(desktopName));
  QPixmap pixmap;
  if (iconFile.empty() || !pixmap.loadFromData(iconFile.data(), uint(iconFile.size()))) return false;
  QApplication::setWindowIcon(QIcon(pixmap));
  return true;
}

}  // namespace vorenn::platform
