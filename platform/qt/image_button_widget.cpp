// Owner-drawn buttons on Qt: a push button whose every paint request goes to the unit's painter on
// a canvas over QPainter; tool tips; pictures decoded with QImage.
#include <QEnterEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>

#include "platform/gbk_text.h"
#include "platform/qt/qt_backend_internal.h"
#include "platform/qt/qt_fonts.h"

namespace vorenn::platform {
namespace {

QString FromGbk(std::string_view gbk) { return QString::fromStdString(GbkToUtf8(gbk)); }
std::string ToGbk(const QString& s) { return Utf8ToGbk(s.toStdString()); }
QColor RgbOf(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

class QtPicture final : public Picture {
 public:
  explicit QtPicture(QImage image) : image_(std::move(image)) {}
  int Width() const override { return image_.width(); }
  int Height() const override { return image_.height(); }
  const QImage& Image() const { return image_; }

 private:
  QImage image_;
};

// Draws on a button's paint event. A neighbour's repaint often reaches only a button's border:
// the shapes whose pixels cannot meet the region repainted are left out (each line sets up a pen
// and a stroke, each picture is converted first). Text is always drawn: its glyphs may reach past
// the rectangle it is aligned in.
class PainterCanvas final : public Canvas {
 public:
  PainterCanvas(QPainter& p, const QRegion& region) : p_(p), region_(region) {}

  void FillRect(const Rect& r, uint32_t colour) override {
    QRect box(r.left, r.top, r.width, r.height);
    if (region_.intersects(box)) p_.fillRect(box, RgbOf(colour));
  }
  void FrameRect(const Rect& r, uint32_t colour) override {
    if (r.width <= 0 || r.height <= 0 || !region_.intersects(QRect(r.left, r.top, r.width, r.height))) return;
    p_.setPen(QPen(RgbOf(colour), 0));
    p_.setBrush(Qt::NoBrush);
    p_.drawRect(r.left, r.top, r.width - 1, r.height - 1);
  }
  void Line(int x1, int y1, int x2, int y2, uint32_t colour) override {
    // A one-pixel line's pixels lie between its end points.
    if (!region_.intersects(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2)))))
      return;
    p_.setPen(QPen(RgbOf(colour), 0));
    p_.drawLine(x1, y1, x2, y2);
  }
  void FocusRect(const Rect& r) override {
    if (r.width <= 0 || r.height <= 0 || !region_.intersects(QRect(r.left, r.top, r.width, r.height))) return;
    p_.setPen(QPen(Qt::black, 0, Qt::DotLine));
    p_.setBrush(Qt::NoBrush);
    p_.drawRect(r.left, r.top, r.width - 1, r.height - 1);
  }
  void Text(const Rect& r, std::string_view gbk, uint32_t colour, const std::string& font, int hAlign,
            int vAlign) override {
    Qt::Alignment a = hAlign == 0 ? Qt::AlignLeft : hAlign == 2 ? Qt::AlignRight : Qt::AlignHCenter;
    a |= vAlign == 0 ? Qt::AlignTop : vAlign == 2 ? Qt::AlignBottom : Qt::AlignVCenter;
    p_.setFont(FontOfRecord(font));
    p_.setPen(RgbOf(colour));
    p_.drawText(QRect(r.left, r.top, r.width, r.height), int(a) | Qt::TextSingleLine, FromGbk(gbk));
  }
  void DrawPicture(const Picture& picture, int x, int y, uint32_t transparent, bool greyed) override {
    const auto* qp = dynamic_cast<const QtPicture*>(&picture);
    if (qp == nullptr || !region_.intersects(QRect(QPoint(x, y), qp->Image().size()))) return;
    QImage image = qp->Image().convertToFormat(QImage::Format_ARGB32);
    if (transparent != kDefaultColour) {
      QRgb key = RgbOf(transparent).rgb();
      for (int row = 0; row < image.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int col = 0; col < image.width(); ++col)
          if ((line[col] & 0xFFFFFF) == (key & 0xFFFFFF)) line[col] = 0;
      }
    }
    if (greyed) {
      QImage grey = image.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_ARGB32);
      grey.setAlphaChannel(image.convertToFormat(QImage::Format_Alpha8));
      image = grey;
    }
    p_.drawImage(x, y, image);
  }

 private:
  QPainter& p_;
  const QRegion& region_;
};

class OwnerDrawnButton final : public QPushButton {
 public:
  OwnerDrawnButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAttribute(Qt::WA_Hover);
  }

  ButtonPainter painter;

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter p(this);
    if (!painter) {
      p.fillRect(rect(), RgbOf(SystemColourOf(SystemColour::ButtonFace)));
      return;
    }
    ButtonDrawState state;
    state.rect = {0, 0, width(), height()};
    state.pressed = isDown();
    state.checked = isChecked();
    state.focused = hasFocus();
    state.disabled = !isEnabled();
    state.highlighted = underMouse();
    PainterCanvas canvas(p, event->region());
    ButtonPainter keep = painter;  // the painter may be replaced while it draws
    keep(canvas, state);
  }
  void enterEvent(QEnterEvent* e) override {
    QPushButton::enterEvent(e);
    update();
  }
  void leaveEvent(QEvent* e) override {
    QPushButton::leaveEvent(e);
    update();
  }
};

template <class Entry>
OwnerDrawnButton* ButtonOf(Entry* e) {
  return e != nullptr ? dynamic_cast<OwnerDrawnButton*>(e->widget.data()) : nullptr;
}

}  // namespace

QWidget* QtBackend::MakeOwnerDrawnButton(const WindowSpec& params, QWidget* parent, WindowHandle handle) {
  auto* b = new OwnerDrawnButton(FromGbk(params.text), parent);
  b->setCheckable((params.style & kStyleToggle) != 0);
  b->setDefault((params.style & kStyleDefaultButton) != 0);
  // Qt flips a checkable button before it signals the click, as the unit expects.
  QObject::connect(b, &QPushButton::clicked, this, [this, handle] { DeliverSimple(handle, EventKind::Clicked); });
  return b;
}

void QtBackend::SetButtonPainter(WindowHandle w, ButtonPainter painter) {
  if (OwnerDrawnButton* b = ButtonOf(Find(w))) {
    b->painter = std::move(painter);
    b->update();
  }
}

void QtBackend::Repaint(WindowHandle w) {
  if (Entry* e = Find(w)) e->widget->update();
}

void QtBackend::SetChecked(WindowHandle w, bool checked) {
  if (OwnerDrawnButton* b = ButtonOf(Find(w))) b->setChecked(checked);
}

bool QtBackend::IsChecked(WindowHandle w) const {
  const OwnerDrawnButton* b = ButtonOf(Find(w));
  return b != nullptr && b->isChecked();
}

void QtBackend::SetToolTip(WindowHandle w, std::string_view gbk) {
  if (Entry* e = Find(w)) e->widget->setToolTip(FromGbk(gbk));
}

std::string QtBackend::ToolTip(WindowHandle w) const {
  auto e = Find(w);
  return e != nullptr ? ToGbk(e->widget->toolTip()) : std::string();
}

PictureRef QtBackend::DecodePicture(std::span<const uint8_t> data) {
  if (data.empty() || data.size() > size_t(INT32_MAX)) return nullptr;
  QImage image;
  if (!image.loadFromData(data.data(), int(data.size())) || image.isNull()) return nullptr;
  return std::make_shared<QtPicture>(std::move(image));
}

}  // namespace vorenn::platform
