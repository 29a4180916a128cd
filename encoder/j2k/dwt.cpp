// Forward irreversible 9/7 wavelet transform, lifted in single precision on
// the fixed-point sample plane, and the quantiser step sizes derived from the
// band norms.
//
// Each one-dimensional transform is done on the line split into its low-pass
// (even-indexed) and high-pass (odd-indexed) halves, which is where the
// samples end up anyway; the lifting is the same arithmetic as on the
// interleaved line. Columns are transformed in batches of adjacent columns
// so that every cache line of the plane is read and written once per level.

#include "encoder/j2k/dwt.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/float_rounding.h"
#include "encoder/j2k/simd_clones.h"
#include "encoder/j2k/tcd.h"

namespace {

// The 9/7 filter's lifting coefficients and its scaling factors, 1 / K for
// the low-pass half (a gain of 1 at DC) and K / 2 for the high-pass half, the
// gains that the decoder's inverse undoes. The lifting runs in single
// precision on the samples' 11 fraction bits: its rounding lies far below a
// code value at every level.
constexpr float kAlpha = 1.586134342059924f;
constexpr float kBeta = 0.052980118572961f;
constexpr float kGamma = 0.882911075530934f;
constexpr float kDelta = 0.443506852043971f;
constexpr float kHighScale = 0.6150870524570005f;  // K / 2, K = 1.230174104914001
constexpr float kLowScale = 0.8128930661159609f;   // 1 / K

// out[j] -= or += (a[j] + b[j]) * c, for j < count.
template <bool Sub>
inline void lift_step(float* __restrict out, const float* a, const float* b, int count, float c) {
  for (int j = 0; j < count; ++j) {
    const float m = (a[j] + b[j]) * c;
    out[j] = Sub ? out[j] - m : out[j] + m;
  }
}

// D(i) op= (S(i) + S(i + 1)) * c, S(sn) read as S(sn - 1).
template <int B, bool Sub>
inline void predict(float* d, const float* s, int sn, int dn, float c) {
  int n = dn < sn - 1 ? dn : sn - 1;
  lift_step<Sub>(d, s, s + B, n * B, c);
  for (int i = n; i < dn; ++i) lift_step<Sub>(d + i * B, s + (sn - 1) * B, s + (sn - 1) * B, B, c);
}

// S(i) op= (D(i - 1) + D(i)) * c, D(-1) read as D(0) and D(dn) as D(dn - 1).
template <int B, bool Sub>
inline void update(float* s, const float* d, int sn, int dn, float c) {
  lift_step<Sub>(s, d, d, B, c);
  int n = sn < dn ? sn : dn;
  if (n > 1) lift_step<Sub>(s + B, d, d + B, (n - 1) * B, c);
  for (int i = n > 1 ? n : 1; i < sn; ++i) lift_step<Sub>(s + i * B, d + (dn - 1) * B, d + (dn - 1) * B, B, c);
}

// Lifting of B lines at once: low-pass sample i of line k at s[i * B + k],
// high-pass at d[i * B + k]. Requires sn >= dn >= 1.
template <int B>
[[gnu::always_inline]] inline void lift(float* s, float* d, int sn, int dn) {
  predict<B, true>(d, s, sn, dn, kAlpha);
  update<B, true>(s, d, sn, dn, kBeta);
  predict<B, false>(d, s, sn, dn, kGamma);
  update<B, false>(s, d, sn, dn, kDelta);
  for (int i = 0; i < dn * B; ++i) d[i] *= kHighScale;
  for (int i = 0; i < sn * B; ++i) s[i] *= kLowScale;
}

constexpr int kColumnBatch = 64;  // 64 bytes: one cache line of each row

// Vertical pass over columns 0..rw-1 and rows 0..rh-1 of the plane.
[[gnu::always_inline]] inline void transform_columns(int32_t* data, int stride, int rw, int rh, int sn, int dn,
                                                     float* tmp) {
  if (dn < 1) return;  // a single row stays as it is
  float* s = tmp;
  int j = 0;
  {
    float* d = tmp + sn * kColumnBatch;
    for (; j + kColumnBatch <= rw; j += kColumnBatch) {
      for (int i = 0; i < rh; ++i) {
        const int32_t* src = data + static_cast<ptrdiff_t>(i) * stride + j;
        float* dst = (i & 1) ? d + (i >> 1) * kColumnBatch : s + (i >> 1) * kColumnBatch;
        for (int k = 0; k < kColumnBatch; ++k) dst[k] = static_cast<float>(src[k]);
      }
      lift<kColumnBatch>(s, d, sn, dn);
      for (int i = 0; i < sn; ++i) {
        int32_t* dst = data + static_cast<ptrdiff_t>(i) * stride + j;
        for (int k = 0; k < kColumnBatch; ++k) dst[k] = round_to_int(s[i * kColumnBatch + k]);
      }
      for (int i = 0; i < dn; ++i) {
        int32_t* dst = data + static_cast<ptrdiff_t>(sn + i) * stride + j;
        for (int k = 0; k < kColumnBatch; ++k) dst[k] = round_to_int(d[i * kColumnBatch + k]);
      }
    }
  }
  for (; j < rw; ++j) {
    // The remaining columns one by one, split on the way in.
    for (int i = 0; i < rh; ++i) {
      const auto v = static_cast<float>(data[static_cast<ptrdiff_t>(i) * stride + j]);
      if (i & 1) tmp[sn + (i >> 1)] = v;
      else tmp[i >> 1] = v;
    }
    lift<1>(tmp, tmp + sn, sn, dn);
    for (int i = 0; i < rh; ++i) data[static_cast<ptrdiff_t>(i) * stride + j] = round_to_int(tmp[i]);
  }
}

// Horizontal pass over rows 0..rh-1, each of rw samples.
[[gnu::always_inline]] inline void transform_rows(int32_t* data, int stride, int rw, int rh, int sn, int dn,
                                                  float* tmp) {
  if (dn < 1) return;  // a single sample stays as it is
  for (int i = 0; i < rh; ++i) {
    int32_t* row = data + static_cast<ptrdiff_t>(i) * stride;
    for (int k = 0; k < sn; ++k) tmp[k] = static_cast<float>(row[2 * k]);
    for (int k = 0; k < dn; ++k) tmp[sn + k] = static_cast<float>(row[2 * k + 1]);
    lift<1>(tmp, tmp + sn, sn, dn);
    for (int k = 0; k < rw; ++k) row[k] = round_to_int(tmp[k]);
  }
}

inline int ceildivpow2(int a, int b) {
  return static_cast<int>((static_cast<int64_t>(a) + (int64_t{1} << b) - 1) >> b);
}

// Norms of the bands by orientation (LL, HL, LH, HH) and level (0 the finest).
const double dwt_norms_real[4][10] = {
    {1.000, 1.965, 4.177, 8.403, 16.90, 33.84, 67.69, 135.3, 270.6, 540.9},
    {2.022, 3.989, 8.355, 17.04, 34.27, 68.63, 137.3, 274.6, 549.0, 0},
    {2.022, 3.989, 8.355, 17.04, 34.27, 68.63, 137.3, 274.6, 549.0, 0},
    {2.080, 3.865, 8.307, 17.18, 34.71, 69.59, 139.3, 278.6, 557.2, 0},
};

}  // namespace

void dwt_encode_1_real(int32_t* a, int dn, int sn) {
  if (dn < 1 || sn < 1) return;  // one sample or none, or not a split line
  std::vector<float> line(static_cast<size_t>(sn + dn));
  for (int i = 0; i < sn; ++i) line[i] = static_cast<float>(a[2 * i]);
  for (int i = 0; i < dn; ++i) line[sn + i] = static_cast<float>(a[2 * i + 1]);
  lift<1>(line.data(), line.data() + sn, sn, dn);
  for (int i = 0; i < sn; ++i) a[2 * i] = round_to_int(line[i]);
  for (int i = 0; i < dn; ++i) a[2 * i + 1] = round_to_int(line[sn + i]);
}

// Built for AVX2 as well as the baseline; the loader picks the one the
// processor runs.
SIMD_CLONES bool dwt_encode_real_plane(int32_t* data, int x0, int y0, int x1, int y1, int numresolutions) {
  const int w = x1 - x0;
  const int h = y1 - y0;
  const int levels = numresolutions - 1;
  if (w <= 0 || h <= 0 || levels <= 0) return true;
  // One scratch area for the whole transform: a batch of columns or one row.
  size_t need = static_cast<size_t>(h) * kColumnBatch;
  if (static_cast<size_t>(w) > need) need = static_cast<size_t>(w);
  const std::unique_ptr<float[]> scratch(new (std::nothrow) float[need]());
  if (!scratch) return false;
  float* const tmp = scratch.get();

  for (int level = 0; level < levels; ++level) {
    const int rw = ceildivpow2(x1, level) - ceildivpow2(x0, level);
    const int rh = ceildivpow2(y1, level) - ceildivpow2(y0, level);
    const int rw1 = ceildivpow2(x1, level + 1) - ceildivpow2(x0, level + 1);
    const int rh1 = ceildivpow2(y1, level + 1) - ceildivpow2(y0, level + 1);
    // Columns first, then rows; the low-pass half always starts at index 0.
    transform_columns(data, w, rw, rh, rh1, rh - rh1, tmp);
    transform_rows(data, w, rw, rh, rw1, rw - rw1, tmp);
  }
  return true;
}

bool dwt_encode_real(opj_tcd_tilecomp* tilec) {
  return dwt_encode_real_plane(tilec->data, tilec->x0, tilec->y0, tilec->x1, tilec->y1, tilec->numresolutions);
}

int dwt_getgain_real(int /*orient*/) { return 0; }

double dwt_getnorm_real(int level, int orient) { return dwt_norms_real[orient][level]; }

void dwt_encode_stepsize(int stepsize, int numbps, opj_stepsize* bandno_stepsize) {
  int k = 0;
  for (int s = stepsize; s > 1; s >>= 1) ++k;
  int shifted = 11 - k >= 0 ? stepsize << (11 - k) : stepsize >> (k - 11);
  bandno_stepsize->mant = shifted & 0x7FF;
  bandno_stepsize->expn = numbps - (k - 13);
}

void dwt_calc_explicit_stepsizes(opj_tccp* tccp, int prec) {
  int numbands = 3 * tccp->numresolutions - 2;
  if (numbands > J2K_MAXBANDS) numbands = J2K_MAXBANDS;
  for (int bandno = 0; bandno < numbands; ++bandno) {
    const int resno = bandno == 0 ? 0 : (bandno - 1) / 3 + 1;
    const int orient = bandno == 0 ? 0 : (bandno - 1) % 3 + 1;
    const int level = tccp->numresolutions - 1 - resno;
    const int gain = dwt_getgain_real(orient);
    double stepsize = 1.0;
    if (tccp->qntsty != 0) stepsize = 1.0 / dwt_getnorm_real(level, orient);
    dwt_encode_stepsize(static_cast<int>(std::floor(stepsize * 8192.0)), prec + gain, &tccp->stepsizes[bandno]);
  }
}
