#include "units/super_btn_drawing.h"

namespace vorenn {
namespace {

using platform::Canvas;
using platform::Rect;
using platform::SystemColour;
using platform::SystemColourOf;

constexpr uint32_t kBlack = 0x000000;
constexpr int kFocusInset = 3;
constexpr int kContentInset = 4;
constexpr int kPictureGap = 4;

Rect Inset(const Rect& r, int by) { return {r.left + by, r.top + by, r.width - 2 * by, r.height - 2 * by}; }

// One-pixel border: top and left in `topLeft`, bottom and right in `bottomRight`.
void Edge(Canvas& c, const Rect& r, uint32_t topLeft, uint32_t bottomRight) {
  int right = r.left + r.width - 1, bottom = r.top + r.height - 1;
  c.Line(r.left, r.top, right - 1, r.top, topLeft);
  c.Line(r.left, r.top, r.left, bottom - 1, topLeft);
  c.Line(r.left, bottom, right, bottom, bottomRight);
  c.Line(right, r.top, right, bottom, bottomRight);
}

void RaisedBorder(Canvas& c, const Rect& r) {
  Edge(c, r, SystemColourOf(SystemColour::Highlight), SystemColourOf(SystemColour::DarkShadow));
  Edge(c, Inset(r, 1), SystemColourOf(SystemColour::Light), SystemColourOf(SystemColour::Shadow));
}

int PairOf(const platform::ButtonDrawState& state, bool pressed) {
  if (pressed) return 2;
  return state.highlighted ? 1 : 0;
}

const platform::PictureRef& PictureFor(const SuperBtnLook& look, int pair, uint32_t* transparent) {
  int index = pair == 2 ? 1 : pair == 1 ? 2 : 0;
  if (!look.images[size_t(index)]) index = 0;
  *transparent = look.transparent[size_t(index)];
  return look.images[size_t(index)];
}

// The picture beside, above or below the caption by the layout; the caption takes what is left.
void DrawContent(Canvas& c, Rect area, const SuperBtnLook& look, int pair, uint32_t textColour, bool disabled) {
  uint32_t transparent = platform::kDefaultColour;
  const platform::PictureRef& picture = PictureFor(look, pair, &transparent);
  if (picture) {
    int w = picture->Width(), h = picture->Height();
    int x = area.left + (area.width - w) / 2, y = area.top + (area.height - h) / 2;
    switch (look.layout) {
      case 0: x = area.left; area.left += w + kPictureGap; area.width -= w + kPictureGap; break;
      case 1: x = area.left + area.width - w; area.width -= w + kPictureGap; break;
      case 2: y = area.top; area.top += h + kPictureGap; area.height -= h + kPictureGap; break;
      default: y = area.top + area.height - h; area.height -= h + kPictureGap; break;
    }
    c.DrawPicture(*picture, x, y, transparent, disabled);
  }
  if (!look.caption.empty()) c.Text(area, look.caption, textColour, look.font, 1, 1);
}

}  // namespace

void DrawSuperBtn(Canvas& c, const platform::ButtonDrawState& state, const SuperBtnLook& look) {
  bool pressed = state.pressed || (look.toggle && state.checked);
  bool standard = look.frameStyle == kFrameStandard;
  int pair = PairOf(state, pressed);
  uint32_t text = look.defaultColours ? SystemColourOf(SystemColour::ButtonText) : look.colours[size_t(2 * pair)];
  uint32_t background =
      look.defaultColours ? SystemColourOf(SystemColour::ButtonFace) : look.colours[size_t(2 * pair + 1)];
  if (state.disabled) text = SystemColourOf(SystemColour::GrayText);

  Rect r = state.rect;
  if (standard) {
    if (state.focused || look.isDefault) {
      c.FrameRect(r, kBlack);
      r = Inset(r, 1);
    }
    c.FillRect(r, background);
    if (pressed)
      c.FrameRect(r, SystemColourOf(SystemColour::Shadow));
    else
      RaisedBorder(c, r);
  } else {
    c.FillRect(r, background);
    uint32_t light = SystemColourOf(SystemColour::Highlight), shadow = SystemColourOf(SystemColour::Shadow);
    if (look.flatBorder && pressed)
      Edge(c, r, shadow, light);
    else if (look.flatBorder && state.highlighted)
      Edge(c, r, light, shadow);
    else if (look.flatBorder && look.frameStyle == kFrameFlatOutlined)
      c.FrameRect(r, shadow);
  }

  Rect content = Inset(state.rect, kContentInset);
  if (standard && pressed) {
    content.left += 1;
    content.top += 1;
  }
  DrawContent(c, content, look, pair, text, state.disabled);
  if (state.focused && (standard || look.flatFocusRect)) c.FocusRect(Inset(state.rect, kFocusInset));
}

}  // namespace vorenn
