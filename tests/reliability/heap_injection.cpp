#include "tests/reliability/heap_injection.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace vorenn::testing {
namespace {

std::atomic<uint64_t> g_countdown{0};
std::atomic<int64_t> g_live{0};

bool InjectedFailure() {
  uint64_t n = g_countdown.load(std::memory_order_relaxed);
  while (n != 0) {
    if (g_countdown.compare_exchange_weak(n, n - 1)) return n == 1;
  }
  return false;
}

}  // namespace

void FailHeapAllocationAfter(uint64_t n) { g_countdown.store(n); }
bool HeapFailurePending() { return g_countdown.load() != 0; }
int64_t LiveHeapAllocations() { return g_live.load(std::memory_order_relaxed); }

}  // namespace vorenn::testing

// The standard library's array forms call these two, so they count as well.
void* operator new(std::size_t size) {
  if (vorenn::testing::InjectedFailure()) throw std::bad_alloc();
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  vorenn::testing::g_live.fetch_add(1, std::memory_order_relaxed);
  return p;
}

void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  vorenn::testing::g_live.fetch_sub(1, std::memory_order_relaxed);
  std::free(p);
}

void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

// The nothrow forms are replaced too: a sanitizer's runtime supplies its own, whose blocks would
// then come back through the delete above (std::stable_sort's buffer does).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
