#include "host/host_frame.h"

#include <cstring>

namespace lumavox_host {

namespace {

std::vector<uint16_t> HostScaleTable(uint32_t full) {
  std::vector<uint16_t> table(full + 1);
  for (uint32_t value = 0; value <= full; ++value)
    table[value] = static_cast<uint16_t>((value * static_cast<uint32_t>(kFullScale16) + full / 2) / full);
  return table;
}

}  // namespace

const std::vector<uint16_t>& HostScaleFrom16() {
  static const std::vector<uint16_t> table = HostScaleTable(65535);
  return table;
}

const std::vector<uint16_t>& HostScaleFrom8() {
  static const std::vector<uint16_t> table = HostScaleTable(255);
  return table;
}

void HostFrame::Allocate(int w, int h, int bits, int extra_row_bytes) {
  Shape(w, h, bits, extra_row_bytes);
  pixels.assign(static_cast<size_t>(row_bytes) * static_cast<size_t>(h), 0);
}

void HostFrame::AllocateToFill(int w, int h, int bits, int extra_row_bytes) {
  Shape(w, h, bits, extra_row_bytes);
  pixels.resize(static_cast<size_t>(row_bytes) * static_cast<size_t>(h));
  const size_t used = static_cast<size_t>(w) * PixelBytes();
  if (extra_row_bytes > 0)
    for (int y = 0; y < h; ++y) std::memset(Row(y) + used, 0, static_cast<size_t>(extra_row_bytes));
}

void HostFrame::Shape(int w, int h, int bits, int extra_row_bytes) {
  width = w;
  height = h;
  depth = bits;
  row_bytes = w * PixelBytes() + extra_row_bytes;
  pixels.clear();
}

int HostFrame::Channel(int x, int y, int c) const {
  const uint8_t* p = Row(y) + static_cast<size_t>(x) * PixelBytes();
  if (depth == 8) return p[c];
  return p[2 * c] | (p[2 * c + 1] << 8);
}

void HostFrame::SetPixel(int x, int y, int a, int r, int g, int b) {
  uint8_t* p = Row(y) + static_cast<size_t>(x) * PixelBytes();
  const int v[4] = {a, r, g, b};
  if (depth == 8) {
    for (int c = 0; c < 4; ++c) p[c] = static_cast<uint8_t>(v[c]);
  } else {
    for (int c = 0; c < 4; ++c) {
      p[2 * c] = static_cast<uint8_t>(v[c] & 0xFF);
      p[2 * c + 1] = static_cast<uint8_t>(v[c] >> 8);
    }
  }
}

}  // namespace lumavox_host
