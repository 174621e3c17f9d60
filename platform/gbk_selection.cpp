#include "platform/gbk_selection.h"

#include <algorithm>
#include <vector>

namespace vorenn::platform {
namespace {

// Character boundaries of a text, in UTF-16 units and in GBK bytes.
struct Boundary {
  int unit;
  int byte;
};

std::vector<Boundary> BoundariesOf(std::u16string_view text, GbkWidthOf width) {
  std::vector<Boundary> out{{0, 0}};
  for (size_t i = 0; i < text.size();) {
    size_t len = (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size()) ? 2 : 1;
    int bytes = text[i] < 0x80 ? 1 : width(text.substr(i, len));
    out.push_back({int(i + len), out.back().byte + bytes});
    i += len;
  }
  return out;
}

}  // namespace

UnitRange UnitsOfByteSelection(std::u16string_view text, int start, int length, GbkWidthOf width) {
  std::vector<Boundary> bounds = BoundariesOf(text, width);
  int size = bounds.back().byte;
  int from = std::clamp(start, 0, size);
  int to = from + std::clamp(length, 0, size - from);
  // The boundary at or before `from`, and the one at or after `to`.
  UnitRange range{bounds.front().unit, bounds.back().unit};
  for (const Boundary& b : bounds)
    if (b.byte <= from) range.from = b.unit;
  for (const Boundary& b : bounds) {
    if (b.byte >= to) {
      range.to = b.unit;
      break;
    }
  }
  return range;
}

void ByteSelectionOfUnits(std::u16string_view text, int from, int to, GbkWidthOf width, int* start, int* length) {
  std::vector<Boundary> bounds = BoundariesOf(text, width);
  auto byteAt = [&](int unit) {
    for (const Boundary& b : bounds)
      if (b.unit >= unit) return b.byte;
    return bounds.back().byte;
  };
  *start = byteAt(std::min(from, to));
  *length = byteAt(std::max(from, to)) - *start;
}

}  // namespace vorenn::platform
