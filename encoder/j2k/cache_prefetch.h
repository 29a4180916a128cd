// Asking the caches for memory ahead of its use, where the processor cannot
// guess the addresses by itself.
#pragma once

#include <cstddef>
#include <cstdint>

// Fetches the cache lines holding bytes [first, first + bytes) towards the
// nearest cache. The compiler's own prefetch counts as having no effect: it
// drops a function made of nothing else together with its calls, so the
// instruction is written out.
inline void cache_prefetch(const void* first, size_t bytes) {
#if defined(__GNUC__) && defined(__x86_64__)
  if (bytes == 0) return;
  const uintptr_t begin = reinterpret_cast<uintptr_t>(first);
  const uintptr_t last = (begin + bytes - 1) & ~uintptr_t{63};
  for (uintptr_t at = begin & ~uintptr_t{63}; at <= last; at += 64) asm volatile("prefetcht0 (%0)" : : "r"(at));
#else
  (void)first;
  (void)bytes;
#endif
}
