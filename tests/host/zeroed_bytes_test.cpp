#include "host/zeroed_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "host/frame_bytes.h"
#include "host/large_blocks.h"

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

// Large blocks start on 2 MB boundaries, read as zero, and keep their bytes
// when a handle or a frame buffer grows from one large block to another.
TEST(LargeBlocks, AreZeroedOnHugePageBoundariesAndKeepTheirBytesAsTheyGrow) {
  auto on_boundary = [](const void* p) { return reinterpret_cast<uintptr_t>(p) % (uintptr_t{2} << 20) == 0; };
  const size_t odd = lumavox_host::kLargeBlockBytes + 12345;
  auto* block = static_cast<uint8_t*>(lumavox_host::AllocateLargeBlock(odd));
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(on_boundary(block));
  EXPECT_TRUE(std::all_of(block, block + odd, [](uint8_t b) { return b == 0; }));
  block[odd - 1] = 7;
  lumavox_host::FreeLargeBlock(block, odd);

  ZeroedBytes bytes;
  bytes.resize(size_t{5} << 20);
  EXPECT_TRUE(on_boundary(bytes.data()));
  bytes.data()[0] = 1;
  bytes.data()[bytes.size() - 1] = 2;
  bytes.resize(size_t{9} << 20);
  EXPECT_EQ(bytes.data()[0], 1);
  EXPECT_EQ(bytes.data()[(size_t{5} << 20) - 1], 2);
  EXPECT_TRUE(
      std::all_of(bytes.data() + (size_t{5} << 20), bytes.data() + bytes.size(), [](uint8_t b) { return b == 0; }));

  lumavox_host::FrameBytes frame(size_t{6} << 20);
  EXPECT_TRUE(on_boundary(frame.data()));
  frame.back() = 3;
  frame.resize(size_t{12} << 20);
  EXPECT_EQ(frame[(size_t{6} << 20) - 1], 3);
}
