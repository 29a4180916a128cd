#pragma once
// Single-precision results back onto the integer sample planes.

#include <cstdint>

// The nearest integer, halves away from zero, in operations that vectorise
// on every processor: v - trunc(v) is exact for any v an int32 holds.
inline int32_t round_to_int(float v) {
  const auto t = static_cast<int32_t>(v);
  const float r = v - static_cast<float>(t);
  return t + (r >= 0.5f ? 1 : 0) - (r <= -0.5f ? 1 : 0);
}
