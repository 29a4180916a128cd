// 8-bit samples on the 12-bit scale: the byte repeated into the low bits, so
// that 0 and 255 map to 0 and 4095 and the steps stay even (v x 4095 / 255,
// within one code value).
#pragma once

#include <cstdint>

inline int32_t Widen8To12(uint32_t v) { return static_cast<int32_t>((v << 4) | (v >> 4)); }
