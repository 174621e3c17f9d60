// Owner-drawn buttons on Win32: every WM_DRAWITEM goes to the unit's painter on a canvas over GDI,
// drawn into a memory bitmap first so the button never shows half-drawn.
#include "platform/win32/internal/win32_parts.h"

#include <algorithm>
#include <cstdlib>

namespace vorenn::platform::win32 {
namespace {

COLORREF Ref(uint32_t colour) { return COLORREF(colour & 0xFFFFFF); }

// A colour 0x00BBGGRR as a pixel 0x00RRGGBB.
uint32_t PixelOf(uint32_t colour) {
  return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

// The same weights as the other backend's grey conversion, so disabled pictures look alike.
uint32_t Grey(uint32_t pixel) {
  uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
  uint32_t y = (r * 11 + g * 16 + b * 5) / 32;
  return (pixel & 0xFF000000u) | (y << 16) | (y << 8) | y;
}

// 0xAARRGGBB straight alpha -> premultiplied, as AlphaBlend takes it.
uint32_t Premultiplied(uint32_t pixel) {
  uint32_t a = pixel >> 24;
  if (a == 255) return pixel;
  auto channel = [&](int shift) { return (((pixel >> shift) & 0xFF) * a + 127) / 255 << shift; };
  return (a << 24) | channel(16) | channel(8) | channel(0);
}

class GdiCanvas final : public Canvas {
 public:
  explicit GdiCanvas(HDC dc) : dc_(dc) {}

  void FillRect(const Rect& r, uint32_t colour) override {
    if (r.width <= 0 || r.height <= 0) return;
    RECT rc{r.left, r.top, r.left + r.width, r.top + r.height};
    SetDCBrushColor(dc_, Ref(colour));
    ::FillRect(dc_, &rc, HBRUSH(GetStockObject(DC_BRUSH)));
  }

  void FrameRect(const Rect& r, uint32_t colour) override {
    if (r.width <= 0 || r.height <= 0) return;
    RECT rc{r.left, r.top, r.left + r.width, r.top + r.height};
    SetDCBrushColor(dc_, Ref(colour));
    ::FrameRect(dc_, &rc, HBRUSH(GetStockObject(DC_BRUSH)));
  }

  void Line(int x1, int y1, int x2, int y2, uint32_t colour) override {
    if (x1 == x2 || y1 == y2) {
      // Both end points included: a one-pixel-wide rectangle.
      FillRect({std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1}, colour);
      return;
    }
    HGDIOBJ old = SelectObject(dc_, GetStockObject(DC_PEN));
    SetDCPenColor(dc_, Ref(colour));
    MoveToEx(dc_, x1, y1, nullptr);
    LineTo(dc_, x2, y2);
    SetPixelV(dc_, x2, y2, Ref(colour));  // LineTo leaves the last point out
    SelectObject(dc_, old);
  }

  void FocusRect(const Rect& r) override {
    if (r.width <= 0 || r.height <= 0) return;
    RECT rc{r.left, r.top, r.left + r.width, r.top + r.height};
    // The dotted frame inverts every other pixel; the DC's colours choose which pixels change.
    COLORREF text = SetTextColor(dc_, RGB(0, 0, 0)), back = SetBkColor(dc_, RGB(255, 255, 255));
    ::DrawFocusRect(dc_, &rc);
    SetTextColor(dc_, text);
    SetBkColor(dc_, back);
  }

  void Text(const Rect& r, std::string_view gbk, uint32_t colour, const std::string& font, int hAlign,
            int vAlign) override {
    std::wstring text = WideFromGbk(gbk);
    if (text.empty()) return;
    RECT rc{r.left, r.top, r.left + r.width, r.top + r.height};
    UINT format = DT_SINGLELINE | DT_NOPREFIX;
    format |= hAlign == 0 ? DT_LEFT : hAlign == 2 ? DT_RIGHT : DT_CENTER;
    format |= vAlign == 0 ? DT_TOP : vAlign == 2 ? DT_BOTTOM : DT_VCENTER;
    HGDIOBJ old = SelectObject(dc_, FontFromRecord(font));
    COLORREF oldColour = SetTextColor(dc_, Ref(colour));
    int oldMode = SetBkMode(dc_, TRANSPARENT);
    DrawTextW(dc_, text.data(), int(text.size()), &rc, format);
    SetBkMode(dc_, oldMode);
    SetTextColor(dc_, oldColour);
    SelectObject(dc_, old);
  }

  void DrawPicture(const Picture& picture, int x, int y, uint32_t transparent, bool greyed) override {
    const auto* gp = dynamic_cast<const GdiPicture*>(&picture);
    if (gp == nullptr || gp->Width() <= 0 || gp->Height() <= 0) return;
    Bitmap32 source(dc_, gp->Width(), gp->Height());
    if (!source.Ok()) return;
    const std::vector<uint32_t>& pixels = gp->Pixels();
    const uint32_t key = PixelOf(transparent);
    bool opaque = true;
    for (size_t i = 0; i < pixels.size(); ++i) {
      uint32_t p = pixels[i];
      if (transparent != kDefaultColour && (p & 0xFFFFFF) == key) p = 0;
      if (greyed) p = Grey(p);
      if ((p >> 24) != 255) opaque = false;
      source.Bits()[i] = Premultiplied(p);
    }
    GdiFlush();
    if (opaque) {
      BitBlt(dc_, x, y, gp->Width(), gp->Height(), source.Dc(), 0, 0, SRCCOPY);
      return;
    }
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc_, x, y, gp->Width(), gp->Height(), source.Dc(), 0, 0, gp->Width(), gp->Height(), blend);
  }

 private:
  HDC dc_;
};

}  // namespace

void PaintOwnerDrawnButton(const DRAWITEMSTRUCT& item, const ButtonPainter& painter, bool highlighted, bool checked) {
  const RECT& rc = item.rcItem;
  int width = rc.right - rc.left, height = rc.bottom - rc.top;
  if (item.hDC == nullptr || width <= 0 || height <= 0) return;
  HDC dc = CreateCompatibleDC(item.hDC);
  HBITMAP bitmap = CreateCompatibleBitmap(item.hDC, width, height);
  if (dc == nullptr || bitmap == nullptr) {
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (dc != nullptr) DeleteDC(dc);
    return;
  }
  HGDIOBJ old = SelectObject(dc, bitmap);
  GdiCanvas canvas(dc);
  if (painter) {
    ButtonDrawState state;
    state.rect = {0, 0, width, height};
    state.pressed = (item.itemState & ODS_SELECTED) != 0;
    state.checked = checked;
    state.focused = (item.itemState & ODS_FOCUS) != 0;
    state.disabled = (item.itemState & ODS_DISABLED) != 0;
    state.highlighted = highlighted;
    ButtonPainter keep = painter;  // the painter may be replaced while it draws
    keep(canvas, state);
  } else {
    canvas.FillRect({0, 0, width, height}, SystemColourOf(SystemColour::ButtonFace));
  }
  BitBlt(item.hDC, rc.left, rc.top, width, height, dc, 0, 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

Bitmap32::Bitmap32(HDC like, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  dc_ = CreateCompatibleDC(like);
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
  if (bitmap_ != nullptr) old_ = SelectObject(dc_, bitmap_);
}

Bitmap32::~Bitmap32() {
  if (old_ != nullptr) SelectObject(dc_, old_);
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  if (dc_ != nullptr) DeleteDC(dc_);
}

}  // namespace vorenn::platform::win32
