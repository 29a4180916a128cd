#include "host/large_blocks.h"

#include <sys/mman.h>

#include <cstdint>

namespace lumavox_host {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

size_t Rounded(size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

}  // namespace

void* AllocateLargeBlock(size_t bytes) {
  const size_t length = Rounded(bytes);
  // One huge page more than needed, so that a 2 MB boundary lies within the
  // first; what lies outside the aligned block goes back at once.
  void* mapped = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t aligned = (start + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
  if (aligned > start) munmap(mapped, aligned - start);
  const uintptr_t end = start + length + kHugePage;
  if (end > aligned + length) munmap(reinterpret_cast<void*>(aligned + length), end - (aligned + length));
  void* block = reinterpret_cast<void*>(aligned);
  (void)madvise(block, length, MADV_HUGEPAGE);  // a hint: small pages do as well
  return block;
}

void FreeLargeBlock(void* block, size_t bytes) {
  if (block != nullptr) munmap(block, Rounded(bytes));
}

}  // namespace lumavox_host
