// The frame's side of window loading: event suppression, handler calls for the load events, focus
// through the platform, and the modal loop.
#pragma once

#include <cstdint>

#include "engine/templates/window_template.h"

namespace vorenn {

// Installs the frame's loader host (InitRuntime does).
void InstallFrameLoaderHost();

// Calls the handler bound to a window's or unit's event, without arguments; nothing while events
// are suppressed or when nothing is bound. Returns whether a handler ran.
bool RaiseBoundEvent(uint32_t windowId, uint32_t unitId, int32_t event);

// The modal window whose loop runs innermost, or null.
const WindowInstance* CurrentModalWindow();

}  // namespace vorenn
