// The two memory services the number code calls, on the plain heap: the fuzz target stands alone
// so that it builds with clang and its sanitizers without the rest of the engine.
#include <cstdlib>

#include "engine/core/memory.h"

namespace vorenn {

void* AllocBlock(int32_t size) {
  void* block = std::malloc(size > 0 ? size_t(size) : 1);
  if (block == nullptr) std::abort();
  return block;
}

void FreeBlock(void* block) { std::free(block); }

}  // namespace vorenn
