#include "engine/core/memory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "engine/core/runtime_error.h"

// The linker defines these around the section that VORENN_CONST fills.
extern "C" const char __start_vorenn_const[] __attribute__((weak));
extern "C" const char __stop_vorenn_const[] __attribute__((weak));

namespace vorenn {
namespace {

const char* g_constBegin = nullptr;
const char* g_constEnd = nullptr;
bool g_constSet = false;
std::atomic<uint64_t> g_failCountdown{0};
std::atomic<int64_t> g_liveBlocks{0};

void ResolveDefaultRange() {
  if (!g_constSet) {
    g_constBegin = __start_vorenn_const;
    g_constEnd = __stop_vorenn_const;
    g_constSet = true;
  }
}

bool InjectedFailure() {
  uint64_t n = g_failCountdown.load(std::memory_order_relaxed);
  while (n != 0) {
    if (g_failCountdown.compare_exchange_weak(n, n - 1)) return n == 1;
  }
  return false;
}

[[noreturn]] void ReportAllocationFailure(int32_t size) {
  // The message is a constant of the engine; "%d" is filled with the requested size.
  VORENN_CONST static const char kFormat[] = "分配 %d 字节内存失败!";
  char text[96];
  std::snprintf(text, sizeof text, kFormat, size);
  ReportRuntimeError(text, 0);
}

}  // namespace

void SetConstantRange(const void* begin, const void* end) {
  g_constBegin = static_cast<const char*>(begin);
  g_constEnd = static_cast<const char*>(end);
  g_constSet = true;
}

bool IsConstant(const void* p) {
  ResolveDefaultRange();
  auto c = static_cast<const char*>(p);
  return c != nullptr && g_constBegin != nullptr && c >= g_constBegin && c < g_constEnd;
}

const char* ConstantRangeEnd() {
  ResolveDefaultRange();
  return g_constEnd;
}

void FailAllocationAfter(uint64_t n) { g_failCountdown.store(n); }
bool AllocationFailurePending() { return g_failCountdown.load() != 0; }
int64_t LiveBlockCount() { return g_liveBlocks.load(std::memory_order_relaxed); }

void* AllocBlock(int32_t size) {
  if (size < 0 || InjectedFailure()) ReportAllocationFailure(size);
  void* p = std::malloc(size == 0 ? 1 : size_t(size));
  if (p == nullptr) ReportAllocationFailure(size);
  g_liveBlocks.fetch_add(1, std::memory_order_relaxed);
  return p;
}

void* ReallocBlock(void* block, int32_t size) {
  if (block == nullptr) return AllocBlock(size);
  if (IsConstant(block)) {
    void* copy = AllocBlock(size);
    size_t available = size_t(g_constEnd - static_cast<const char*>(block));
    std::memcpy(copy, block, size_t(size) < available ? size_t(size) : available);
    return copy;
  }
  if (size < 0 || InjectedFailure()) ReportAllocationFailure(size);
  void* p = std::realloc(block, size == 0 ? 1 : size_t(size));
  if (p == nullptr) ReportAllocationFailure(size);
  return p;
}

void FreeBlock(void* block) {
  if (block == nullptr || IsConstant(block)) return;
  g_liveBlocks.fetch_sub(1, std::memory_order_relaxed);
  std::free(block);
}

}  // namespace vorenn
