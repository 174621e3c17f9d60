// Fonts of units: the logical-font record units keep, and the components through which the game
// reads and writes a font property.
//
// Logical-font record (60 bytes, little-endian):
//   offset size meaning
//   0      4    height in pixels (negative: character height; size in points = |height| * 72 / 96)
//   4      4    width (0: from the height)
//   8      4    escapement, tenths of a degree
//   12     4    orientation, tenths of a degree
//   16     4    weight (400 normal, 700 bold, 0 default)
//   20     1    italic      21  1  underline      22  1  strike-out      23  1  character set
//   24     4    output precision, clip precision, quality, pitch and family (one byte each)
//   28     32   face name, GBK, zero-terminated (at most 31 bytes)
//
// Font record of the whole-font transfer (array index -1), an engine block of 32 bytes:
//   0 angle, 4 bold, 8 italic, 12 strike-out, 16 underline, 20 size (i32 each),
//   24 face name (pointer to a text block; null for the empty text)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorenn {

constexpr size_t kFontRecordSize = 60;

enum FontComponent : int {
  kFontWhole = -1, kFontAngle = 0, kFontBold = 1, kFontItalic = 2, kFontStrikeOut = 3,
  kFontUnderline = 4, kFontSize = 5, kFontFace = 6,
};

// The engine's default GUI font: "宋体", 9 points, normal weight, GB2312 character set.
std::vector<uint8_t> DefaultFontRecord();
// A valid 60-byte record: the default font for empty or short data.
std::vector<uint8_t> NormalizedFont(const std::vector<uint8_t>& record);

// Components 0-5 as integers (bold and the flags 0 or 1).
int32_t FontComponentOf(const std::vector<uint8_t>& record, int component);
std::string FontFaceOf(const std::vector<uint8_t>& record);
// Writing a component: the angle is taken modulo 3600, bold gives weight 700 or 0, a size gives
// the height of that many points, a face longer than 31 bytes or empty gives "宋体".
void SetFontComponent(std::vector<uint8_t>& record, int component, int32_t value);
void SetFontFace(std::vector<uint8_t>& record, const std::string& face);

// The 32-byte whole-font record as a new engine block (face as a new text block), and back.
void* NewFontTransferRecord(const std::vector<uint8_t>& record);
std::vector<uint8_t> FontFromTransferRecord(const void* transfer);

}  // namespace vorenn
