// The host's basic value types: fixed-width integers under the host's names,
// time values, points and four-character codes. 64-bit Windows sizes.
#pragma once

#include <cstdint>

using A_char = char;
using A_u_char = uint8_t;
using A_short = int16_t;
using A_u_short = uint16_t;
using A_long = int32_t;
using A_u_long = uint32_t;
using A_longlong = int64_t;
using A_u_longlong = uint64_t;
using A_Boolean = uint8_t;
using A_FpLong = double;
using A_Fixed = int32_t;  // 16.16 fixed point
using A_UTF16Char = uint16_t;

// A time: value / scale seconds.
struct A_Time {
  A_long value;
  A_u_long scale;
};
static_assert(sizeof(A_Time) == 8, "time value layout");

struct A_LPoint {
  A_long x;
  A_long y;
};

// A four-character code as a 32-bit number, first character in the most
// significant byte: AE_FourCC("DCP_").
constexpr A_u_long AE_FourCC(const char (&code)[5]) {
  return (A_u_long(uint8_t(code[0])) << 24) | (A_u_long(uint8_t(code[1])) << 16) | (A_u_long(uint8_t(code[2])) << 8) |
         A_u_long(uint8_t(code[3]));
}

// 16.16 fixed point to and from double.
constexpr A_FpLong AE_FixedToDouble(A_Fixed value) { return value / 65536.0; }
constexpr A_Fixed AE_DoubleToFixed(A_FpLong value) { return A_Fixed(value * 65536.0 + (value < 0 ? -0.5 : 0.5)); }
