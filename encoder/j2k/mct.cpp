// The irreversible colour transform and its component weights.

#include "encoder/j2k/mct.h"

#include "encoder/j2k/fix.h"
#include "encoder/j2k/simd_clones.h"

namespace {
const double mct_norms_real[3] = {1.732, 1.805, 1.573};

// The YCbCr matrix scaled by 2^15 and rounded (each row of Y, Cb and Cr adds
// up to 1, 0 and 0 exactly):
//   Y  =  0.299    R + 0.587    G + 0.114    B
//   Cb = -0.168736 R - 0.331264 G + 0.5      B
//   Cr =  0.5      R - 0.418688 G - 0.081312 B
constexpr int32_t kYr = 9798, kYg = 19235, kYb = 3735;
constexpr int32_t kCbr = 5529, kCbg = 10855, kCbb = 16384;
constexpr int32_t kCrr = 16384, kCrg = 13720, kCrb = 2664;

// Y, Cb and Cr of one sample. Every coefficient lies below 2^17, so the
// 32-bit product gives the same results and the loops vectorise.
inline void ycc(int32_t r, int32_t g, int32_t b, int32_t& y, int32_t& cb, int32_t& cr) {
  y = fix_mul15(r, kYr) + fix_mul15(g, kYg) + fix_mul15(b, kYb);
  cb = -fix_mul15(r, kCbr) - fix_mul15(g, kCbg) + fix_mul15(b, kCbb);
  cr = fix_mul15(r, kCrr) - fix_mul15(g, kCrg) - fix_mul15(b, kCrb);
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
