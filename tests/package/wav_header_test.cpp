#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "package/wav_header.h"
#include "tests/support/test_support.h"

namespace {

uint32_t U32At(const uint8_t* h, int at) {
  return uint32_t(h[at]) | uint32_t(h[at + 1]) << 8 | uint32_t(h[at + 2]) << 16 | uint32_t(h[at + 3]) << 24;
}
uint16_t U16At(const uint8_t* h, int at) { return uint16_t(h[at] | h[at + 1] << 8); }

}  // namespace

TEST(WavHeader, TemporaryFileHeaderOfA240FrameComposition) {
  // 240 frames at 24 fps, two channels: (48000 / 24) * 240 * 2 samples.
  uint8_t h[kWavHeaderSize];
  MakeWavHeader(h, 1, 48000, 2000u * 240u * 2u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(h), 4), "RIFF");
  EXPECT_EQ(U32At(h, 4), 1440036u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(h + 8), 8), "WAVEfmt ");
  EXPECT_EQ(U32At(h, 16), 16u);
  EXPECT_EQ(U16At(h, 20), 1);
  EXPECT_EQ(U16At(h, 22), 1);
  EXPECT_EQ(U32At(h, 24), 48000u);
  EXPECT_EQ(U32At(h, 28), 144000u);
  EXPECT_EQ(U16At(h, 32), 3);
  EXPECT_EQ(U16At(h, 34), 24);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(h + 36), 4), "data");
  EXPECT_EQ(U32At(h, 40), 1440000u);
}

TEST(WavHeader, DataSizeIsThreeHalvesOfTheCountRoundedTowardZero) {
  uint8_t h[kWavHeaderSize];
  MakeWavHeader(h, 1, 48000, 2);
  EXPECT_EQ(U32At(h, 40), 3u);
  EXPECT_EQ(U32At(h, 4), 39u);
  MakeWavHeader(h, 1, 48000, 3);
  EXPECT_EQ(U32At(h, 40), 4u);
  // The byte rate and block align stay those of one channel.
  MakeWavHeader(h, 2, 96000, 10);
  EXPECT_EQ(U16At(h, 22), 2);
  EXPECT_EQ(U32At(h, 28), 288000u);
  EXPECT_EQ(U16At(h, 32), 3);
}

TEST(WavHeader, SizesPastTwoGigabytesAreCountedInFullUpToTheRiffLimit) {
  uint8_t h[kWavHeaderSize];
  // Seven hours at 24 fps, two channels: 2000 * 604,800 * 2 samples, more
  // than a signed 32-bit count holds; 3,628,800,000 bytes of one channel.
  EXPECT_TRUE(MakeWavHeader(h, 1, 48000, 2000ull * 604800u * 2u));
  EXPECT_EQ(U32At(h, 40), 3628800000u);
  EXPECT_EQ(U32At(h, 4), 3628800036u);
  // The largest data size whose RIFF size has 32 bits, and one byte more.
  EXPECT_TRUE(MakeWavHeader(h, 1, 48000, 2863311506u));
  EXPECT_EQ(U32At(h, 40), 0xFFFFFFFFu - 36);
  EXPECT_EQ(U32At(h, 4), 0xFFFFFFFFu);
  EXPECT_FALSE(MakeWavHeader(h, 1, 48000, 2863311507u));
  EXPECT_FALSE(MakeWavHeader(h, 1, 48000, 2000ull * 900000u * 2u));
}

TEST(WavHeader, FfprobeReadsAFileWithTheHeaderAndItsSamples) {
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  lumavox_test::TempDir dir;
  // Half a second of one channel: 24000 samples of 3 bytes, the data size
  // n + n/2 = 72000 with n = 48000.
  std::vector<uint8_t> file(kWavHeaderSize + 24000 * 3, 0);
  MakeWavHeader(file.data(), 1, 48000, 48000);
  lumavox_test::WriteBytes(dir / "half.wav", file);
  auto r = lumavox_test::RunCommand({"ffprobe", "-v", "error", "-show_entries",
                                     "stream=codec_name,sample_rate,channels,bits_per_sample,duration", "-of",
                                     "default=nw=1", dir / "half.wav"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("codec_name=pcm_s24le"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("sample_rate=48000"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("channels=1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("duration=0.500000"), std::string::npos) << r.out;
}
