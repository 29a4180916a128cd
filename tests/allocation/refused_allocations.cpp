// Replaces the allocation functions of the program (tests/allocation/
// refused_allocations.h), so that no other test program runs with them.

#include "tests/allocation/refused_allocations.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

namespace {

// Allocations this thread may still make before one fails; -1: no limit.
thread_local long t_allocations_left = -1;
thread_local bool t_refused = false;
// The thread that refuses the allocations of the others, and whether it does.
thread_local bool t_refuses_others = false;
std::atomic<bool> g_refuse_others{false};

}  // namespace

namespace allocation_test {

void AllowAllocations(long allowed) {
  t_refused = false;
  t_allocations_left = allowed;
}

bool AllocationRefused() { return t_refused; }

void RefuseAllocationsOfOtherThreads(bool on) {
  t_refuses_others = on;
  g_refuse_others = on;
}

}  // namespace allocation_test

void* operator new(size_t size) {
  if (t_allocations_left == 0 || (g_refuse_others && !t_refuses_others)) {
    t_refused = true;
    errno = ENOMEM;
    throw std::bad_alloc();
  }
  if (t_allocations_left > 0) --t_allocations_left;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& nothrow) noexcept { return operator new(size, nothrow); }
// The compiler takes these for frees of memory from the standard operator
// new; here it is memory from malloc.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#pragma GCC diagnostic pop
