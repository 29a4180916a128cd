#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/asdcp/PCM_parser_list.h"
#include "tests/support/test_support.h"

using namespace lumavox_test;
using ASDCP::PCMParserList;
using ASDCP::Rational;
using ASDCP::PCM::AudioDescriptor;
using ASDCP::PCM::FrameBuffer;

namespace {

const char* kChannels[] = {"ch1_L", "ch2_R", "ch3_C", "ch4_LFE", "ch5_Ls", "ch6_Rs", "ch7_LC", "ch8_RC"};

std::string WavPath(int i) { return SharedDir() + "/reference/wav/" + kChannels[i] + ".wav"; }

void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(x & 0xFF);
  v.push_back((x >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}
void PutChunk(std::vector<uint8_t>& v, const char* id, const std::vector<uint8_t>& body) {
  v.insert(v.end(), id, id + 4);
  Put32(v, static_cast<uint32_t>(body.size()));
  v.insert(v.end(), body.begin(), body.end());
  if (body.size() & 1) v.push_back(0);
}

struct WavLayout {
  uint16_t tag = 1;
  uint16_t channels = 1;
  uint32_t rate = 48000;
  uint16_t bits = 24;
  uint32_t byte_rate = 0;  // 0: computed
  bool data_first = false;
  bool junk_chunk = false;  // an odd-sized chunk before both
};

std::vector<uint8_t> MakeWav(const WavLayout& s, const std::vector<uint8_t>& samples) {
  std::vector<uint8_t> fmt;
  Put16(fmt, s.tag);
  Put16(fmt, s.channels);
  Put32(fmt, s.rate);
  Put32(fmt, s.byte_rate != 0 ? s.byte_rate : s.rate * s.channels * (s.bits / 8));
  Put16(fmt, s.channels * (s.bits / 8));
  Put16(fmt, s.bits);
  if (s.tag == 0xFFFE) {
    Put16(fmt, 22);
    Put16(fmt, s.bits);
    Put32(fmt, 4);
    const uint8_t pcm[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    fmt.insert(fmt.end(), pcm, pcm + 16);
  }
  std::vector<uint8_t> body = {'W', 'A', 'V', 'E'};
  if (s.junk_chunk) PutChunk(body, "LIST", {1, 2, 3, 4, 5});
  if (s.data_first) PutChunk(body, "data", samples);
  PutChunk(body, "fmt ", fmt);
  if (!s.data_first) PutChunk(body, "data", samples);
  std::vector<uint8_t> file = {'R', 'I', 'F', 'F'};
  Put32(file, static_cast<uint32_t>(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

// The samples of a file as 24-bit little-endian bytes, per FFmpeg.
std::vector<uint8_t> FfmpegSamples(const std::vector<std::string>& inputs) {
  std::vector<std::string> argv = {"ffmpeg", "-v", "error", "-nostdin"};
  for (const auto& in : inputs) {
    argv.push_back("-i");
    argv.push_back(in);
  }
  if (inputs.size() > 1) {
    argv.push_back("-filter_complex");
    argv.push_back("amerge=inputs=" + std::to_string(inputs.size()));
  }
  for (const char* a : {"-f", "s24le", "-c:a", "pcm_s24le", "-"}) argv.push_back(a);
  CommandResult r = RunCommand(argv);
  EXPECT_EQ(r.status, 0) << r.err;
  return std::vector<uint8_t>(r.out.begin(), r.out.end());
}

// Reads every frame; returns the bytes, the frame sizes in order and the
// result that ended the reading.
struct ReadAll {
  std::vector<uint8_t> bytes;
  std::vector<uint32_t> sizes;
  int end = 0;
};
ReadAll ReadFrames(PCMParserList& list, uint32_t capacity, size_t limit = 100000) {
  ReadAll all;
  FrameBuffer fb(capacity);
  for (size_t i = 0; i < limit; ++i) {
    Kumu::Result_t r = list.ReadFrame(fb);
    if (KM_FAILURE(r)) {
      all.end = r.Value();
      return all;
    }
    all.sizes.push_back(fb.Size());
    all.bytes.insert(all.bytes.end(), fb.RoData(), fb.RoData() + fb.Size());
  }
  return all;
}

}  // namespace

TEST(PCMParserList, ReferenceChannelsInterleavedInOrderMatchFfmpeg) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  struct Case {
    int channels;
    Rational rate;
    uint32_t samples_per_frame;
    uint32_t whole_frames;
  };
  // 0.25 s at 48 kHz is 12000 sample frames.
  for (const Case& c :
       {Case{1, Rational(24, 1), 2000, 6}, Case{2, Rational(24, 1), 2000, 6}, Case{6, Rational(25, 1), 1920, 6},
        Case{8, Rational(24000, 1001), 2002, 5}, Case{6, Rational(48, 1), 1000, 12}}) {
    SCOPED_TRACE(c.channels);
    std::vector<std::string> paths;
    std::vector<const char*> argv;
    paths.reserve(c.channels);
    argv.reserve(c.channels);
    for (int i = 0; i < c.channels; ++i) paths.push_back(WavPath(i));
    for (const auto& p : paths) argv.push_back(p.c_str());

    PCMParserList list;
    ASSERT_TRUE(KM_SUCCESS(list.OpenRead(static_cast<uint32_t>(argv.size()), argv.data(), c.rate)));
    AudioDescriptor desc;
    ASSERT_TRUE(KM_SUCCESS(list.FillAudioDescriptor(desc)));
    EXPECT_EQ(desc.ChannelCount, static_cast<uint32_t>(c.channels));
    EXPECT_EQ(desc.QuantizationBits, 24u);
    EXPECT_EQ(desc.AudioSamplingRate.Numerator, 48000);
    EXPECT_EQ(desc.AudioSamplingRate.Denominator, 1);
    EXPECT_EQ(desc.BlockAlign, 3u * c.channels);
    EXPECT_EQ(desc.AvgBps, 48000u * 3 * c.channels);
    EXPECT_EQ(desc.ContainerDuration, c.whole_frames);
    EXPECT_EQ(desc.ChannelFormat, ASDCP::PCM::CF_NONE);
    const uint32_t frame_size = ASDCP::PCM::CalcFrameBufferSize(desc);
    EXPECT_EQ(frame_size, c.samples_per_frame * desc.BlockAlign);

    ReadAll all = ReadFrames(list, frame_size);
    EXPECT_EQ(all.end, Kumu::RESULT_ENDOFFILE.Value());
    // Whole frames, then the partial rest as one short frame.
    ASSERT_GE(all.sizes.size(), c.whole_frames);
    for (uint32_t i = 0; i < c.whole_frames; ++i) EXPECT_EQ(all.sizes[i], frame_size);
    uint32_t rest = 12000 - c.whole_frames * c.samples_per_frame;
    EXPECT_EQ(all.sizes.size(), c.whole_frames + (rest != 0 ? 1 : 0));
    if (rest != 0) {
      EXPECT_EQ(all.sizes.back(), rest * desc.BlockAlign);
    }
    EXPECT_TRUE(all.bytes == FfmpegSamples(paths));

    // Reset starts again from the first sample.
    ASSERT_TRUE(KM_SUCCESS(list.Reset()));
    FrameBuffer fb(frame_size);
    ASSERT_TRUE(KM_SUCCESS(list.ReadFrame(fb)));
    EXPECT_EQ(0, std::memcmp(fb.RoData(), all.bytes.data(), frame_size));
  }
}

TEST(PCMParserList, ChunkOrderExtensibleFormatAndShortestSource) {
  TempDir dir;
  // Two sources of different lengths, built with the chunks in unusual
  // order: the list stops with the shorter one.
  std::vector<uint8_t> a, b;
  for (int i = 0; i < 3 * 2500; ++i) a.push_back(static_cast<uint8_t>(i * 7));
  for (int i = 0; i < 3 * 2100; ++i) b.push_back(static_cast<uint8_t>(i * 13 + 1));
  WavLayout first;
  first.data_first = true;
  first.junk_chunk = true;
  WavLayout second;
  second.tag = 0xFFFE;
  second.junk_chunk = true;
  WriteBytes(dir / "a.wav", MakeWav(first, a));
  WriteBytes(dir / "b.wav", MakeWav(second, b));
  std::string pa = dir / "a.wav", pb = dir / "b.wav";
  const char* argv[] = {pa.c_str(), pb.c_str()};
  PCMParserList list;
  ASSERT_TRUE(KM_SUCCESS(list.OpenRead(2, argv, Rational(24, 1))));
  AudioDescriptor desc;
  list.FillAudioDescriptor(desc);
  EXPECT_EQ(desc.ContainerDuration, 1u);
  ReadAll all = ReadFrames(list, ASDCP::PCM::CalcFrameBufferSize(desc));
  ASSERT_EQ(all.sizes.size(), 2u);
  EXPECT_EQ(all.sizes[0], 2000u * 6);
  EXPECT_EQ(all.sizes[1], 100u * 6);
  ASSERT_EQ(all.bytes.size(), 2100u * 6);
  for (size_t s = 0; s < 2100; ++s) {
    ASSERT_EQ(0, std::memcmp(&all.bytes[s * 6], &a[s * 3], 3)) << s;
    ASSERT_EQ(0, std::memcmp(&all.bytes[s * 6 + 3], &b[s * 3], 3)) << s;
  }

  // 96 kHz doubles the samples of an edit unit; a buffer too small for one
  // is refused rather than overrun.
  WavLayout fast;
  fast.rate = 96000;
  WriteBytes(dir / "fast.wav", MakeWav(fast, a));
  std::string pf = dir / "fast.wav";
  const char* one[] = {pf.c_str()};
  ASSERT_TRUE(KM_SUCCESS(list.OpenRead(1, one, Rational(24, 1))));
  list.FillAudioDescriptor(desc);
  EXPECT_EQ(ASDCP::PCM::CalcFrameBufferSize(desc), 4000u * 3);
  FrameBuffer small(100);
  EXPECT_EQ(list.ReadFrame(small), Kumu::RESULT_SMALLBUF);
}

TEST(PCMParserList, RefusesBadInputWithAMessage) {
  TempDir dir;
  std::vector<uint8_t> samples(3 * 4000, 0x11);
  std::vector<uint8_t> good = MakeWav(WavLayout(), samples);
  WriteBytes(dir / "good.wav", good);

  struct Bad {
    std::string name;
    std::vector<uint8_t> bytes;
    std::string message;
  };
  std::vector<Bad> bad;
  bad.push_back({"truncated", std::vector<uint8_t>(good.begin(), good.begin() + 30), "runs past the end of the file"});
  bad.push_back({"text", std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!'},
                 "not a RIFF/WAVE file"});
  bad.push_back({"empty", {}, "too short"});
  {
    std::vector<uint8_t> v = good;
    v.resize(v.size() - 10);  // the data chunk now claims more than is there
    bad.push_back({"long_data", v, "\"data\" chunk declares"});
  }
  {
    WavLayout s;
    s.byte_rate = 0xFFFFFFFF;
    std::vector<uint8_t> v = MakeWav(s, samples);
    std::memset(&v[28], 0, 4);
    bad.push_back({"zero_byte_rate", v, "byte rate of 0"});
  }
  {
    WavLayout s;
    s.bits = 16;
    bad.push_back({"sixteen_bit", MakeWav(s, samples), "bit depth 16"});
  }
  {
    WavLayout s;
    s.rate = 44100;
    bad.push_back({"cd_rate", MakeWav(s, samples), "sample rate 44100"});
  }
  {
    WavLayout s;
    s.tag = 3;
    bad.push_back({"float", MakeWav(s, samples), "format tag 0x0003"});
  }
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.name);
    std::string path = dir / (b.name + ".wav");
    WriteBytes(path, b.bytes);
    const char* argv[] = {path.c_str()};
    PCMParserList list;
    testing::internal::CaptureStderr();
    Kumu::Result_t r = list.OpenRead(1, argv, Rational(24, 1));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(KM_FAILURE(r));
    EXPECT_NE(err.find(b.message), std::string::npos) << err;
    EXPECT_NE(err.find(path), std::string::npos) << err;
    FrameBuffer fb(6000);
    EXPECT_TRUE(KM_FAILURE(list.ReadFrame(fb)));
  }

  // A missing file, and sources whose rates differ, refuse the whole list.
  WavLayout fast;
  fast.rate = 96000;
  WriteBytes(dir / "fast.wav", MakeWav(fast, samples));
  std::string pg = dir / "good.wav", pf = dir / "fast.wav", pm = dir / "missing.wav";
  struct Pair {
    const char* files[2];
    const char* message;
  };
  for (const Pair& p : {Pair{{pg.c_str(), pm.c_str()}, "no such file"}, Pair{{pg.c_str(), pf.c_str()}, "96000 Hz"}}) {
    PCMParserList list;
    testing::internal::CaptureStderr();
    Kumu::Result_t r = list.OpenRead(2, p.files, Rational(24, 1));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(KM_FAILURE(r));
    EXPECT_NE(err.find(p.message), std::string::npos) << err;
    AudioDescriptor desc;
    EXPECT_TRUE(KM_FAILURE(list.FillAudioDescriptor(desc)));
  }
  const char* none[] = {nullptr};
  PCMParserList list;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(KM_FAILURE(list.OpenRead(0, none, Rational(24, 1))));
  EXPECT_TRUE(KM_FAILURE(list.OpenRead(1, none, Rational(24, 1))));
  EXPECT_TRUE(KM_FAILURE(list.OpenRead(1, std::vector<const char*>{pg.c_str()}.data(), Rational(0, 1))));
  testing::internal::GetCapturedStderr();
}

TEST(PCMParserList, SurvivesTruncatedAndCorruptedReferenceFiles) {
  TempDir dir;
  const std::vector<uint8_t> original = ReadBytes(WavPath(0));
  ASSERT_GT(original.size(), 200u);
  std::mt19937 random(20261207);
  std::string path = dir / "fuzz.wav";
  int opened = 0;
  testing::internal::CaptureStderr();
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> bytes = original;
    switch (random() % 4) {
      case 0:  // cut anywhere
        bytes.resize(random() % bytes.size());
        break;
      case 1:  // flip bytes of the header
        for (int k = 1 + random() % 4; k > 0; --k) bytes[random() % 96] ^= static_cast<uint8_t>(1 + random() % 255);
        break;
      case 2: {  // a wild 32-bit value in the header
        uint32_t at = random() % 92, value = random();
        std::memcpy(&bytes[at], &value, 4);
        break;
      }
      default:  // both
        bytes[random() % 96] = static_cast<uint8_t>(random());
        bytes.resize(random() % bytes.size());
        break;
    }
    // A fresh file each time: truncating one in place makes the file system
    // flush it to disk.
    (void)std::remove(path.c_str());  // absent the first time
    WriteBytes(path, bytes);
    const char* argv[] = {path.c_str()};
    PCMParserList list;
    if (KM_FAILURE(list.OpenRead(1, argv, Rational(24, 1)))) continue;
    ++opened;
    AudioDescriptor desc;
    ASSERT_TRUE(KM_SUCCESS(list.FillAudioDescriptor(desc)));
    uint32_t size = ASDCP::PCM::CalcFrameBufferSize(desc);
    ASSERT_GT(size, 0u);
    ReadAll all = ReadFrames(list, size, 1000);
    ASSERT_LE(all.sizes.size(), desc.ContainerDuration + 1u);
    ASSERT_LE(all.bytes.size(), bytes.size());
  }
  testing::internal::GetCapturedStderr();
  EXPECT_GT(opened, 0);
}
