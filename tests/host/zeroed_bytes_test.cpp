#include "host/zeroed_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>

using lumavox_host::ZeroedBytes;

// A handle's memory reads as zero when made and where it grows, and keeps
// what was written where it stays.
TEST(ZeroedBytes, ReadsZeroWhenMadeAndWhereItGrowsAndKeepsWhatWasWritten) {
  ZeroedBytes bytes;
  EXPECT_TRUE(bytes.empty());
  bytes.resize(64 << 20);  // large enough to come from fresh pages
  EXPECT_EQ(bytes.size(), size_t{64} << 20);
  EXPECT_TRUE(std::all_of(bytes.data(), bytes.data() + bytes.size(), [](uint8_t b) { return b == 0; }));
  for (size_t i = 0; i < 100; ++i) bytes.data()[i] = static_cast<uint8_t>(i + 1);
  bytes.resize(50);
  bytes.resize(200);
  const std::vector<uint8_t> kept = bytes.ToVector();
  ASSERT_EQ(kept.size(), 200u);
  for (size_t i = 0; i < 200; ++i) EXPECT_EQ(kept[i], i < 50 ? i + 1 : 0) << i;
  bytes.resize(0);
  EXPECT_TRUE(bytes.empty());
}
