// The notification-area icon taken from icon-file data.
//
// Icon file (little-endian):
//   offset size meaning
//   0      2    reserved, 0
//   2      2    type: 1 icon, 2 cursor
//   4      2    image count n (at least 1)
//   6      16n  directory entries:
//                 +0 u8 width (0: 256)    +1 u8 height (0: 256)   +2 u8 colour count (0: 256 or more)
//                 +3 u8 reserved          +4 u16 planes           +6 u16 bits per pixel
//                 +8 u32 image size       +12 u32 image offset from the start of the file
//   ...          images: a bitmap (40-byte info header first) or a PNG stream
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorenn {

// The image for the icon: the first 16-pixel entry with more than 15 colours (else the last entry);
// when that image is unusable, the same choice among 32-pixel entries. Returned as an icon file
// holding only that image; empty when the data is not in icon form or no image is usable.
std::vector<uint8_t> PickTrayIcon(std::span<const uint8_t> file);

// The tip text cut to at most 62 bytes, never in the middle of a double-byte character.
std::string TrayTip(std::string_view gbkTip);

}  // namespace vorenn
