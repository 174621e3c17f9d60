// A top-level window never larger than the screen's free area: on a small screen, or one whose
// scale factor leaves few device-independent pixels, a window the program asked to be taller (or
// wider) than the area gets the area's height (or width) and its top (or left) edge, so nothing of
// it lies out of reach. The program reads the fitted size back and lays itself out in it (the skill
// area then scrolls). A window that fits keeps the place the program gave it.
#pragma once

#include "platform/native_window.h"

namespace vorenn::platform {

// window fitted to area (both in the pixels the backend lays windows out in). An empty area, as when
// there is no screen, leaves the window as it is.
Rect FitToArea(const Rect& window, const Rect& area);

}  // namespace vorenn::platform
