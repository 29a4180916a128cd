// One restored PNG row into a host frame row: samples of 8 or 16 bits
// (big-endian), 1 to 4 channels (grey, grey and alpha, RGB, RGBA), to ARGB
// pixels of 8 bits or of 16 bits (little-endian, 0..32768), opaque where the
// row has no alpha. The 16-bit values are those of HostScaleFrom8 and
// HostScaleFrom16.
#pragma once

#include <cstdint>

namespace lumavox_host {

// `in` holds `width` pixels of `channels` samples of `bit_depth` bits (8 or
// 16); `out` receives `width` pixels of `host_depth` bits per channel (8 or
// 16; 8 only from 8-bit samples).
void ConvertPngRow(const uint8_t* in, uint8_t* out, int width, int channels, int bit_depth, int host_depth);

}  // namespace lumavox_host
