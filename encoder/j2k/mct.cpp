// The irreversible colour transform and its component weights.

#include "encoder/j2k/mct.h"

#include "encoder/j2k/float_rounding.h"
#include "encoder/j2k/simd_clones.h"

namespace {
const double mct_norms_real[3] = {1.732, 1.805, 1.573};

// The inverse of the matrix that decoders apply (R = Y + 1.402 Cr,
// G = Y - 0.34413 Cb - 0.71414 Cr, B = Y + 1.772 Cb), in single precision:
// every colour comes back from the decoder as it went in, within the
// rounding of the planes' 11 fraction bits. (Coefficients rounded to 15-bit
// fractions left a full blue or red up to 0.07 of a code value off.)
constexpr float kYr = 0.29900171263634356f, kYg = 0.5870003096257788f, kYb = 0.11399797773787768f;
constexpr float kCbr = -0.16873685814692074f, kCbg = -0.33126428308452527f, kCbb = 0.500001141231446f;
constexpr float kCrr = 0.49999877843342116f, kCrg = -0.4186878100041218f, kCrb = -0.08131096842929934f;

// Y, Cb and Cr of one sample, each rounded to the nearest unit of the plane.
// The samples, at most 2^23 in magnitude, are exact in single precision.
inline void ycc(int32_t r, int32_t g, int32_t b, int32_t& y, int32_t& cb, int32_t& cr) {
  const auto fr = static_cast<float>(r), fg = static_cast<float>(g), fb = static_cast<float>(b);
  y = round_to_int(kYr * fr + kYg * fg + kYb * fb);
  cb = round_to_int(kCbr * fr + kCbg * fg + kCbb * fb);
  cr = round_to_int(kCrr * fr + kCrg * fg + kCrb * fb);
}
}  // namespace

SIMD_CLONES void mct_encode_real(int32_t* __restrict c0, int32_t* __restrict c1, int32_t* __restrict c2, int n) {
  for (int i = 0; i < n; ++i) ycc(c0[i], c1[i], c2[i], c0[i], c1[i], c2[i]);
}

SIMD_CLONES void mct_encode_real_shifted(const int32_t* __restrict s0, const int32_t* __restrict s1,
                                         const int32_t* __restrict s2, int32_t shift, int32_t* __restrict c0,
                                         int32_t* __restrict c1, int32_t* __restrict c2, int n) {
  for (int i = 0; i < n; ++i) {
    ycc((s0[i] - shift) * 2048, (s1[i] - shift) * 2048, (s2[i] - shift) * 2048, c0[i], c1[i], c2[i]);
  }
}

double mct_getnorm_real(int compno) { return mct_norms_real[compno]; }
