// The program's icon (resources/vorenn.ico, drawn by resources/make_icon.py), built into the
// program's constant segment as an engine bytes block, the way the game hands it to SetTrayIcon.
//
// Bytes block
//   offset  size    meaning
//   0       4       dimension count, 1
//   4       4       byte count, 16958
//   8       16958   the icon file: one 64x64 image, 32 bits per pixel with alpha
#pragma once

#include <cstddef>

namespace vorenn {

inline constexpr size_t kProgramIconSize = 16958;

// The block above; it lies in the constant segment, so it is never freed.
const void* ProgramIconBlock();

}  // namespace vorenn
