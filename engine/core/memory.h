// Memory services: every text, byte array and array block that crosses the services boundary.
//
// Blocks come from the process heap without zeroing. The program's literal texts live in one
// constant segment; a pointer inside it is a constant: never freed, copied out when resized.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorenn {

// Allocates size bytes. On failure raises the runtime error "分配 %d 字节内存失败!"; never returns null
// for size > 0 (a size of 0 still returns a distinct block).
void* AllocBlock(int32_t size);
// Null block: AllocBlock(size). Constant block: a new block holding min(size, bytes to the end of the
// constant segment) bytes of it; the constant is unchanged. Otherwise the heap's reallocation.
void* ReallocBlock(void* block, int32_t size);
// Null or constant: nothing. Otherwise frees the block.
void FreeBlock(void* block);

// The constant segment is recorded at start-up; by default it is the linker section that
// VORENN_CONST places data into.
void SetConstantRange(const void* begin, const void* end);
bool IsConstant(const void* p);
const char* ConstantRangeEnd();

// Test hook: the Nth allocation from now fails (0 turns failure injection off).
void FailAllocationAfter(uint64_t n);
// Test hook: true while a failure set by FailAllocationAfter has not been reached yet.
bool AllocationFailurePending();
// Test hook: blocks handed out by AllocBlock (and by ReallocBlock of a null or constant block) that
// have not been freed yet.
int64_t LiveBlockCount();

// Places a literal into the program's constant segment:  VORENN_CONST static const char kX[] = "...";
#define VORENN_CONST __attribute__((section("vorenn_const"), used))

}  // namespace vorenn
