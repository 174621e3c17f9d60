// An edit box's selection as the program counts it, in bytes of its GBK text, and as the toolkits
// count it, in UTF-16 units of the text they show. A selection never splits a character.
#pragma once

#include <string_view>

namespace vorenn::platform {

// The GBK bytes one character (one UTF-16 unit, or a surrogate pair) takes in the text the backend
// reads back, so that the bytes counted here are the bytes the program gets.
using GbkWidthOf = int (*)(std::u16string_view character);

struct UnitRange {
  int from = 0, to = 0;
};

// The units of a byte selection: start and length clamped to the text, widened to whole
// characters.
UnitRange UnitsOfByteSelection(std::u16string_view text, int start, int length, GbkWidthOf width);
// The byte start and length of the units from..to (either order).
void ByteSelectionOfUnits(std::u16string_view text, int from, int to, GbkWidthOf width, int* start, int* length);

}  // namespace vorenn::platform
