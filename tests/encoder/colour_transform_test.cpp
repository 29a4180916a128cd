// The encoder's colour transform: the one-pass form with the level shift, and
// the transform's own rows.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "encoder/j2k/mct.h"

namespace {

TEST(ColourTransform, ShiftedFormGivesTheShiftThenTheTransform) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int32_t> sample(0, 4095);
  for (int n : {1, 7, 8, 33, 1998}) {
    std::vector<int32_t> s[3], c[3], expected[3];
    for (int k = 0; k < 3; ++k) {
      s[k].resize(static_cast<size_t>(n));
      for (int32_t& v : s[k]) v = sample(random);
      // The extremes of the 12-bit range, in every combination the length allows.
      for (int i = 0; i < n && i < 8; ++i) s[k][static_cast<size_t>(i)] = ((i >> k) & 1) ? 4095 : 0;
      expected[k].resize(s[k].size());
      for (size_t i = 0; i < s[k].size(); ++i) expected[k][i] = (s[k][i] - 2048) * 2048;
      c[k].assign(s[k].size(), -1);
    }
    mct_encode_real(expected[0].data(), expected[1].data(), expected[2].data(), n);
    mct_encode_real_shifted(s[0].data(), s[1].data(), s[2].data(), 2048, c[0].data(), c[1].data(), c[2].data(), n);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(c[k], expected[k]) << "component " << k << ", " << n << " samples";
  }
}

TEST(ColourTransform, GreyKeepsItsLevelAndHasNoColour) {
  // Each row of the matrix adds up to 1, 0 and 0: a grey sample keeps its
  // level and has no colour, within the rounding of the three products.
  for (int32_t level = -2048; level <= 2047; level += 13) {
    int32_t c0 = level * 2048, c1 = c0, c2 = c0;
    mct_encode_real(&c0, &c1, &c2, 1);
    EXPECT_LE(std::abs(c0 - level * 2048), 1) << level;
    EXPECT_LE(std::abs(c1), 1) << level;
    EXPECT_LE(std::abs(c2), 1) << level;
  }
}

TEST(ColourTransform, EveryColourComesBackThroughTheDecodersInverse) {
  // The decoder's inverse, in double precision: the corners of the colour
  // cube (full red, full blue...) and random colours come back within a
  // small part of a code value, with no pull to one side.
  std::mt19937 random(11);
  std::uniform_int_distribution<int32_t> sample(0, 4095);
  double worst = 0;
  for (int k = 0; k < 2000; ++k) {
    int32_t rgb[3];
    for (int c = 0; c < 3; ++c) rgb[c] = k < 8 ? ((k >> c) & 1) * 4095 : sample(random);
    int32_t y = (rgb[0] - 2048) * 2048, cb = (rgb[1] - 2048) * 2048, cr = (rgb[2] - 2048) * 2048;
    mct_encode_real(&y, &cb, &cr, 1);
    const double back[3] = {y + 1.402 * cr, y - 0.34413 * cb - 0.71414 * cr, y + 1.772 * cb};
    for (int c = 0; c < 3; ++c) {
      const double off = std::abs(back[c] / 2048 + 2048 - rgb[c]);
      worst = off > worst ? off : worst;
    }
  }
  EXPECT_LT(worst, 0.003) << "code values";
}

}  // namespace
