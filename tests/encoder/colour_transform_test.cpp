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

}  // namespace
