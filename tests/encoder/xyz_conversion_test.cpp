// X'Y'Z' colour conversion: the triples of the stored tables and the clamp.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "encoder/j2k/image.h"
#include "encoder/xyz_conversion.h"
#include "encoder/xyz_tables.h"

namespace {

using Triple = std::array<int32_t, 3>;

// Converts a row of pixels held in a three-component image of the given depth.
std::vector<Triple> Convert(const std::vector<Triple>& pixels, int bpp = 12, int set = 1) {
  const int w = static_cast<int>(pixels.size());
  std::vector<int32_t> planes[3];
  opj_image_comp comps[3];
  for (int c = 0; c < 3; ++c) {
    planes[c].resize(pixels.size());
    for (int i = 0; i < w; ++i) planes[c][i] = pixels[i][c];
    comps[c] = opj_image_comp{1, 1, w, 1, 0, 0, bpp, bpp, 0, planes[c].data(), nullptr};
  }
  opj_image image{0, 0, w, 1, 3, 1, comps, nullptr};
  EXPECT_EQ(rgb_to_xyz(&image, set), 0);
  std::vector<Triple> out(pixels.size());
  for (int i = 0; i < w; ++i) out[i] = {planes[0][i], planes[1][i], planes[2][i]};
  return out;
}

}  // namespace

TEST(XyzTables, StoredCurves) {
  const float* lin = rgb_to_xyz_linearise[1];
  for (int i = 0; i <= 5; ++i) EXPECT_EQ(lin[i], 0.0f);
  EXPECT_EQ(lin[6], 0.000001f);
  EXPECT_EQ(lin[100], 0.000284f);
  EXPECT_EQ(lin[2048], 0.217755f);
  EXPECT_EQ(lin[4094], 0.999463f);
  EXPECT_EQ(lin[4095], 1.0f);
  EXPECT_EQ(rgb_to_xyz_linearise[0][4095], 0.0f);
  EXPECT_EQ(rgb_to_xyz_linearise[2][2048], 0.0f);

  const int32_t* enc = xyz_encode_table;
  EXPECT_EQ(enc[0], 0);
  EXPECT_EQ(enc[1], 57);
  EXPECT_EQ(enc[2], 75);
  EXPECT_EQ(enc[100], 338);
  EXPECT_EQ(enc[32768], 3136);
  EXPECT_EQ(enc[65534], 4094);
  EXPECT_EQ(enc[65535], 4095);
  for (int i = 1; i < 65536; ++i) ASSERT_LE(enc[i - 1], enc[i]) << i;
}

TEST(XyzConversion, ReferenceTriples) {
  auto out = Convert({{4095, 4095, 4095},
                      {4080, 4080, 4080},
                      {0, 0, 0},
                      {1, 1, 1},
                      {2048, 2048, 2048},
                      {4095, 0, 0},
                      {0, 4095, 0},
                      {0, 0, 4095}});
  EXPECT_EQ(out[0], (Triple{3883, 3960, 4091}));  // white
  EXPECT_EQ(out[1], (Triple{3871, 3947, 4079}));  // 8-bit white after the frame conversion
  EXPECT_EQ(out[2], (Triple{0, 0, 0}));
  EXPECT_EQ(out[3], (Triple{0, 0, 0}));
  EXPECT_EQ(out[4], (Triple{2160, 2203, 2276}));  // mid code value
  EXPECT_EQ(out[5], (Triple{2816, 2183, 868}));   // red
  EXPECT_EQ(out[6], (Triple{2666, 3480, 1747}));  // green
  EXPECT_EQ(out[7], (Triple{2049, 1440, 3883}));  // blue
}

TEST(XyzConversion, SixteenBitFullScaleIsClampedFirst) {
  auto out = Convert({{4096, 4096, 4096}, {4095, 4095, 4095}, {4096, 0, 0}, {4096, 0, 0}, {70000, 4095, 4095}});
  EXPECT_EQ(out[0], (Triple{3883, 3960, 4091}));
  EXPECT_EQ(out[1], (Triple{3883, 3960, 4091}));
  EXPECT_EQ(out[2], (Triple{2816, 2183, 868}));
  EXPECT_EQ(out[3], (Triple{2816, 2183, 868}));
  EXPECT_EQ(out[4], (Triple{3883, 3960, 4091}));
}

TEST(XyzConversion, EightBitImagesUseScaledIndicesAndResults) {
  // 255 indexes the table at 4095, as 12-bit white does; the result is
  // divided by 16.
  auto out = Convert({{255, 255, 255}, {0, 0, 0}}, 8);
  EXPECT_EQ(out[0], (Triple{3883 / 16, 3960 / 16, 4091 / 16}));
  EXPECT_EQ(out[1], (Triple{0, 0, 0}));
}

TEST(XyzConversion, OtherTableSets) {
  // Set 0 has an empty linearisation table: everything becomes 0.
  EXPECT_EQ(Convert({{4095, 4095, 4095}}, 12, 0)[0], (Triple{0, 0, 0}));
}

TEST(XyzConversion, WholeRowsMatchTheSampleBySampleFormula) {
  // Rows long enough for the vector loop and its tail: random 12-bit triples
  // and the values that clamp, against the formula computed one sample at a
  // time from the stored tables.
  std::mt19937 random(7);
  const int32_t corners[] = {-70000, -1, 0, 1, 6, 2048, 4094, 4095, 4096, 8191, 70000};
  for (int set = 0; set < 3; ++set) {
    for (int length : {8, 13, 1001}) {
      std::vector<Triple> pixels(length);
      for (int i = 0; i < length; ++i)
        for (int c = 0; c < 3; ++c)
          pixels[i][c] = random() % 4 == 0 ? corners[random() % 11] : static_cast<int32_t>(random() % 4096);
      const std::vector<Triple> out = Convert(pixels, 12, set);
      for (int i = 0; i < length; ++i) {
        float lin[3];
        for (int c = 0; c < 3; ++c) lin[c] = rgb_to_xyz_linearise[set][std::min(std::max(pixels[i][c], 0), 4095)];
        for (int row = 0; row < 3; ++row) {
          const float(*m)[3] = rgb_to_xyz_matrices[set];
          const float red = lin[0] * m[row][0];
          const float green = lin[1] * m[row][1];
          const float blue = lin[2] * m[row][2];
          const float sum = (red + green) + blue;
          const double scaled = static_cast<double>(sum) * 0.9165552797403094 * 65535.0;
          const int32_t index = std::min(static_cast<int32_t>(static_cast<float>(scaled)), 65535);
          ASSERT_EQ(out[i][row], xyz_encode_table[index]) << "set " << set << ", sample " << i << ", row " << row;
        }
      }
    }
  }
}
