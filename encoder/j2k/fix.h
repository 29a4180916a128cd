#pragma once
// Fixed-point product with 13 fraction bits, shared by the wavelet, colour
// transform and tier-1: the 64-bit product gains 4096 when its bit 12 is set,
// then is shifted right arithmetically by 13.

#include <cstdint>

inline int32_t fix_mul(int32_t a, int32_t b) {
  int64_t p = static_cast<int64_t>(a) * b;
  p += p & 4096;
  return static_cast<int32_t>(p >> 13);
}
