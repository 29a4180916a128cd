#pragma once
// Fixed-point product with 13 fraction bits: the 64-bit product gains 4096
// when its bit 12 is set, then is shifted right arithmetically by 13.

#include <cstdint>

inline int32_t fix_mul(int32_t a, int32_t b) {
  int64_t p = static_cast<int64_t>(a) * b;
  p += p & 4096;
  return static_cast<int32_t>(p >> 13);
}

// fix_mul for a coefficient 0 <= b < 2^18, in 32-bit arithmetic so that it
// vectorises: a = ah * 2^13 + al with 0 <= al < 2^13, so the 64-bit product
// is ah * b * 2^13 + al * b and its bit 12 is that of al * b. The result
// equals fix_mul(a, b) for every a.
inline int32_t fix_mul_small(int32_t a, int32_t b) {
  uint32_t hi = static_cast<uint32_t>(a >> 13) * static_cast<uint32_t>(b);
  uint32_t lo = (static_cast<uint32_t>(a) & 0x1FFFu) * static_cast<uint32_t>(b);
  lo = (lo + (lo & 4096u)) >> 13;
  return static_cast<int32_t>(hi + lo);
}

// The same product with 15 fraction bits, for the colour transform's
// constants, whose 13-bit roundings would leave the decoded picture up to a
// code value off: a = ah * 2^15 + al with 0 <= al < 2^15, and
// 0 <= b < 2^17 so that al * b fits 32 bits. The result is the 64-bit
// product rounded as above, for every a whose product fits 32 bits.
inline int32_t fix_mul15(int32_t a, int32_t b) {
  uint32_t hi = static_cast<uint32_t>(a >> 15) * static_cast<uint32_t>(b);
  uint32_t lo = (static_cast<uint32_t>(a) & 0x7FFFu) * static_cast<uint32_t>(b);
  lo = (lo + (lo & 16384u)) >> 15;
  return static_cast<int32_t>(hi + lo);
}
