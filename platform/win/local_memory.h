// Local memory blocks: fixed blocks from the process heap.
#pragma once

#include <cstddef>

#include "platform/win/types.h"

using HLOCAL = void*;

constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

// A fixed block of `bytes` (zero-filled with LMEM_ZEROINIT), or null.
HLOCAL LocalAlloc(UINT flags, size_t bytes);
// Frees the block; null on success.
HLOCAL LocalFree(HLOCAL block);
