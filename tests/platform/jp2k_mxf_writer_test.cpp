// Picture track files: our files for the reference codestreams against the
// reference files, the installed tools reading them, and bad use.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/asdcp/JP2K_mxf_writer.h"
#include "platform/asdcp/JP2K_mxfs_writer.h"
#include "platform/asdcp/KM_uuid.h"
#include "tests/support/j2c_descriptor.h"
#include "tests/support/mxf_dump.h"
#include "tests/support/test_support.h"

using namespace lumavox_test;

namespace {

const Kumu::byte_t kProductUUID[16] = {0x4c, 0x75, 0x6d, 0x61, 0x76, 0x6f, 0x78, 0x00,
                                       0x51, 0x75, 0x6f, 0x72, 0x69, 0x78, 0x00, 0x01};

struct PictureCase {
  std::string reference;  // name of the reference file and dumps
  std::string left;       // codestream set (the only one for 2D)
  std::string right;      // right-eye set, empty for 2D
  ASDCP::LabelSet_t labels;
  std::string asset;  // the reference file's asset UUID
};

const std::vector<PictureCase> kCases = {
    {"pic_1998_smpte", "flat_1998", "", ASDCP::LS_MXF_SMPTE, "11111111-1998-4000-8000-000000000001"},
    {"pic_2048_smpte", "full_2048", "", ASDCP::LS_MXF_SMPTE, "11111111-2048-4000-8000-000000000001"},
    {"pic_1998_interop", "flat_1998", "", ASDCP::LS_MXF_INTEROP, "11111111-1998-4000-8000-000000000002"},
    {"pic3d_1998_smpte", "3d_left_1998", "3d_right_1998", ASDCP::LS_MXF_SMPTE, "33333333-1998-4000-8000-000000000001"},
    {"pic3d_1998_interop", "3d_left_1998", "3d_right_1998", ASDCP::LS_MXF_INTEROP,
     "33333333-1998-4000-8000-000000000002"},
};

ASDCP::WriterInfo OurInfo(ASDCP::LabelSet_t labels, const std::string& asset) {
  ASDCP::WriterInfo info;
  std::memcpy(info.ProductUUID, kProductUUID, 16);
  info.CompanyName = "Quorix";
  info.ProductName = "Lumavox";
  info.ProductVersion = ASDCP::Version();
  info.LabelSetType = labels;
  Kumu::UUID uuid;
  if (uuid.DecodeHex(asset.c_str())) std::memcpy(info.AssetUUID, uuid.Value(), 16);
  return info;
}

// Wraps the case's codestreams; the expected order of codestreams goes to *order.
Kumu::Result_t WriteCase(const PictureCase& c, const std::string& path, std::vector<std::vector<uint8_t>>* order) {
  const auto left = ReferenceCodestreams(c.left);
  const auto right = c.right.empty() ? std::vector<std::vector<uint8_t>>() : ReferenceCodestreams(c.right);
  ASDCP::JP2K::PictureDescriptor descriptor;
  if (left.empty() || !DescriptorFromCodestream(left[0], &descriptor)) return Kumu::RESULT_FAIL;
  descriptor.ContainerDuration = 100;  // what the caller expects; the file says what came
  const ASDCP::WriterInfo info = OurInfo(c.labels, c.asset);
  ASDCP::JP2K::FrameBuffer buffer(4 * 1024 * 1024);
  auto load = [&](const std::vector<uint8_t>& cs, uint32_t number) {
    buffer.SetData(const_cast<Kumu::byte_t*>(cs.data()), 4 * 1024 * 1024);
    buffer.Size(static_cast<uint32_t>(cs.size()));
    buffer.FrameNumber(number);
    order->push_back(cs);
  };
  if (c.right.empty()) {
    ASDCP::JP2K::MXFWriter writer;
    Kumu::Result_t result = writer.OpenWrite(path, info, descriptor, 16384);
    for (size_t i = 0; result.Success() && i < left.size(); ++i) {
      load(left[i], static_cast<uint32_t>(i));
      result = writer.WriteFrame(buffer);
    }
    return result.Success() ? writer.Finalize() : result;
  }
  ASDCP::JP2K::MXFSWriter writer;
  Kumu::Result_t result = writer.OpenWrite(path, info, descriptor, 16384);
  for (size_t i = 0; result.Success() && i < left.size(); ++i) {
    load(left[i], static_cast<uint32_t>(2 * i));
    result = writer.WriteFrame(buffer, ASDCP::JP2K::SP_LEFT);
    if (result.Failure()) break;
    load(right[i], static_cast<uint32_t>(2 * i));
    result = writer.WriteFrame(buffer, ASDCP::JP2K::SP_RIGHT);
  }
  return result.Success() ? writer.Finalize() : result;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string s;
  for (size_t i = 0; i < lines.size() && i < 20; ++i) s += lines[i] + "\n";
  return s;
}

std::map<std::string, std::string> ProbeValues(const std::string& path) {
  // Every frame's packet is read; the codestreams are the references', which
  // tell nothing of the file when decoded (ffmpeg gives them back byte for
  // byte below).
  CommandResult r = RunCommand({"ffprobe", "-v", "error", "-count_packets", "-show_format", "-show_streams", path});
  std::map<std::string, std::string> values;
  size_t start = 0;
  while (start < r.out.size()) {
    size_t end = r.out.find('\n', start);
    if (end == std::string::npos) end = r.out.size();
    std::string line = r.out.substr(start, end - start);
    size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    start = end + 1;
  }
  values["status"] = std::to_string(r.status);
  return values;
}

}  // namespace

TEST(JP2KMXFWriter, FilesMatchTheReferenceFilesSetBySet) {
  const std::string dumps = SharedDir() + "/reference/dumps/";
  for (const PictureCase& c : kCases) {
    SCOPED_TRACE(c.reference);
    TempDir dir;
    const std::string path = dir / "ours.mxf";
    std::vector<std::vector<uint8_t>> order;
    ASSERT_TRUE(WriteCase(c, path, &order).Success());

    const MxfFile ours = ReadMxf(path);
    const MxfFile reference = ReadMxf(SharedDir() + "/reference/mxf/" + c.reference + ".mxf");
    ASSERT_TRUE(ours.ok) << ours.error;
    // Our reader agrees with the reference dump on the reference file, then
    // our file agrees with it.
    EXPECT_EQ(KlvListing(reference), ReferenceKlvListing(dumps + c.reference + ".klv.txt"));
    auto listing = CompareListings(KlvListing(ours), ReferenceKlvListing(dumps + c.reference + ".klv.txt"));
    EXPECT_TRUE(listing.empty()) << Join(listing);
    auto structure = CompareStructure(ours, reference);
    EXPECT_TRUE(structure.empty()) << Join(structure);

    // The essence is the codestreams, in order, untouched.
    EXPECT_EQ(EssencePayloads(ours, "060e2b34.01020101.0d010301.15010801"), order);
  }
}

TEST(JP2KMXFWriter, IdentificationNamesUsAndTheAsset) {
  TempDir dir;
  std::vector<std::vector<uint8_t>> order;
  ASSERT_TRUE(WriteCase(kCases[0], dir / "a.mxf", &order).Success());
  const MxfFile file = ReadMxf(dir / "a.mxf");
  ASSERT_TRUE(file.ok);
  bool seen = false;
  for (const LocalSet& set : file.sets) {
    if (KeyName(set.key) == "Identification") {
      seen = true;
      EXPECT_EQ(Utf16Text(set.Find("060e2b34.01010102.05200701.02010000")->value), "Quorix");
      EXPECT_EQ(Utf16Text(set.Find("060e2b34.01010102.05200701.03010000")->value), "Lumavox");
      EXPECT_EQ(Utf16Text(set.Find("060e2b34.01010102.05200701.05010000")->value), "1.8.44");
      EXPECT_EQ(set.Find("060e2b34.01010102.05200701.07000000")->value,
                std::vector<uint8_t>(kProductUUID, kProductUUID + 16));
    }
    if (KeyName(set.key) == "SourcePackage") {
      const auto& umid = set.Find("060e2b34.01010101.01011510.00000000")->value;
      ASSERT_EQ(umid.size(), 32u);
      Kumu::UUID asset(umid.data() + 16);
      char text[64];
      EXPECT_STREQ(asset.EncodeHex(text, sizeof text), "11111111-1998-4000-8000-000000000001");
    }
  }
  EXPECT_TRUE(seen);
}

TEST(JP2KMXFWriter, ToolsReadEveryPackingAndGiveTheCodestreamsBack) {
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  LUMAVOX_REQUIRE_TOOL("mediainfo");
  for (const PictureCase& c : kCases) {
    SCOPED_TRACE(c.reference);
    TempDir dir;
    const std::string path = dir / "ours.mxf";
    std::vector<std::vector<uint8_t>> order;
    ASSERT_TRUE(WriteCase(c, path, &order).Success());
    // Under a sanitizer, the writing alone: the tools read the same files in the plain build.
    if (kSanitized) continue;

    auto probe = ProbeValues(path);
    EXPECT_EQ(probe["status"], "0");
    EXPECT_EQ(probe["codec_name"], "jpeg2000");
    EXPECT_EQ(probe["nb_read_packets"], std::to_string(order.size()));
    EXPECT_EQ(probe["r_frame_rate"], "24/1");
    EXPECT_EQ(probe["TAG:operational_pattern_ul"], c.labels == ASDCP::LS_MXF_SMPTE
                                                       ? "060e2b34.04010102.0d010201.10000000"
                                                       : "060e2b34.04010101.0d010201.10000000");
    EXPECT_EQ(probe["TAG:company_name"], "Quorix");
    EXPECT_EQ(probe["TAG:product_name"], "Lumavox");
    EXPECT_EQ(probe["TAG:product_version"], "1.8.44");

    CommandResult extract = RunCommand(
        {"ffmpeg", "-v", "error", "-i", path, "-map", "0:v", "-c", "copy", "-f", "image2", dir / "%d.j2c"});
    ASSERT_EQ(extract.status, 0) << extract.err;
    for (size_t i = 0; i < order.size(); ++i)
      EXPECT_EQ(ReadBytes(dir / (std::to_string(i + 1) + ".j2c")), order[i]) << "codestream " << i + 1;
    EXPECT_FALSE(FileExists(dir / (std::to_string(order.size() + 1) + ".j2c")));

    CommandResult info = RunCommand({"mediainfo", path});
    EXPECT_NE(info.out.find("OP-Atom"), std::string::npos);
    EXPECT_NE(info.out.find("Closed / Complete"), std::string::npos);
    const size_t wrapping = info.out.find("wrapping mode");
    ASSERT_NE(wrapping, std::string::npos);
    EXPECT_EQ(info.out.substr(info.out.find(": ", wrapping), 7), ": Frame");
    EXPECT_NE(info.out.find("D-Cinema 2k"), std::string::npos);
  }
}

TEST(JP2KMXFWriter, BadUseGivesFailuresAndUnfinishedFilesLookUnfinished) {
  TempDir dir;
  const auto frames = ReferenceCodestreams("flat_1998");
  ASDCP::JP2K::PictureDescriptor descriptor;
  ASSERT_TRUE(DescriptorFromCodestream(frames[0], &descriptor));
  const ASDCP::WriterInfo info = OurInfo(ASDCP::LS_MXF_SMPTE, "11111111-1998-4000-8000-000000000001");
  ASDCP::JP2K::FrameBuffer buffer(4 * 1024 * 1024);
  std::memcpy(buffer.Data(), frames[0].data(), frames[0].size());
  buffer.Size(static_cast<uint32_t>(frames[0].size()));

  ASDCP::JP2K::MXFWriter writer;
  EXPECT_EQ(writer.Finalize(), Kumu::RESULT_INIT);          // never opened
  EXPECT_EQ(writer.WriteFrame(buffer), Kumu::RESULT_INIT);  // never opened
  EXPECT_TRUE(writer.OpenWrite(dir / "no/such/dir/x.mxf", info, descriptor).Failure());
  {
    // A header region smaller than the header metadata grows to hold it.
    ASDCP::JP2K::MXFWriter small;
    ASSERT_TRUE(small.OpenWrite(dir / "tiny.mxf", info, descriptor, 1000).Success());
    ASSERT_TRUE(small.WriteFrame(buffer).Success());
    ASSERT_TRUE(small.Finalize().Success());
    const MxfFile tiny = ReadMxf(dir / "tiny.mxf");
    EXPECT_TRUE(tiny.ok) << tiny.error;
  }
  ASDCP::WriterInfo long_name = info;  // a text beyond what a property can hold
  long_name.CompanyName.assign(40000, 'x');
  EXPECT_EQ(writer.OpenWrite(dir / "long.mxf", long_name, descriptor, 1 << 20), Kumu::RESULT_PARAM);
  EXPECT_FALSE(FileExists(dir / "long.mxf"));
  ASDCP::JP2K::PictureDescriptor empty;
  EXPECT_TRUE(writer.OpenWrite(dir / "empty.mxf", info, empty).Failure());

  // Finalised: further writes fail; the writer opens a second file.
  ASSERT_TRUE(writer.OpenWrite(dir / "one.mxf", info, descriptor).Success());
  EXPECT_EQ(writer.OpenWrite(dir / "other.mxf", info, descriptor), Kumu::RESULT_STATE);
  ASSERT_TRUE(writer.WriteFrame(buffer).Success());
  ASSERT_TRUE(writer.Finalize().Success());
  EXPECT_EQ(writer.WriteFrame(buffer), Kumu::RESULT_INIT);
  EXPECT_EQ(writer.Finalize(), Kumu::RESULT_INIT);
  ASSERT_TRUE(writer.OpenWrite(dir / "two.mxf", info, descriptor).Success());
  ASSERT_TRUE(writer.WriteFrame(buffer).Success());
  ASSERT_TRUE(writer.Finalize().Success());
  EXPECT_EQ(ReadMxf(dir / "two.mxf").packets.back().key, ReadMxf(dir / "one.mxf").packets.back().key);

  // A file whose end never came: open, incomplete header, no footer.
  {
    ASDCP::JP2K::MXFWriter abandoned;
    ASSERT_TRUE(abandoned.OpenWrite(dir / "unfinished.mxf", info, descriptor).Success());
    ASSERT_TRUE(abandoned.WriteFrame(buffer).Success());
  }
  const MxfFile unfinished = ReadMxf(dir / "unfinished.mxf");
  ASSERT_TRUE(unfinished.ok) << unfinished.error;
  EXPECT_EQ(KeyName(unfinished.packets.front().key), "OpenIncompleteHeader");
  for (const KlvPacket& p : unfinished.packets) {
    EXPECT_NE(KeyName(p.key), "CompleteFooter");
    EXPECT_NE(KeyName(p.key), "RandomIndexMetadata");
  }
  LUMAVOX_REQUIRE_TOOL("mediainfo");
  CommandResult info_out = RunCommand({"mediainfo", dir / "unfinished.mxf"});
  EXPECT_EQ(info_out.out.find("Closed / Complete"), std::string::npos);

  // Stereoscopic phases out of turn, and an unpaired left eye at the end.
  ASDCP::JP2K::MXFSWriter stereo;
  ASSERT_TRUE(stereo.OpenWrite(dir / "s.mxf", info, descriptor).Success());
  EXPECT_EQ(stereo.WriteFrame(buffer, ASDCP::JP2K::SP_RIGHT), Kumu::RESULT_STATE);
  ASSERT_TRUE(stereo.WriteFrame(buffer, ASDCP::JP2K::SP_LEFT).Success());
  EXPECT_EQ(stereo.WriteFrame(buffer, ASDCP::JP2K::SP_LEFT), Kumu::RESULT_STATE);
  EXPECT_EQ(stereo.Finalize(), Kumu::RESULT_STATE);
  EXPECT_EQ(KeyName(ReadMxf(dir / "s.mxf").packets.front().key), "OpenIncompleteHeader");
  EXPECT_EQ(stereo.WriteFrame(buffer, ASDCP::JP2K::SP_LEFT), Kumu::RESULT_INIT);
}

TEST(JP2KMXFWriter, CodestreamLongerThanTheDeclaredCapacityIsWrittenWhole) {
  TempDir dir;
  const auto frames = ReferenceCodestreams("flat_1998");
  ASDCP::JP2K::PictureDescriptor descriptor;
  ASSERT_TRUE(DescriptorFromCodestream(frames[0], &descriptor));
  std::vector<uint8_t> big(frames[0]);
  big.resize(5 * 1024 * 1024, 0x5a);
  ASDCP::JP2K::FrameBuffer buffer(4 * 1024 * 1024);
  buffer.SetData(big.data(), 4 * 1024 * 1024);
  ASSERT_TRUE(buffer.Size(static_cast<uint32_t>(big.size())).Success());
  ASDCP::JP2K::MXFWriter writer;
  ASSERT_TRUE(writer.OpenWrite(dir / "big.mxf", OurInfo(ASDCP::LS_MXF_SMPTE, ""), descriptor).Success());
  ASSERT_TRUE(writer.WriteFrame(buffer).Success());
  ASSERT_TRUE(writer.Finalize().Success());
  const MxfFile file = ReadMxf(dir / "big.mxf");
  ASSERT_TRUE(file.ok) << file.error;
  EXPECT_EQ(EssencePayloads(file, "060e2b34.01020101.0d010301.15010801"), std::vector<std::vector<uint8_t>>{big});
}

TEST(JP2KMXFWriter, LongFilesSplitTheIndexIntoSegmentsThatStillFindEveryFrame) {
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  TempDir dir;
  const auto frames = ReferenceCodestreams("flat_1998");
  ASDCP::JP2K::PictureDescriptor descriptor;
  ASSERT_TRUE(DescriptorFromCodestream(frames[0], &descriptor));
  ASDCP::JP2K::MXFWriter writer;
  ASSERT_TRUE(writer.OpenWrite(dir / "long.mxf", OurInfo(ASDCP::LS_MXF_SMPTE, ""), descriptor).Success());
  const uint32_t count = 5000;
  std::vector<uint8_t> payload(64);
  ASDCP::JP2K::FrameBuffer buffer(64);
  for (uint32_t i = 0; i < count; ++i) {
    payload.assign(16 + i % 48, static_cast<uint8_t>(i));  // sizes vary, so offsets do
    buffer.SetData(payload.data(), 64);
    buffer.Size(static_cast<uint32_t>(payload.size()));
    ASSERT_TRUE(writer.WriteFrame(buffer).Success());
  }
  ASSERT_TRUE(writer.Finalize().Success());

  const MxfFile file = ReadMxf(dir / "long.mxf");
  ASSERT_TRUE(file.ok) << file.error;
  uint64_t essence_start = 0;
  std::vector<uint64_t> packet_offsets;
  for (const KlvPacket& p : file.packets) {
    if (KeyName(p.key) == "ClosedCompleteBodyPartition") essence_start = p.offset + 20 + p.length;
    if (KeyName(p.key) == "JPEG2000Essence") packet_offsets.push_back(p.offset - essence_start);
  }
  std::vector<uint64_t> indexed;
  uint64_t next_start = 0;
  for (const LocalSet& set : file.sets) {
    if (KeyName(set.key) != "IndexTableSegment") continue;
    auto number = [&](const char* label) {
      uint64_t v = 0;
      for (uint8_t b : set.Find(label)->value) v = (v << 8) | b;
      return v;
    };
    EXPECT_EQ(number("060e2b34.01010105.07020103.010a0000"), next_start);  // start position
    const auto& entries = set.Find("060e2b34.01010105.04040402.05000000")->value;
    const uint64_t n = (uint64_t(entries[0]) << 24) | (entries[1] << 16) | (entries[2] << 8) | entries[3];
    EXPECT_EQ(number("060e2b34.01010105.07020201.01020000"), n);  // duration
    for (uint64_t k = 0; k < n; ++k) {
      uint64_t offset = 0;
      for (int b = 0; b < 8; ++b) offset = (offset << 8) | entries[8 + 11 * k + 3 + b];
      indexed.push_back(offset);
    }
    next_start += n;
  }
  EXPECT_EQ(indexed, packet_offsets);
  EXPECT_EQ(indexed.size(), count);

  CommandResult probe = RunCommand({"ffprobe", "-v", "error", "-count_packets", "-show_entries",
                                    "stream=nb_read_packets", "-of", "csv=p=0", dir / "long.mxf"});
  EXPECT_EQ(probe.out, std::to_string(count) + "\n");
}
