#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "host/frame_source.h"
#include "host/test_pattern.h"

using namespace lumavox_host;

namespace {

std::vector<uint8_t> ToRgb8(const HostFrame& f) {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x)
      for (int c = 1; c <= 3; ++c) {
        int v = f.Channel(x, y, c);
        rgb.push_back(static_cast<uint8_t>(f.depth == 8 ? v : To8(v)));
      }
  return rgb;
}

// Zero crossings from below of one channel, over one second.
int RisingCrossings(const std::vector<int16_t>& s, int channel) {
  int n = 0;
  for (size_t k = 1; k < s.size() / 2; ++k) n += s[2 * (k - 1) + channel] < 0 && s[2 * k + channel] >= 0;
  return n;
}

}  // namespace

TEST(TestPattern, EveryFrameDiffersAndCarriesItsNumber) {
  std::set<FrameBytes> seen;
  HostFrame f;
  f.Allocate(96, 54, 8);
  for (int64_t i = 0; i < 60; ++i) {
    FillTestPattern(i, f);
    auto rgb = ToRgb8(f);
    EXPECT_EQ(ReadPatternFrameNumber(rgb.data(), f.width, f.height), i);
    EXPECT_TRUE(seen.insert(f.pixels).second) << "frame " << i << " repeats an earlier one";
  }
  f.Allocate(1998, 1080, 16);
  FillTestPattern(12345, f);
  EXPECT_EQ(ReadPatternFrameNumber(ToRgb8(f).data(), f.width, f.height), 12345);
}

TEST(TestPattern, FillIsDeterministicAndMatchesThePixelFunction) {
  for (int depth : {8, 16}) {
    const int full = depth == 8 ? 255 : 32768;
    HostFrame a, b;
    a.Allocate(101, 37, depth, 12);  // odd size, padded rows
    b.Allocate(101, 37, depth, 12);
    for (int64_t frame : {0, 7, 300}) {
      FillTestPattern(frame, a);
      FillTestPattern(frame, b);
      ASSERT_EQ(a.pixels, b.pixels);
      for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
          RGB c = TestPatternPixel(frame, x, y, a.width, a.height);
          ASSERT_EQ(a.Channel(x, y, 0), full);
          ASSERT_EQ(a.Channel(x, y, 1), std::lround(c.r * full)) << x << "," << y;
          ASSERT_EQ(a.Channel(x, y, 2), std::lround(c.g * full));
          ASSERT_EQ(a.Channel(x, y, 3), std::lround(c.b * full));
        }
      // Row padding stays untouched.
      for (int y = 0; y < a.height; ++y)
        for (int k = a.width * a.PixelBytes(); k < a.row_bytes; ++k) ASSERT_EQ(a.Row(y)[k], 0);
    }
  }
}

TEST(TestPattern, ToneIsDeterministicStereoAndSplitsAnywhere) {
  auto s0 = ToneSamples(0);
  ASSERT_EQ(s0.size(), 96000u);
  EXPECT_EQ(s0, ToneSamples(0));
  EXPECT_NEAR(RisingCrossings(s0, 0), 440, 1);
  EXPECT_NEAR(RisingCrossings(s0, 1), 330, 1);
  EXPECT_NEAR(RisingCrossings(ToneSamples(2), 1), 550, 1);
  int peak = 0;
  for (int16_t v : s0) peak = std::max(peak, std::abs(static_cast<int>(v)));
  EXPECT_EQ(peak, 8192);

  // The source's sound across a second boundary is the two seconds' tones.
  auto source = MakePatternSource();
  auto across = source->Sound(48000 - 100, 300);
  auto tail = ToneSamples(0, 48000 - 100, 100), head = ToneSamples(1, 0, 200);
  tail.insert(tail.end(), head.begin(), head.end());
  EXPECT_EQ(across, tail);
}
