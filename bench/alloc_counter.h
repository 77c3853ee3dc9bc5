// Counts every heap allocation of a benchmark program. Include it in exactly
// one source file of the program: it replaces the global allocation
// functions.
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

namespace BenchAlloc {

inline std::atomic<unsigned long> g_count{0};

inline unsigned long Count() { return g_count.load(std::memory_order_relaxed); }

// Kept out of line, so that the compiler does not pair malloc and free
// across the replaced operators.
__attribute__((noinline)) inline void* Allocate(std::size_t n) noexcept {
  g_count.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(n != 0 ? n : 1);
}
__attribute__((noinline)) inline void Release(void* p) noexcept { std::free(p); }

}  // namespace BenchAlloc

void* operator new(std::size_t n) {
  if (void* p = BenchAlloc::Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return ::operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return BenchAlloc::Allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return BenchAlloc::Allocate(n); }
void operator delete(void* p) noexcept { BenchAlloc::Release(p); }
void operator delete[](void* p) noexcept { BenchAlloc::Release(p); }
void operator delete(void* p, std::size_t) noexcept { BenchAlloc::Release(p); }
void operator delete[](void* p, std::size_t) noexcept { BenchAlloc::Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { BenchAlloc::Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { BenchAlloc::Release(p); }
