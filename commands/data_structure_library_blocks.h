// Engine blocks as the data-structure and encoding libraries read and hand them out.
//
// Text block:  zero-terminated GBK bytes; null is the empty text.
// Bytes block: offset 0 int32 dimension count (1), offset 4 int32 byte count n, offset 8 n bytes;
//              null is the empty byte array.
// Array block: offset 0 int32 dimension count (1), offset 4 int32 element count n, offset 8 n
//              pointers, one per element.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/memory.h"

namespace vorenn {

inline std::string_view TextOfBlock(const void* block) {
  return block ? std::string_view(static_cast<const char*>(block)) : std::string_view();
}

inline std::string_view BytesOfBlock(const void* block) {
  if (block == nullptr) return {};
  int32_t n;
  std::memcpy(&n, static_cast<const char*>(block) + 4, sizeof n);
  return n > 0 ? std::string_view(static_cast<const char*>(block) + 8, size_t(n)) : std::string_view();
}

// A new bytes block holding a copy, or null for no bytes.
inline void* NewBytesBlock(std::string_view bytes) {
  if (bytes.empty()) return nullptr;
  auto* block = static_cast<char*>(AllocBlock(int32_t(8 + bytes.size())));
  const int32_t header[2] = {1, int32_t(bytes.size())};
  std::memcpy(block, header, sizeof header);
  std::memcpy(block + 8, bytes.data(), bytes.size());
  return block;
}

// A new one-dimensional array block of the given element pointers (ownership passes to the block).
inline void* NewPointerArrayBlock(const std::vector<void*>& elements) {
  size_t size = 8 + elements.size() * sizeof(void*);
  auto* block = static_cast<char*>(AllocBlock(int32_t(size)));
  const int32_t header[2] = {1, int32_t(elements.size())};
  std::memcpy(block, header, sizeof header);
  if (!elements.empty()) std::memcpy(block + 8, elements.data(), elements.size() * sizeof(void*));
  return block;
}

}  // namespace vorenn
