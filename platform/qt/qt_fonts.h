// Fonts of units on Qt: the 60-byte logical-font record units keep, mapped onto installed faces.
//
// Logical-font record (60 bytes, little-endian; the fields read here):
//   offset size meaning
//   0      4    height in pixels; negative: the character height, positive: the cell height
//                (character height plus internal leading); 0: the default height
//   8      4    escapement, tenths of a degree (not drawn)
//   16     4    weight (0 default, 400 normal, 700 bold; 100-900)
//   20     1    italic      21  1  underline      22  1  strike-out
//   28     32   face name, GBK, zero-terminated
#pragma once

#include <QFont>
#include <QString>

#include <string>

namespace vorenn::platform {

// The installed face that stands in for a face named in a template: the Chinese system faces
// map to a CJK face, the common Western ones to the matching DejaVu face; others stay as named.
QString InstalledFaceOf(const QString& face);

// The default GUI font of units: "宋体" at 12 pixels (9 points), on its installed face.
QFont DefaultUnitFont();

// The font of a logical-font record; a record shorter than 60 bytes gives the default font.
// Every font falls back to the CJK face for characters its own face lacks.
QFont FontOfRecord(const std::string& record);

}  // namespace vorenn::platform
