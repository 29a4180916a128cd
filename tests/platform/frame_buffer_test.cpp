// Frame buffers: memory of their own, or a caller's memory they point at.
#include <gtest/gtest.h>

#include <vector>

#include "platform/asdcp/AS_DCP_frame_buffer.h"
#include "platform/asdcp/AS_DCP_version.h"
#include "platform/asdcp/AS_DCP_writer_info.h"

TEST(FrameBuffer, OwnMemoryRefusesSizesBeyondItsCapacity) {
  ASDCP::FrameBuffer buffer;
  ASSERT_TRUE(buffer.Capacity(100).Success());
  EXPECT_TRUE(buffer.OwnsData());
  EXPECT_TRUE(buffer.Size(100).Success());
  EXPECT_EQ(buffer.Size(101), Kumu::RESULT_SMALLBUF);
  EXPECT_EQ(buffer.Size(), 100u);
  ASSERT_TRUE(buffer.Capacity(10).Success());
  EXPECT_EQ(buffer.Size(), 10u);  // shrinks with the capacity
}

TEST(FrameBuffer, CallersMemoryMayHoldMoreThanTheDeclaredCapacity) {
  // The picture path declares 4 MB but hands over codestreams of any length
  // from its own larger buffers: the size is taken as given.
  std::vector<Kumu::byte_t> memory(5000, 7);
  ASDCP::FrameBuffer buffer;
  ASSERT_TRUE(buffer.SetData(memory.data(), 4000).Success());
  EXPECT_FALSE(buffer.OwnsData());
  ASSERT_TRUE(buffer.Size(5000).Success());
  EXPECT_EQ(buffer.RoData(), memory.data());
  EXPECT_EQ(buffer.Capacity(), 4000u);
  EXPECT_EQ(buffer.SetData(nullptr, 10), Kumu::RESULT_PTR);
}

TEST(WriterInfo, DefaultsToInteropLabelsAndTheLibraryVersion) {
  ASDCP::WriterInfo info;
  EXPECT_STREQ(ASDCP::Version(), "1.8.44");
  EXPECT_EQ(info.ProductVersion, "1.8.44");
  EXPECT_EQ(info.LabelSetType, ASDCP::LS_MXF_INTEROP);
  EXPECT_FALSE(info.EncryptedEssence);
}
