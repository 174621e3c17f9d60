// The list view's column and initial-item blocks, as its unit data holds them (little-endian, no
// padding). A block is a run of records up to its end; a record cut short ends the run.
//
// Column record:
//   offset  size   meaning
//   0       1      image on the right (non-zero: the header image right of the title)
//   1       4      header image index, -1 none
//   5       4      alignment: 0 left, 1 centre, 2 right
//   9       4      width in pixels
//   13      n + 1  title, GBK, zero-terminated
//
// Item record:
//   offset  size   meaning
//   0       1      0: a new item; non-zero: the next sub-item text of the last item
//   1       4      image index
//   5       4      state image index
//   9       4      indent
//   13      4      item value
//   17      n + 1  text, GBK, zero-terminated
//   ...     m + 1  a second zero-terminated text, skipped
// A sub-item record before any item is dropped; for sub-items only the text counts.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/extended_controls.h"

namespace vorenn {

struct InitialItem {
  int32_t image = -1;
  int32_t stateImage = -1;
  int32_t indent = 0;
  int32_t value = 0;
  std::string text;
  std::vector<std::string> subItems;  // columns 1 and up
};

std::vector<platform::ListColumn> ReadColumnBlock(std::span<const uint8_t> block);
std::vector<InitialItem> ReadItemBlock(std::span<const uint8_t> block);

}  // namespace vorenn
