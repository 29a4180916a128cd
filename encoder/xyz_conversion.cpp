// X'Y'Z' colour conversion of a locked image, in place.

#include "encoder/xyz_conversion.h"

#include <cstdint>

#include "encoder/j2k/image.h"
#include "encoder/j2k/simd_clones.h"
#include "encoder/sample_widening.h"
#include "encoder/xyz_tables.h"

namespace {

// 48 / 52.37: the reference white's share of full scale.
constexpr double kWhiteScale = 0.9165552797403094;

inline int32_t encode_index(float v) {
  float scaled = static_cast<float>(static_cast<double>(v) * kWhiteScale * 65535.0);
  int32_t index = static_cast<int32_t>(scaled);
  if (index < 0) return 0;
  if (index > 65535) return 65535;
  return index;
}

inline int32_t code_index(int32_t v) { return v < 0 ? 0 : (v > 4095 ? 4095 : v); }

// The 12-bit path over n samples, with no state from one sample to the next
// so that it vectorises (with gathers where the processor has them).
SIMD_CLONES void convert_12bit(int32_t* __restrict p0, int32_t* __restrict p1, int32_t* __restrict p2, int64_t n,
                               const float* __restrict lin, const float (*m)[3], const int32_t* __restrict enc) {
  const float m00 = m[0][0], m01 = m[0][1], m02 = m[0][2];
  const float m10 = m[1][0], m11 = m[1][1], m12 = m[1][2];
  const float m20 = m[2][0], m21 = m[2][1], m22 = m[2][2];
  for (int64_t i = 0; i < n; ++i) {
    // 4096 (a 16-bit full-scale sample) and above clamp to the 12-bit range.
    const float r = lin[code_index(p0[i])];
    const float g = lin[code_index(p1[i])];
    const float b = lin[code_index(p2[i])];
    // Single precision, each product rounded, summed left to right.
    const float x = (r * m00 + g * m01) + b * m02;
    const float y = (r * m10 + g * m11) + b * m12;
    const float z = (r * m20 + g * m21) + b * m22;
    p0[i] = enc[encode_index(x)];
    p1[i] = enc[encode_index(y)];
    p2[i] = enc[encode_index(z)];
  }
}

}  // namespace

int rgb_to_xyz(opj_image* image, int table_set) {
  const float(*m)[3] = rgb_to_xyz_matrices[table_set];
  const float* lin = rgb_to_xyz_linearise[table_set];
  const opj_image_comp& c0 = image->comps[0];
  int32_t* p0 = image->comps[0].data;
  int32_t* p1 = image->comps[1].data;
  int32_t* p2 = image->comps[2].data;
  const int64_t n = static_cast<int64_t>(c0.w) * c0.h;
  const bool eight_bit = c0.bpp == 8;
  if (!eight_bit) {
    convert_12bit(p0, p1, p2, n, lin, m, xyz_encode_table);
    return 0;
  }

  // Neighbouring pixels are often equal: the last triple and its result are
  // kept (the result depends on the triple alone).
  int32_t last_in[3] = {-1, -1, -1};
  int32_t last_out[3] = {0, 0, 0};
  for (int64_t i = 0; i < n; ++i) {
    if (!eight_bit) {
      // 4096 (a 16-bit full-scale sample) and above clamp to the 12-bit range.
      if (p0[i] >= 4096) p0[i] = 4095;
      if (p1[i] >= 4096) p1[i] = 4095;
      if (p2[i] >= 4096) p2[i] = 4095;
    }
    if (p0[i] == last_in[0] && p1[i] == last_in[1] && p2[i] == last_in[2]) {
      p0[i] = last_out[0];
      p1[i] = last_out[1];
      p2[i] = last_out[2];
      continue;
    }
    last_in[0] = p0[i];
    last_in[1] = p1[i];
    last_in[2] = p2[i];
    float r, g, b;
    if (eight_bit) {
      r = lin[code_index(Widen8To12(p0[i]))];
      g = lin[code_index(Widen8To12(p1[i]))];
      b = lin[code_index(Widen8To12(p2[i]))];
    } else {
      r = lin[code_index(p0[i])];
      g = lin[code_index(p1[i])];
      b = lin[code_index(p2[i])];
    }
    // Single precision, each product rounded, summed left to right.
    float px[3];
    for (int row = 0; row < 3; ++row) {
      float pr = r * m[row][0];
      float pg = g * m[row][1];
      float pb = b * m[row][2];
      float sum = pr + pg;
      px[row] = sum + pb;
    }
    int32_t x = xyz_encode_table[encode_index(px[0])];
    int32_t y = xyz_encode_table[encode_index(px[1])];
    int32_t z = xyz_encode_table[encode_index(px[2])];
    if (eight_bit) {
      x /= 16;
      y /= 16;
      z /= 16;
    }
    p0[i] = last_out[0] = x;
    p1[i] = last_out[1] = y;
    p2[i] = last_out[2] = z;
  }
  return 0;
}
