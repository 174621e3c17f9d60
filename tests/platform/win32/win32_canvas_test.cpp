// The canvas owner-drawn buttons paint on, drawn into a memory bitmap whose pixels are read back.
#include <gtest/gtest.h>

#include <set>

#include "platform/win32/internal/win32_parts.h"

namespace vorenn::platform::win32 {
namespace {

constexpr int kWidth = 80, kHeight = 40;

// A 32-bit memory bitmap standing in for a button's DC; pixels read as 0x00BBGGRR colours.
class Surface {
 public:
  Surface() {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Surface() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }

  uint32_t At(int x, int y) const {
    GdiFlush();
    uint32_t p = bits_[y * kWidth + x];
    return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
  }

  void Paint(const ButtonPainter& painter, UINT itemState = 0, RECT rect = {0, 0, kWidth, kHeight},
             bool highlighted = false, bool checked = false) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = itemState;
    item.hDC = dc_;
    item.rcItem = rect;
    PaintOwnerDrawnButton(item, painter, highlighted, checked);
  }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  uint32_t* bits_ = nullptr;
};

constexpr uint32_t kFace = 0xF0F0F0, kRed = 0x0000FF, kBlue = 0xFF0000;

TEST(Win32CanvasTest, ThePainterSeesTheButtonsStateAndSize) {
  Surface s;
  ButtonDrawState seen;
  s.Paint([&](Canvas&, const ButtonDrawState& state) { seen = state; }, ODS_SELECTED | ODS_FOCUS, {0, 0, 60, 20},
          true, true);
  EXPECT_EQ(seen.rect, (Rect{0, 0, 60, 20}));
  EXPECT_TRUE(seen.pressed);
  EXPECT_TRUE(seen.focused);
  EXPECT_FALSE(seen.disabled);
  EXPECT_TRUE(seen.highlighted);
  EXPECT_TRUE(seen.checked);
  s.Paint([&](Canvas&, const ButtonDrawState& state) { seen = state; }, ODS_DISABLED);
  EXPECT_TRUE(seen.disabled);
  EXPECT_FALSE(seen.pressed || seen.focused || seen.checked || seen.highlighted);
}

TEST(Win32CanvasTest, RectanglesFramesAndLinesCoverExactlyTheirPixels) {
  Surface s;
  s.Paint([](Canvas& c, const ButtonDrawState& state) {
    c.FillRect(state.rect, kFace);
    c.FrameRect({2, 2, 10, 6}, kRed);
    c.Line(20, 2, 20, 8, kBlue);   // vertical, both ends drawn
    c.Line(30, 5, 25, 5, kRed);    // horizontal, given right to left
  });
  EXPECT_EQ(s.At(2, 2), kRed);
  EXPECT_EQ(s.At(11, 7), kRed);   // the frame lies inside its rectangle
  EXPECT_EQ(s.At(12, 7), kFace);
  EXPECT_EQ(s.At(5, 4), kFace);   // and leaves the inside alone
  EXPECT_EQ(s.At(20, 2), kBlue);
  EXPECT_EQ(s.At(20, 8), kBlue);
  EXPECT_EQ(s.At(20, 9), kFace);
  EXPECT_EQ(s.At(20, 1), kFace);
  EXPECT_EQ(s.At(25, 5), kRed);
  EXPECT_EQ(s.At(30, 5), kRed);
  EXPECT_EQ(s.At(31, 5), kFace);
  EXPECT_EQ(s.At(21, 5), kFace);
}

TEST(Win32CanvasTest, TheFocusFrameIsDottedAndInsideItsRectangle) {
  Surface s;
  s.Paint([](Canvas& c, const ButtonDrawState& state) {
    c.FillRect(state.rect, kFace);
    c.FocusRect({3, 3, 40, 20});
  });
  std::set<uint32_t> top;
  int changed = 0;
  for (int x = 3; x < 43; ++x) {
    top.insert(s.At(x, 3));
    if (s.At(x, 3) != kFace) ++changed;
    // Neighbours never both change: the frame is dotted.
    if (x > 3) {
      EXPECT_FALSE(s.At(x, 3) != kFace && s.At(x - 1, 3) != kFace) << x;
    }
  }
  EXPECT_EQ(top.size(), 2u);
  EXPECT_GE(changed, 15);
  std::set<uint32_t> left;  // the left side is dotted too
  for (int y = 4; y < 22; ++y) left.insert(s.At(3, y));
  EXPECT_EQ(left, top);
  EXPECT_EQ(s.At(2, 3), kFace);
  EXPECT_EQ(s.At(43, 10), kFace);
  EXPECT_EQ(s.At(20, 12), kFace);  // the inside stays
}

TEST(Win32CanvasTest, TextIsDrawnInItsColourWhereItsAlignmentPutsIt) {
  Surface s;
  auto inkColumns = [&](int* first, int* last) {
    *first = kWidth, *last = -1;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        if (s.At(x, y) != kFace) *first = std::min(*first, x), *last = std::max(*last, x);
  };
  int first = 0, last = 0;
  s.Paint([](Canvas& c, const ButtonDrawState& state) {
    c.FillRect(state.rect, kFace);
    c.Text({0, 0, kWidth, kHeight}, "ab", kRed, "", 0, 1);
  });
  inkColumns(&first, &last);
  ASSERT_GE(last, first);
  EXPECT_LE(first, 3);
  EXPECT_LT(last, kWidth / 2);
  bool sawRed = false;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) sawRed |= s.At(x, y) == kRed;
  EXPECT_TRUE(sawRed);

  s.Paint([](Canvas& c, const ButtonDrawState& state) {
    c.FillRect(state.rect, kFace);
    c.Text({0, 0, kWidth, kHeight}, "ab", kRed, "", 2, 1);
  });
  inkColumns(&first, &last);
  EXPECT_GE(last, kWidth - 4);
  EXPECT_GT(first, kWidth / 2);
}

TEST(Win32CanvasTest, PicturesLeaveOutTheirTransparentColourAndGreyWhenDisabled) {
  // Pixels are 0xAARRGGBB; the transparent colour is given as 0x00BBGGRR (R 0x56, G 0x34, B 0x12).
  constexpr uint32_t kKeyPixel = 0xFF563412, kKey = 0x123456;
  auto picture = std::make_shared<GdiPicture>(
      3, 1, std::vector<uint32_t>{0xFFFF0000, kKeyPixel, 0x800000FF});  // red, key, half-transparent blue
  Surface s;
  s.Paint([&](Canvas& c, const ButtonDrawState& state) {
    c.FillRect(state.rect, 0xFFFFFF);
    c.DrawPicture(*picture, 10, 10, kKey, false);
    c.DrawPicture(*picture, 10, 20, kDefaultColour, false);
    c.DrawPicture(*picture, 10, 30, kKey, true);
  });
  EXPECT_EQ(s.At(10, 10), kRed);
  EXPECT_EQ(s.At(11, 10), 0xFFFFFFu);  // left out
  uint32_t half = s.At(12, 10);        // blue at half strength over white
  EXPECT_NEAR(int(half & 0xFF), 127, 3);
  EXPECT_NEAR(int((half >> 8) & 0xFF), 127, 3);
  EXPECT_EQ(int(half >> 16), 255);
  EXPECT_EQ(s.At(11, 20), kKey);       // no transparent colour: drawn as it is
  // Greyed: the same grey weights as elsewhere, red 255 -> 87.
  EXPECT_EQ(s.At(10, 30), 0x575757u);
  EXPECT_EQ(s.At(11, 30), 0xFFFFFFu);
  EXPECT_EQ(s.At(9, 30), 0xFFFFFFu);
}

TEST(Win32CanvasTest, AButtonWithoutPainterShowsItsFaceAndTheItemRectangleIsHonoured) {
  Surface s;
  s.Paint([](Canvas& c, const ButtonDrawState& state) { c.FillRect(state.rect, 0x000000); });
  s.Paint(nullptr, 0, {10, 10, 30, 20});
  EXPECT_EQ(s.At(10, 10), kFace);
  EXPECT_EQ(s.At(29, 19), kFace);
  EXPECT_EQ(s.At(30, 20), 0u);
  // The painter draws at (0, 0) of the button wherever the button lies in the DC.
  s.Paint([](Canvas& c, const ButtonDrawState&) { c.FillRect({0, 0, 1, 1}, kRed); }, 0, {40, 5, 50, 15});
  EXPECT_EQ(s.At(40, 5), kRed);
  EXPECT_EQ(s.At(0, 0), 0u);
}

}  // namespace
}  // namespace vorenn::platform::win32
