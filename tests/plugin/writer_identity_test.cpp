// The module's writer identification and its static picture writers.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/asdcp/KM_uuid.h"
#include "plugin/picture_track_writers.h"
#include "plugin/writer_identity.h"
#include "tests/support/j2c_descriptor.h"
#include "tests/support/mxf_dump.h"
#include "tests/support/test_support.h"

using namespace lumavox_test;

TEST(WriterIdentity, BothInstancesCarryTheProductIdentity) {
  for (const ASDCP::WriterInfo* info : {&OutputWriterInfo, &PackageWriterInfo}) {
    EXPECT_EQ(info->CompanyName, "Quorix");
    EXPECT_EQ(info->ProductName, "Lumavox");
    EXPECT_EQ(info->ProductVersion, "1.8.44");
    EXPECT_EQ(std::memcmp(info->ProductUUID, kLumavoxProductUUID, 16), 0);
    EXPECT_EQ(info->LabelSetType, ASDCP::LS_MXF_INTEROP);
  }
}

TEST(WriterIdentity, TwoRendersReuseTheStaticWritersAndStampTheSameProduct) {
  TempDir dir;
  const auto frames = ReferenceCodestreams("flat_1998");
  ASSERT_FALSE(frames.empty());
  ASSERT_TRUE(DescriptorFromCodestream(frames[0], &g_pictureDescriptor));
  std::vector<std::vector<uint8_t>> product_uids;
  for (int render = 0; render < 2; ++render) {
    ASDCP::WriterInfo info = OutputWriterInfo;
    Kumu::GenRandomUUID(info.AssetUUID);
    info.LabelSetType = render == 0 ? ASDCP::LS_MXF_SMPTE : ASDCP::LS_MXF_INTEROP;
    const std::string path = dir / ("r" + std::to_string(render) + ".mxf");
    ASSERT_TRUE(g_pictureWriter.OpenWrite(path, info, g_pictureDescriptor, 16384).Success());
    ASDCP::JP2K::FrameBuffer buffer(4194304);
    buffer.SetData(const_cast<Kumu::byte_t*>(frames[0].data()), 4194304);
    buffer.Size(static_cast<uint32_t>(frames[0].size()));
    ASSERT_TRUE(g_pictureWriter.WriteFrame(buffer).Success());
    ASSERT_TRUE(g_pictureWriter.Finalize().Success());
    const MxfFile file = ReadMxf(path);
    ASSERT_TRUE(file.ok);
    for (const LocalSet& set : file.sets) {
      if (KeyName(set.key) != "Identification") continue;
      EXPECT_EQ(Utf16Text(set.Find("060e2b34.01010102.05200701.02010000")->value), "Quorix");
      EXPECT_EQ(Utf16Text(set.Find("060e2b34.01010102.05200701.03010000")->value), "Lumavox");
      EXPECT_EQ(Utf16Text(set.Find("060e2b34.01010102.05200701.05010000")->value), "1.8.44");
      product_uids.push_back(set.Find("060e2b34.01010102.05200701.07000000")->value);
    }
  }
  ASSERT_EQ(product_uids.size(), 2u);
  EXPECT_EQ(product_uids[0], product_uids[1]);
  EXPECT_EQ(product_uids[0], std::vector<uint8_t>(kLumavoxProductUUID, kLumavoxProductUUID + 16));
}
