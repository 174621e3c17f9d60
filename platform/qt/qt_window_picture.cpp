// A picture of a top-level window as the user sees it: the client area as Qt draws it, inside a
// frame and caption drawn here (the window manager's own decoration is not Qt's to draw).
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

#include "platform/qt/qt_backend_internal.h"
#include "platform/qt/qt_fonts.h"

namespace vorenn::platform {
namespace {

const QColor kFrameFace(212, 208, 200);
const QColor kFrameLight(255, 255, 255);
const QColor kFrameShadow(128, 128, 128);
const QColor kCaptionStart(10, 36, 106);
const QColor kCaptionEnd(166, 202, 240);

// One caption button: a raised square with its glyph (0 minimize, 1 maximize, 2 close), greyed
// when the window lacks that button.
void DrawCaptionButton(QPainter& p, const QRect& r, int glyph, bool enabled) {
  p.fillRect(r, kFrameFace);
  p.setPen(kFrameLight);
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(kFrameShadow);
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
  const QColor ink = enabled ? QColor(Qt::black) : kFrameShadow;
  p.setPen(QPen(ink, 2));
  QRect g = r.adjusted(4, 4, -4, -4);
  if (glyph == 0) {
    p.drawLine(g.left(), g.bottom(), g.right() - 2, g.bottom());
  } else if (glyph == 1) {
    p.setPen(QPen(ink, 1));
    p.drawRect(g.adjusted(0, 0, -1, -1));
    p.drawLine(g.left(), g.top() + 1, g.right() - 1, g.top() + 1);
  } else {
    p.drawLine(g.topLeft(), g.bottomRight());
    p.drawLine(g.topRight(), g.bottomLeft());
  }
}

void DrawFrame(QPainter& p, const QSize& size, const FrameMargins& m, const QString& title, const Appearance& a) {
  QRect all(QPoint(0, 0), size);
  p.fillRect(all, kFrameFace);
  p.setPen(kFrameLight);
  p.drawLine(1, 1, all.right() - 1, 1);
  p.drawLine(1, 1, 1, all.bottom() - 1);
  p.setPen(kFrameShadow);
  p.drawLine(0, all.bottom(), all.right(), all.bottom());
  p.drawLine(all.right(), 0, all.right(), all.bottom());
  QRect caption(m.left, m.left, size.width() - m.left - m.right, m.top - m.left - 2);
  QLinearGradient gradient(caption.topLeft(), caption.topRight());
  gradient.setColorAt(0, kCaptionStart);
  gradient.setColorAt(1, kCaptionEnd);
  p.fillRect(caption, gradient);
  int buttonSize = caption.height() - 4;
  int x = caption.right() - 1 - buttonSize;
  QRect buttons(x, caption.top() + 2, buttonSize, buttonSize);
  if (a.controlBox) {
    DrawCaptionButton(p, buttons, 2, true);
    if (a.maximizeButton || a.minimizeButton) {
      buttons.translate(-buttonSize - 2, 0);
      DrawCaptionButton(p, buttons, 1, a.maximizeButton);
      buttons.translate(-buttonSize, 0);
      DrawCaptionButton(p, buttons, 0, a.minimizeButton);
    }
  }
  QFont font = DefaultUnitFont();
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  QRect text = caption.adjusted(4, 0, 0, 0);
  text.setRight(buttons.left() - 4);
  p.drawText(text, int(Qt::AlignLeft | Qt::AlignVCenter), QFontMetrics(font).elidedText(title, Qt::ElideRight, text.width()));
}

}  // namespace

bool QtBackend::SaveWindowPicture(WindowHandle w, const std::string& path) {
  Entry* e = Find(w);
  if (e == nullptr || e->role == WindowRole::Engine) return false;
  QPixmap client = e->widget->grab();
  if (e->role != WindowRole::TopLevel) return client.save(QString::fromStdString(path), "PNG");
  FrameMargins m = FrameOf(w);
  QImage picture(QSize(client.width() + m.left + m.right, client.height() + m.top + m.bottom), QImage::Format_RGB32);
  picture.fill(kFrameFace);
  QPainter painter(&picture);
  if (!e->frameless) DrawFrame(painter, picture.size(), m, e->widget->windowTitle(), e->appearance);
  painter.drawPixmap(m.left, m.top, client);
  painter.end();
  return picture.save(QString::fromStdString(path), "PNG");
}

}  // namespace vorenn::platform
