// A rendered frame as the host hands it over: ARGB pixels, 8 bits per channel
// (4-byte pixels) or 16 bits per channel (8-byte pixels, little-endian, full
// scale 32768), rows `row_bytes` apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/frame_bytes.h"

namespace lumavox_host {

constexpr int kFullScale16 = 32768;

struct HostFrame {
  int width = 0;
  int height = 0;
  int depth = 16;     // bits per channel: 8 or 16
  int row_bytes = 0;  // at least width * PixelBytes()
  FrameBytes pixels;

  int PixelBytes() const { return depth == 8 ? 4 : 8; }
  // Sizes the buffer (cleared); `extra_row_bytes` pads every row.
  void Allocate(int w, int h, int bits, int extra_row_bytes = 0);
  // The same for a source that writes every pixel: the pixels are left
  // unset, only the padding after every row is cleared.
  void AllocateToFill(int w, int h, int bits, int extra_row_bytes = 0);
  // The same sizes without the buffer.
  void Shape(int w, int h, int bits, int extra_row_bytes = 0);
  uint8_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * row_bytes; }
  const uint8_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * row_bytes; }

  // Channel c (0 alpha, 1 red, 2 green, 3 blue) of pixel (x, y) in the
  // frame's own scale (0..255 or 0..32768).
  int Channel(int x, int y, int c) const;
  void SetPixel(int x, int y, int a, int r, int g, int b);
};

// Converts between the two scales, rounding to nearest.
inline int To16(int v8) { return (v8 * kFullScale16 + 127) / 255; }
inline int To8(int v16) { return (v16 * 255 + kFullScale16 / 2) / kFullScale16; }

// Tables from a sample of 16 bits (0..65535) and of 8 bits (0..255) to the
// host's 0..32768 scale, rounded to nearest.
const std::vector<uint16_t>& HostScaleFrom16();
const std::vector<uint16_t>& HostScaleFrom8();

}  // namespace lumavox_host
