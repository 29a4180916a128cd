#include "platform/win/local_memory.h"

#include <cstdlib>

HLOCAL LocalAlloc(UINT flags, size_t bytes) {
  if (bytes == 0) bytes = 1;
  return (flags & LMEM_ZEROINIT) ? std::calloc(1, bytes) : std::malloc(bytes);
}

HLOCAL LocalFree(HLOCAL block) {
  std::free(block);
  return nullptr;
}
