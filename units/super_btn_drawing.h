// How a SuperBtn draws itself on every paint request of its platform button.
//
// Standard look (frame style 1): a one-pixel black frame when focused or the default button (the
// rest is drawn one pixel inside it); the background; pressed, a one-pixel frame in the shadow
// colour, else a raised two-pixel border (outer top and left in the highlight colour, inner top and
// left in the 3D-light colour, outer bottom and right in the dark-shadow colour, inner bottom and
// right in the shadow colour). Flat looks (0 and 2): the background only; with the flat border set,
// a one-pixel sunken border while pressed and a raised one while the mouse is over the button;
// style 2 also keeps a shadow-coloured outline at rest. Then the picture and the caption (shifted
// one pixel right and down while pressed in the standard look, grey while disabled), and last,
// when focused in the standard look or with the flat focus rectangle set, the focus rectangle 3
// pixels inside the button.
//
// Colour pairs (text, background): the first at rest, the second while the mouse is over the
// button, the third while pressed or checked; with default colours the system's button text and
// face. Pictures: image 0 at rest, image 1 pressed, image 2 under the mouse, each falling back to
// image 0. Layout: 0 picture left of the caption, 1 right, 2 above, 3 below.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/extended_controls.h"

namespace vorenn {

struct SuperBtnLook {
  int frameStyle = 1;
  bool toggle = false;
  bool isDefault = false;
  int layout = 0;
  bool flatBorder = false;
  bool flatFocusRect = false;
  bool defaultColours = true;
  std::array<uint32_t, 6> colours{};  // text, background, three times; backgrounds resolved
  std::array<platform::PictureRef, 3> images;  // image 0, 1, 2
  std::array<uint32_t, 3> transparent{};
  std::string caption;  // GBK
  std::string font;     // 60-byte logical-font record; empty: the default font
};

enum SuperBtnFrameStyle : int { kFrameFlat = 0, kFrameStandard = 1, kFrameFlatOutlined = 2 };

void DrawSuperBtn(platform::Canvas& canvas, const platform::ButtonDrawState& state, const SuperBtnLook& look);

}  // namespace vorenn
