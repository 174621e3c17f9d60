#include "platform/extended_controls.h"

namespace vorenn::platform {

// The classic desktop scheme; both backends draw owner-drawn buttons in the same colours.
uint32_t SystemColourOf(SystemColour which) {
  switch (which) {
    case SystemColour::ButtonFace: return 0xF0F0F0;
    case SystemColour::Highlight: return 0xFFFFFF;
    case SystemColour::Light: return 0xE3E3E3;
    case SystemColour::DarkShadow: return 0x696969;
    case SystemColour::Shadow: return 0xA0A0A0;
    case SystemColour::ButtonText: return 0x000000;
    case SystemColour::GrayText: return 0x6D6D6D;
  }
  return 0;
}

}  // namespace vorenn::platform
