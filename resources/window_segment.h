// The program's window-template segment, built from resources/window.json by vorenn-template and
// embedded into the program. Its format is described in engine/templates/window_template.h.
#pragma once

#include <cstdint>
#include <span>

namespace vorenn {

// The whole segment (10,000 bytes for this program's one window); valid for the program's life.
std::span<const uint8_t> WindowSegment();

}  // namespace vorenn
