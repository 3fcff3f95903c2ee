#include "allocation_counter.h"

#include <atomic>
#include <cstddef>

// glibc's own allocator, which the replacements below forward to.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void __libc_free(void* block);
}

namespace {
std::atomic<bool> g_counting{false};
std::atomic<uint64_t> g_allocations{0};

void count() {
  if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

extern "C" {
void* malloc(size_t size) {
  count();
  return __libc_malloc(size);
}
void* calloc(size_t count_of, size_t size) {
  count();
  return __libc_calloc(count_of, size);
}
void* realloc(void* block, size_t size) {
  count();
  return __libc_realloc(block, size);
}
void free(void* block) { __libc_free(block); }
}

namespace bench {

void start_counting_allocations() {
  g_allocations.store(0, std::memory_order_relaxed);
  g_counting.store(true, std::memory_order_relaxed);
}

uint64_t stop_counting_allocations() {
  g_counting.store(false, std::memory_order_relaxed);
  return g_allocations.load(std::memory_order_relaxed);
}

}  // namespace bench
