// The 9/7 wavelet transform, the quantiser step sizes and the quantiser.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/dwt.h"
#include "encoder/j2k/t1.h"
#include "encoder/j2k/tcd.h"

namespace {

// The 9/7 lifting coefficients and scaling, exactly.
constexpr double kAlpha = 1.586134342059924, kBeta = 0.052980118572961, kGamma = 0.882911075530934,
                 kDelta = 0.443506852043971, kK = 1.230174104914001;

// The one-dimensional lifting written out from its definition, in single
// precision on the split line, each result rounded to the nearest integer
// (halves away from zero).
void ReferenceLift(std::vector<int32_t>& a, int dn, int sn) {
  if (dn < 1) return;
  std::vector<float> s(sn), d(dn);
  for (int i = 0; i < sn; ++i) s[i] = static_cast<float>(a[2 * i]);
  for (int i = 0; i < dn; ++i) d[i] = static_cast<float>(a[2 * i + 1]);
  auto S = [&](int i) { return s[std::min(std::max(i, 0), sn - 1)]; };
  auto D = [&](int i) { return d[std::min(std::max(i, 0), dn - 1)]; };
  const auto alpha = static_cast<float>(kAlpha), beta = static_cast<float>(kBeta);
  const auto gamma = static_cast<float>(kGamma), delta = static_cast<float>(kDelta);
  for (int i = 0; i < dn; ++i) d[i] = d[i] - (S(i) + S(i + 1)) * alpha;
  for (int i = 0; i < sn; ++i) s[i] = s[i] - (D(i - 1) + D(i)) * beta;
  for (int i = 0; i < dn; ++i) d[i] = d[i] + (S(i) + S(i + 1)) * gamma;
  for (int i = 0; i < sn; ++i) s[i] = s[i] + (D(i - 1) + D(i)) * delta;
  for (int i = 0; i < dn; ++i) a[2 * i + 1] = static_cast<int32_t>(std::lround(d[i] * static_cast<float>(kK / 2)));
  for (int i = 0; i < sn; ++i) a[2 * i] = static_cast<int32_t>(std::lround(s[i] * static_cast<float>(1 / kK)));
}

// Reference 2-D transform: per level, every column then every row through the
// reference lifting and a plain deinterleave.
void ReferencePlane(std::vector<int32_t>& p, int w, int h, int levels) {
  for (int l = 0; l < levels; ++l) {
    int rw = (w + (1 << l) - 1) >> l, rh = (h + (1 << l) - 1) >> l;
    int sw = (rw + 1) / 2, sh = (rh + 1) / 2;
    for (int x = 0; x < rw; ++x) {
      std::vector<int32_t> line(rh);
      for (int y = 0; y < rh; ++y) line[y] = p[y * w + x];
      ReferenceLift(line, rh - sh, sh);
      for (int y = 0; y < rh; ++y) p[((y & 1) ? sh + y / 2 : y / 2) * w + x] = line[y];
    }
    for (int y = 0; y < rh; ++y) {
      std::vector<int32_t> line(p.begin() + y * w, p.begin() + y * w + rw);
      ReferenceLift(line, rw - sw, sw);
      for (int x = 0; x < rw; ++x) p[y * w + ((x & 1) ? sw + x / 2 : x / 2)] = line[x];
    }
  }
}

// The exact inverse of the 9/7 transform in real arithmetic, as a decoder
// computes it, for reconstruction checks.
void InverseLift(std::vector<double>& s, std::vector<double>& d) {
  int sn = static_cast<int>(s.size()), dn = static_cast<int>(d.size());
  if (dn < 1) return;
  auto S = [&](int i) { return s[std::min(std::max(i, 0), sn - 1)]; };
  auto D = [&](int i) { return d[std::min(std::max(i, 0), dn - 1)]; };
  for (auto& v : s) v *= kK;
  for (auto& v : d) v *= 2 / kK;
  for (int i = 0; i < sn; ++i) s[i] -= (D(i - 1) + D(i)) * kDelta;
  for (int i = 0; i < dn; ++i) d[i] -= (S(i) + S(i + 1)) * kGamma;
  for (int i = 0; i < sn; ++i) s[i] += (D(i - 1) + D(i)) * kBeta;
  for (int i = 0; i < dn; ++i) d[i] += (S(i) + S(i + 1)) * kAlpha;
}

void InversePlane(std::vector<double>& p, int w, int h, int levels) {
  for (int l = levels - 1; l >= 0; --l) {
    int rw = (w + (1 << l) - 1) >> l, rh = (h + (1 << l) - 1) >> l;
    int sw = (rw + 1) / 2, sh = (rh + 1) / 2;
    for (int y = 0; y < rh; ++y) {
      std::vector<double> s(p.begin() + y * w, p.begin() + y * w + sw);
      std::vector<double> d(p.begin() + y * w + sw, p.begin() + y * w + rw);
      InverseLift(s, d);
      for (int x = 0; x < rw; ++x) p[y * w + x] = (x & 1) ? d[x / 2] : s[x / 2];
    }
    for (int x = 0; x < rw; ++x) {
      std::vector<double> s(sh), d(rh - sh);
      for (int y = 0; y < sh; ++y) s[y] = p[y * w + x];
      for (int y = sh; y < rh; ++y) d[y - sh] = p[y * w + x];
      InverseLift(s, d);
      for (int y = 0; y < rh; ++y) p[y * w + x] = (y & 1) ? d[y / 2] : s[y / 2];
    }
  }
}

}  // namespace

TEST(Wavelet, ShortLines) {
  // One sample: untouched.
  int32_t one[1] = {12345};
  dwt_encode_1_real(one, 0, 1);
  EXPECT_EQ(one[0], 12345);

  // Two samples: every neighbour is the one sample of the other kind.
  int32_t two[2] = {2048 * 100, 2048 * 40};
  std::vector<int32_t> ref(two, two + 2);
  ReferenceLift(ref, 1, 1);
  dwt_encode_1_real(two, 1, 1);
  EXPECT_EQ(two[0], ref[0]);
  EXPECT_EQ(two[1], ref[1]);
}

TEST(Wavelet, LinesMatchTheLiftingDefinition) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int32_t> sample(-2048 * 2048, 2047 * 2048);
  for (int n : {2, 3, 4, 5, 8, 17, 135, 1080}) {
    std::vector<int32_t> a(n);
    for (auto& v : a) v = sample(rng);
    std::vector<int32_t> ref = a;
    ReferenceLift(ref, n / 2, n - n / 2);
    dwt_encode_1_real(a.data(), n / 2, n - n / 2);
    EXPECT_EQ(a, ref) << "length " << n;
  }
}

TEST(Wavelet, PlaneMatchesColumnsThenRowsPerLevel) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int32_t> sample(-2048 * 2048, 2047 * 2048);
  // Widths around the column batch and odd sizes at several levels.
  for (auto [w, h] : {std::pair{1, 1}, {1, 9}, {9, 1}, {2, 2}, {16, 16}, {17, 5}, {37, 29}, {64, 135}, {203, 61}}) {
    std::vector<int32_t> p(static_cast<size_t>(w * h));
    for (auto& v : p) v = sample(rng);
    std::vector<int32_t> ref = p;
    ReferencePlane(ref, w, h, 5);
    dwt_encode_real_plane(p.data(), 0, 0, w, h, 6);
    EXPECT_EQ(p, ref) << w << " x " << h;
  }
}

TEST(Wavelet, OddLengthsPutTheExtraSampleInTheLowPass) {
  // A constant column: after the transform only the low-pass rows carry it.
  auto nonzero_rows = [](int h, int resolutions) {
    std::vector<int32_t> p(static_cast<size_t>(h), 1000 << 11);
    dwt_encode_real_plane(p.data(), 0, 0, 1, h, resolutions);
    int last = -1;
    for (int y = 0; y < h; ++y)
      if (std::abs(p[y]) > (1000 << 11) / 100) last = y;
    return last + 1;
  };
  EXPECT_EQ(nonzero_rows(135, 2), 68);
  EXPECT_EQ(nonzero_rows(136, 2), 68);
  // 1080 rows: 540, 270, 135, 68, 34.
  EXPECT_EQ(nonzero_rows(1080, 6), 34);
  EXPECT_EQ(nonzero_rows(1080, 5), 68);
  EXPECT_EQ(nonzero_rows(1080, 4), 135);
}

TEST(Wavelet, RampReconstructsWithinTheQuantiserError) {
  const int w = 96, h = 75;
  std::vector<int32_t> p(static_cast<size_t>(w * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p[y * w + x] = (x * 20 + y * 12 - 2048) * 2048;
  const std::vector<int32_t> original = p;
  dwt_encode_real_plane(p.data(), 0, 0, w, h, 6);

  opj_tccp tccp{};
  tccp.numresolutions = 6;
  tccp.qntsty = 2;
  dwt_calc_explicit_stepsizes(&tccp, 12);

  // Without quantisation, inverted exactly as a decoder does, the ramp comes
  // back within a quarter of a code value: coefficients rounded to 13 bits
  // would leave it two code values off.
  std::vector<double> exact(p.begin(), p.end());
  InversePlane(exact, w, h, 5);
  double worst = 0;
  for (size_t i = 0; i < exact.size(); ++i) worst = std::max(worst, std::abs(exact[i] - original[i]) / 2048.0);
  EXPECT_LT(worst, 0.25);

  // Quantised with each band's signalled step (mid-point reconstruction), the
  // error is of the order of the coarsest step; a band in the wrong place or
  // with the wrong step would be far off.
  auto band_of = [&](int x, int y) {
    for (int l = 0; l < 5; ++l) {
      int rw = (w + (1 << l) - 1) >> l, rh = (h + (1 << l) - 1) >> l;
      int sw = (rw + 1) / 2, sh = (rh + 1) / 2;
      if (x >= sw || y >= sh) {
        int orient = (x >= sw ? 1 : 0) + (y >= sh ? 2 : 0);
        return 3 * (4 - l) + orient;
      }
    }
    return 0;
  };
  std::vector<double> q(p.size());
  double coarsest = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const opj_stepsize& ss = tccp.stepsizes[band_of(x, y)];
      double step = (1 + ss.mant / 2048.0) * std::pow(2.0, 12 - ss.expn);
      coarsest = std::max(coarsest, step);
      double c = p[y * w + x] / 2048.0;
      double idx = std::trunc(c / step);
      q[y * w + x] = (idx == 0 ? 0 : (idx + (idx > 0 ? 0.5 : -0.5)) * step) * 2048.0;
    }
  InversePlane(q, w, h, 5);
  worst = 0;
  for (size_t i = 0; i < q.size(); ++i) worst = std::max(worst, std::abs(q[i] - original[i]) / 2048.0);
  double sq = 0;
  for (size_t i = 0; i < q.size(); ++i) sq += std::pow((q[i] - original[i]) / 2048.0, 2);
  EXPECT_LT(worst, 2 * coarsest);
  EXPECT_LT(std::sqrt(sq / static_cast<double>(q.size())), coarsest / 2);
}

// Through all five levels the transform has the gains that the decoder's
// inverse assumes: a flat tile gives its value back in every low-pass
// coefficient and nothing in the high-pass bands, a ramp gives back its value
// at each low-pass coefficient's place (away from the edges, which the
// symmetric extension bends), and the exact inverse brings back flat tiles,
// ramps and the finest alternations of every band to a small part of a code.
TEST(Wavelet, GainsAreThoseTheInverseAssumes) {
  constexpr int kW = 512, kH = 512, kLevels = 5, kLow = kW >> kLevels;
  constexpr double kTolerance = 1.0 / 64;  // code values
  auto transformed = [](auto&& code_at) {
    std::vector<int32_t> p(static_cast<size_t>(kW) * kH);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) p[static_cast<size_t>(y) * kW + x] = static_cast<int32_t>(code_at(x, y) * 2048);
    dwt_encode_real_plane(p.data(), 0, 0, kW, kH, kLevels + 1);
    return p;
  };
  auto expect_inverse = [&](const std::vector<int32_t>& p, auto&& code_at, const char* what) {
    std::vector<double> q(p.begin(), p.end());
    InversePlane(q, kW, kH, kLevels);
    double worst = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        worst = std::max(worst, std::abs(q[static_cast<size_t>(y) * kW + x] / 2048.0 - code_at(x, y)));
    EXPECT_LT(worst, kTolerance) << what;
  };
  for (int value : {-2048, 2047}) {  // black and white, level-shifted
    const auto flat = [value](int, int) { return value; };
    const std::vector<int32_t> p = transformed(flat);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const double expected = x < kLow && y < kLow ? value : 0;
        ASSERT_NEAR(p[static_cast<size_t>(y) * kW + x] / 2048.0, expected, kTolerance)
            << value << " at " << x << ", " << y;
      }
    expect_inverse(p, flat, "flat");
  }
  const auto ramp = [](int x, int y) { return x * 3 + y * 2 - 1500; };
  const std::vector<int32_t> p = transformed(ramp);
  for (int j = 4; j < kLow - 4; ++j)
    for (int i = 4; i < kLow - 4; ++i)
      EXPECT_NEAR(p[static_cast<size_t>(j) * kW + i] / 2048.0, ramp(i << kLevels, j << kLevels), kTolerance)
          << "low-pass coefficient " << i << ", " << j;
  expect_inverse(p, ramp, "ramp");
  // Alternate columns, rows and both: the finest HL, LH and HH bands.
  const auto alternations = [](int x, int y) {
    const int sx = x & 1 ? 1 : -1, sy = y & 1 ? 1 : -1;
    return 500 * sx + 300 * sy + 200 * sx * sy;
  };
  expect_inverse(transformed(alternations), alternations, "alternations");
}

TEST(StepSizes, QcdTableForSixResolutions) {
  opj_tccp tccp{};
  tccp.numresolutions = 6;
  tccp.qntsty = 2;
  dwt_calc_explicit_stepsizes(&tccp, 12);
  // The step is 1 / the band's norm, in code values of the 12-bit samples.
  const int spqcd[16] = {0x9720, 0x96F0, 0x96F0, 0x96C0, 0x8F00, 0x8F00, 0x8EE0, 0x8750,
                         0x8750, 0x8768, 0x7005, 0x7005, 0x7047, 0x77D3, 0x77D3, 0x7762};
  for (int b = 0; b < 16; ++b) {
    const opj_stepsize& s = tccp.stepsizes[b];
    EXPECT_EQ((s.expn << 11) + s.mant, spqcd[b]) << "band " << b;
    const double step = (1 + s.mant / 2048.0) * std::pow(2.0, 12 - s.expn);
    const int level = b == 0 ? 5 : 4 - (b - 1) / 3, orient = b == 0 ? 0 : (b - 1) % 3 + 1;
    EXPECT_NEAR(step * dwt_getnorm_real(level, orient), 1.0, 1.0 / 128) << "band " << b;
  }
  EXPECT_EQ(tccp.stepsizes[16].expn, 0);  // nothing beyond the 16 bands

  // Without quantisation every band has step 1.0 * 8192.
  opj_tccp plain{};
  plain.numresolutions = 2;
  dwt_calc_explicit_stepsizes(&plain, 12);
  EXPECT_EQ(plain.stepsizes[3].expn, 12);
  EXPECT_EQ(plain.stepsizes[3].mant, 0);
}

// Each index is the sample over its band's signalled step, to within the
// last of its 6 fraction bits, for every band's step and samples of every
// size; the sign is kept apart.
TEST(Quantiser, IndicesAreTheSamplesOverTheirBandsStep) {
  opj_tccp tccp{};
  tccp.numresolutions = 6;
  tccp.qntsty = 2;
  dwt_calc_explicit_stepsizes(&tccp, 12);
  std::vector<int32_t> samples;
  for (int32_t m : {0, 1, 2047, 2048, 4095 * 1024, 2047 * 2048, 2100 * 2048}) {
    samples.push_back(m);
    samples.push_back(-m);
  }
  std::mt19937 rng(5);
  for (int n = 0; n < 2000; ++n) samples.push_back(static_cast<int32_t>(rng() % (4200u * 2048)) - 2100 * 2048);
  const int n = static_cast<int>(samples.size());
  std::vector<uint32_t> q(samples.size());
  for (int b = 0; b < 16; ++b) {
    const opj_stepsize& ss = tccp.stepsizes[b];
    // The step as the tile coder keeps it.
    const auto step = static_cast<float>((1 + ss.mant / 2048.0) * std::pow(2.0, 12 - ss.expn));
    t1_quantise_block(samples.data(), n, n, 1, step, q.data());
    for (int i = 0; i < n; ++i) {
      const double exact = std::abs(samples[i]) / (2048.0 * step) * 64;
      ASSERT_NEAR(q[i] & 0x7fffffffu, exact, 1.5) << "band " << b << ", sample " << samples[i];
      ASSERT_EQ(q[i] >> 31, samples[i] < 0 ? 1u : 0u) << "band " << b << ", sample " << samples[i];
    }
  }
}

TEST(StepSizes, EncodingOfSingleSteps) {
  opj_stepsize s{};
  dwt_encode_stepsize(1, 12, &s);  // k = 0
  EXPECT_EQ(s.expn, 25);
  EXPECT_EQ(s.mant, 0);
  dwt_encode_stepsize(4051, 12, &s);  // k = 11: no shift
  EXPECT_EQ(s.expn, 14);
  EXPECT_EQ(s.mant, 2003);
  dwt_encode_stepsize(8192 + 4096 + 1, 12, &s);  // k = 13: shifted right by 2
  EXPECT_EQ(s.expn, 12);
  EXPECT_EQ(s.mant, 0x400);
  dwt_encode_stepsize(8192 + 4096 + 1, 10, &s);  // the exponent follows the bit depth
  EXPECT_EQ(s.expn, 10);
}

TEST(Wavelet, TileComponentUsesItsExtentAndResolutions) {
  std::vector<int32_t> a(40 * 30), b;
  for (size_t i = 0; i < a.size(); ++i) a[i] = (static_cast<int32_t>((i * 7919) % 4096) - 2048) * 2048;
  b = a;
  opj_tcd_tilecomp tilec{};
  tilec.x0 = 0;
  tilec.y0 = 0;
  tilec.x1 = 40;
  tilec.y1 = 30;
  tilec.numresolutions = 4;
  tilec.data = a.data();
  dwt_encode_real(&tilec);
  dwt_encode_real_plane(b.data(), 0, 0, 40, 30, 4);
  EXPECT_EQ(a, b);
}
