#include "platform/screen_fit.h"

namespace vorenn::platform {

Rect FitToArea(const Rect& window, const Rect& area) {
  Rect fitted = window;
  if (area.width > 0 && window.width > area.width) {
    fitted.width = area.width;
    fitted.left = area.left;
  }
  if (area.height > 0 && window.height > area.height) {
    fitted.height = area.height;
    fitted.top = area.top;
  }
  return fitted;
}

}  // namespace vorenn::platform
