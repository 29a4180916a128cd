// Timed-text track files: the reference subtitle document and its font
// wrapped as the reference file was, compared set by set, read back whole.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/asdcp/KM_uuid.h"
#include "platform/asdcp/TimedText_mxf_writer.h"
#include "platform/asdcp/TimedText_subtitle_parser.h"
#include "tests/support/mxf_dump.h"
#include "tests/support/test_support.h"

using namespace lumavox_test;

namespace {

ASDCP::WriterInfo Info(const char* asset) {
  ASDCP::WriterInfo info;
  info.CompanyName = "Quorix";
  info.ProductName = "Lumavox";
  info.LabelSetType = ASDCP::LS_MXF_INTEROP;  // timed text is SMPTE whatever the caller says
  Kumu::UUID uuid;
  uuid.DecodeHex(asset);
  std::memcpy(info.AssetUUID, uuid.Value(), 16);
  return info;
}

}  // namespace

TEST(TimedTextMXFWriter, FileMatchesTheReferenceAndGivesDocumentAndFontBack) {
  const std::string source = SharedDir() + "/reference/subtitles/smpte/";
  TempDir dir;
  const std::string path = dir / "ours.mxf";

  ASDCP::TimedText::DCSubtitleParser parser;
  ASSERT_TRUE(parser.OpenRead(source + "subs.xml").Success());
  ASDCP::TimedText::TimedTextDescriptor descriptor;
  parser.FillTimedTextDescriptor(descriptor);
  ASDCP::TimedText::FrameBuffer buffer(4194304);
  ASDCP::TimedText::MXFWriter writer;
  ASSERT_TRUE(writer.OpenWrite(path, Info("77777777-0000-4000-8000-000000000001"), descriptor, 16384).Success());
  std::string xml;
  ASSERT_TRUE(parser.ReadTimedTextResource(xml).Success());
  ASSERT_TRUE(writer.WriteTimedTextResource(xml).Success());
  EXPECT_EQ(writer.WriteTimedTextResource(xml), Kumu::RESULT_STATE);
  for (const auto& resource : descriptor.ResourceList) {
    ASSERT_TRUE(parser.ReadAncillaryResource(resource.ResourceID, buffer).Success());
    ASSERT_TRUE(writer.WriteAncillaryResource(buffer).Success());
    EXPECT_EQ(writer.WriteAncillaryResource(buffer), Kumu::RESULT_STATE);
  }
  ASSERT_TRUE(writer.Finalize().Success());

  const MxfFile ours = ReadMxf(path);
  const MxfFile reference = ReadMxf(SharedDir() + "/reference/mxf/tt_smpte.mxf");
  ASSERT_TRUE(ours.ok) << ours.error;
  const std::string dump = SharedDir() + "/reference/dumps/tt_smpte.klv.txt";
  EXPECT_EQ(KlvListing(reference), ReferenceKlvListing(dump));
  for (const std::string& d : CompareListings(KlvListing(ours), ReferenceKlvListing(dump))) ADD_FAILURE() << d;
  for (const std::string& d : CompareStructure(ours, reference)) ADD_FAILURE() << d;

  EXPECT_EQ(EssencePayloads(ours, "060e2b34.01020101.0d010301.17010b01"),
            std::vector<std::vector<uint8_t>>{ReadBytes(source + "subs.xml")});
  EXPECT_EQ(EssencePayloads(ours, "060e2b34.0101010c.0d010509.01000000"),
            std::vector<std::vector<uint8_t>>{ReadBytes(source + "77777777-0000-4000-8000-0000000000f0.ttf")});
}

TEST(TimedTextMXFWriter, RefusesResourcesOutOfTurnOrUnknown) {
  TempDir dir;
  ASDCP::TimedText::TimedTextDescriptor descriptor;
  ASDCP::TimedText::MXFWriter writer;
  EXPECT_EQ(writer.WriteTimedTextResource("<x/>"), Kumu::RESULT_INIT);
  EXPECT_EQ(writer.Finalize(), Kumu::RESULT_INIT);
  EXPECT_EQ(writer.OpenWrite(dir / "a.mxf", Info("77777777-0000-4000-8000-000000000001"), descriptor),
            Kumu::RESULT_PARAM);  // no edit rate
  descriptor.EditRate = ASDCP::Rational(24, 1);
  descriptor.ContainerDuration = 10;
  descriptor.EncodingName = "UTF-8";
  ASDCP::TimedText::TimedTextResourceDescriptor font;
  font.ResourceID[0] = 1;
  font.Type = ASDCP::TimedText::MT_OPENTYPE;
  descriptor.ResourceList.push_back(font);
  ASSERT_TRUE(writer.OpenWrite(dir / "a.mxf", Info("77777777-0000-4000-8000-000000000001"), descriptor).Success());

  ASDCP::TimedText::FrameBuffer buffer(16);
  buffer.Size(16);
  buffer.AssetID(font.ResourceID);
  EXPECT_EQ(writer.WriteAncillaryResource(buffer), Kumu::RESULT_STATE);  // before the document
  EXPECT_EQ(writer.Finalize(), Kumu::RESULT_STATE);                      // no document: left unfinished
  EXPECT_EQ(KeyName(ReadMxf(dir / "a.mxf").packets.front().key), "OpenIncompleteHeader");

  ASSERT_TRUE(writer.OpenWrite(dir / "b.mxf", Info("77777777-0000-4000-8000-000000000001"), descriptor).Success());
  ASSERT_TRUE(writer.WriteTimedTextResource("<SubtitleReel/>").Success());
  Kumu::byte_t other[16] = {2};
  buffer.AssetID(other);
  EXPECT_EQ(writer.WriteAncillaryResource(buffer), Kumu::RESULT_PARAM);
  buffer.AssetID(font.ResourceID);
  ASSERT_TRUE(writer.WriteAncillaryResource(buffer).Success());
  ASSERT_TRUE(writer.Finalize().Success());
  const MxfFile file = ReadMxf(dir / "b.mxf");
  ASSERT_TRUE(file.ok);
  EXPECT_EQ(KeyName(file.packets.front().key), "ClosedCompleteHeader");
  EXPECT_EQ(KeyName(file.packets.back().key), "RandomIndexMetadata");
}
