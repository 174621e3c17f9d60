// A unit property as it crosses the services table: the unit contract reads and writes it, the
// runtime puts the two functions into the table.
#pragma once

#include <cstdint>

namespace vorenn {

// Property reads answer the value's two words (low, high); texts and bytes are new blocks.
struct PropertyValue {
  uint32_t low;
  uint32_t high;
};
using ReadPropertyFn = PropertyValue (*)(uint32_t windowId, uint32_t unitId, int32_t index,
                                         int32_t arrayIndex);
using WritePropertyFn = void (*)(uint32_t windowId, uint32_t unitId, int32_t index, int32_t arrayIndex,
                                 uint32_t low, uint32_t high);

}  // namespace vorenn
