// Sound track files: the reference WAV files wrapped as the reference files
// were, compared set by set, and decoded back by ffmpeg.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/asdcp/KM_uuid.h"
#include "platform/asdcp/PCM_mxf_writer.h"
#include "platform/asdcp/PCM_parser_list.h"
#include "tests/support/mxf_dump.h"
#include "tests/support/test_support.h"
#include "tests/support/wav_data_chunk.h"

using namespace lumavox_test;

namespace {

struct SoundCase {
  std::string reference;
  int channels;
  ASDCP::Rational rate;
  ASDCP::LabelSet_t labels;
  ASDCP::PCM::ChannelFormat_t format;
  std::string asset;
};

const std::vector<SoundCase> kCases = {
    {"snd_20_interop", 2, {24, 1}, ASDCP::LS_MXF_INTEROP, ASDCP::PCM::CF_NONE, "55555555-0002-4000-8000-000000000002"},
    {"snd_20_smpte", 2, {24, 1}, ASDCP::LS_MXF_SMPTE, ASDCP::PCM::CF_NONE, "55555555-0002-4000-8000-000000000001"},
    {"snd_51_smpte", 6, {24, 1}, ASDCP::LS_MXF_SMPTE, ASDCP::PCM::CF_CFG_1, "55555555-0006-4000-8000-000000000001"},
    {"snd_71_smpte", 8, {24, 1}, ASDCP::LS_MXF_SMPTE, ASDCP::PCM::CF_CFG_3, "55555555-0008-4000-8000-000000000001"},
    {"snd_51_interop_25fps",
     6,
     {25, 1},
     ASDCP::LS_MXF_INTEROP,
     ASDCP::PCM::CF_NONE,
     "55555555-0006-4000-8000-000000000002"},
};

const char* kChannelFiles[] = {"ch1_L.wav",  "ch2_R.wav",  "ch3_C.wav",  "ch4_LFE.wav",
                               "ch5_Ls.wav", "ch6_Rs.wav", "ch7_LC.wav", "ch8_RC.wav"};

std::vector<std::string> ChannelPaths(int channels) {
  std::vector<std::string> paths;
  paths.reserve(channels);
  for (int i = 0; i < channels; ++i) paths.push_back(SharedDir() + "/reference/wav/" + kChannelFiles[i]);
  return paths;
}

std::vector<uint8_t> Interleaved(int channels) {
  std::vector<std::vector<uint8_t>> data;
  for (const std::string& path : ChannelPaths(channels)) data.push_back(DataChunk(path));
  std::vector<uint8_t> out;
  for (size_t s = 0; s + 3 <= data[0].size(); s += 3)
    for (int c = 0; c < channels; ++c) out.insert(out.end(), data[c].begin() + s, data[c].begin() + s + 3);
  return out;
}

Kumu::Result_t WriteCase(const SoundCase& c, const std::string& path) {
  std::vector<std::string> paths = ChannelPaths(c.channels);
  std::vector<const char*> argv;
  argv.reserve(paths.size());
  for (const std::string& p : paths) argv.push_back(p.c_str());
  ASDCP::PCMParserList parser;
  Kumu::Result_t result = parser.OpenRead(static_cast<Kumu::ui32_t>(argv.size()), argv.data(), c.rate);
  if (result.Failure()) return result;
  ASDCP::PCM::AudioDescriptor descriptor;
  parser.FillAudioDescriptor(descriptor);
  descriptor.EditRate = c.rate;
  descriptor.ChannelFormat = c.format;
  ASDCP::PCM::FrameBuffer buffer(ASDCP::PCM::CalcFrameBufferSize(descriptor));
  ASDCP::WriterInfo info;
  info.CompanyName = "Quorix";
  info.ProductName = "Lumavox";
  info.LabelSetType = c.labels;
  Kumu::UUID asset;
  asset.DecodeHex(c.asset.c_str());
  std::memcpy(info.AssetUUID, asset.Value(), 16);
  ASDCP::PCM::MXFWriter writer;
  result = writer.OpenWrite(path, info, descriptor, 16384);
  if (result.Success()) result = parser.Reset();
  while (result.Success()) {
    result = parser.ReadFrame(buffer);
    if (result == Kumu::RESULT_ENDOFFILE) return writer.Finalize();
    if (result.Success()) result = writer.WriteFrame(buffer);
  }
  return result;
}

}  // namespace

TEST(PCMMXFWriter, FilesMatchTheReferenceFilesAndDecodeToTheSourceSamples) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  const std::string dumps = SharedDir() + "/reference/dumps/";
  for (const SoundCase& c : kCases) {
    SCOPED_TRACE(c.reference);
    TempDir dir;
    const std::string path = dir / "ours.mxf";
    ASSERT_TRUE(WriteCase(c, path).Success());
    const MxfFile ours = ReadMxf(path);
    const MxfFile reference = ReadMxf(SharedDir() + "/reference/mxf/" + c.reference + ".mxf");
    ASSERT_TRUE(ours.ok) << ours.error;
    EXPECT_EQ(KlvListing(reference), ReferenceKlvListing(dumps + c.reference + ".klv.txt"));
    for (const std::string& d :
         CompareListings(KlvListing(ours), ReferenceKlvListing(dumps + c.reference + ".klv.txt")))
      ADD_FAILURE() << d;
    for (const std::string& d : CompareStructure(ours, reference)) ADD_FAILURE() << d;

    CommandResult decode = RunCommand(
        {"ffmpeg", "-v", "error", "-i", path, "-map", "0:a", "-c:a", "pcm_s24le", "-f", "s24le", dir / "out.raw"});
    ASSERT_EQ(decode.status, 0) << decode.err;
    EXPECT_TRUE(ReadBytes(dir / "out.raw") == Interleaved(c.channels)) << "decoded samples differ";
  }
}

TEST(PCMMXFWriter, RefusesBadUseWithoutCrashing) {
  TempDir dir;
  ASDCP::PCM::AudioDescriptor descriptor;
  ASDCP::WriterInfo info;
  ASDCP::PCM::MXFWriter writer;
  ASDCP::PCM::FrameBuffer buffer(6000);
  buffer.Size(6000);
  EXPECT_EQ(writer.WriteFrame(buffer), Kumu::RESULT_INIT);
  EXPECT_EQ(writer.Finalize(), Kumu::RESULT_INIT);
  EXPECT_EQ(writer.OpenWrite(dir / "x.mxf", info, descriptor), Kumu::RESULT_PARAM);  // nothing described

  descriptor.EditRate = ASDCP::Rational(24000, 1001);
  descriptor.AudioSamplingRate = ASDCP::Rational(48000, 1);
  descriptor.ChannelCount = 2;
  descriptor.QuantizationBits = 24;
  descriptor.BlockAlign = 6;
  descriptor.AvgBps = 288000;
  EXPECT_TRUE(writer.OpenWrite(dir / "missing/x.mxf", info, descriptor).Failure());
  ASSERT_TRUE(writer.OpenWrite(dir / "x.mxf", info, descriptor).Success());
  ASSERT_TRUE(writer.WriteFrame(buffer).Success());
  ASDCP::PCM::FrameBuffer longer(6006);
  longer.Size(6006);
  EXPECT_EQ(writer.WriteFrame(longer), Kumu::RESULT_PARAM);
  buffer.Size(3000);
  ASSERT_TRUE(writer.WriteFrame(buffer).Success());  // a short last unit
  EXPECT_EQ(writer.WriteFrame(buffer), Kumu::RESULT_STATE);
  ASSERT_TRUE(writer.Finalize().Success());
  EXPECT_EQ(writer.WriteFrame(buffer), Kumu::RESULT_INIT);
  const MxfFile file = ReadMxf(dir / "x.mxf");
  ASSERT_TRUE(file.ok);
  EXPECT_EQ(KeyName(file.packets.front().key), "ClosedCompleteHeader");
  for (const LocalSet& set : file.sets) {
    if (KeyName(set.key) == "Track") {  // the edit rate 24000/1001 as it was given
      EXPECT_EQ(set.Find("060e2b34.01010102.05300405.00000000")->value,
                (std::vector<uint8_t>{0, 0, 0x5d, 0xc0, 0, 0, 0x03, 0xe9}));
    }
  }
}
