// X'Y'Z' colour conversion of a locked image, in place.

#include "encoder/xyz_conversion.h"

#include <cstdint>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define XYZ_GATHER_LOOP 1
#endif

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

#if XYZ_GATHER_LOOP
// Eight indices of the encoding table from eight sums, as encode_index forms
// each: widened to double, the two products rounded there in the same order,
// rounded back to float and truncated.
__attribute__((target("avx2"))) inline __m256i encode_indices(__m256 v) {
  const __m256d white = _mm256_set1_pd(kWhiteScale);
  const __m256d full = _mm256_set1_pd(65535.0);
  const __m256d low = _mm256_mul_pd(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(v)), white), full);
  const __m256d high = _mm256_mul_pd(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(v, 1)), white), full);
  const __m256i index = _mm256_cvttps_epi32(_mm256_set_m128(_mm256_cvtpd_ps(high), _mm256_cvtpd_ps(low)));
  return _mm256_min_epi32(_mm256_max_epi32(index, _mm256_setzero_si256()), _mm256_set1_epi32(65535));
}

__attribute__((target("avx2"))) inline __m256i code_indices(const int32_t* p) {
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  return _mm256_min_epi32(_mm256_max_epi32(v, _mm256_setzero_si256()), _mm256_set1_epi32(4095));
}

// convert_12bit eight samples at a time with the table reads as gathers,
// which the vectoriser does not choose by itself. Every step is the scalar
// one lane by lane (the file is built without fused multiply-add), so the
// results are the same; the last n % 8 samples go the scalar way.
__attribute__((target("avx2"))) void convert_12bit_gathered(int32_t* __restrict p0, int32_t* __restrict p1,
                                                            int32_t* __restrict p2, int64_t n,
                                                            const float* __restrict lin, const float (*m)[3],
                                                            const int32_t* __restrict enc) {
  __m256 mv[3][3];
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) mv[row][col] = _mm256_set1_ps(m[row][col]);
  int64_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256 r = _mm256_i32gather_ps(lin, code_indices(p0 + i), 4);
    const __m256 g = _mm256_i32gather_ps(lin, code_indices(p1 + i), 4);
    const __m256 b = _mm256_i32gather_ps(lin, code_indices(p2 + i), 4);
    int32_t* const out[3] = {p0 + i, p1 + i, p2 + i};
    for (int row = 0; row < 3; ++row) {
      // Each product rounded, summed left to right, as in convert_12bit.
      const __m256 sum = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(r, mv[row][0]), _mm256_mul_ps(g, mv[row][1])),
                                       _mm256_mul_ps(b, mv[row][2]));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out[row]), _mm256_i32gather_epi32(enc, encode_indices(sum), 4));
    }
  }
  convert_12bit(p0 + i, p1 + i, p2 + i, n - i, lin, m, enc);
}
#endif

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
#if XYZ_GATHER_LOOP
    if (__builtin_cpu_supports("avx2")) {
      convert_12bit_gathered(p0, p1, p2, n, lin, m, xyz_encode_table);
      return 0;
    }
#endif
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
