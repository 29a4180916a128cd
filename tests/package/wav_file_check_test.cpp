#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "package/wav_file_check.h"
#include "tests/support/test_support.h"

namespace {

void Put(std::vector<uint8_t>& b, const char* four) { b.insert(b.end(), four, four + 4); }
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}

struct Format {
  uint16_t tag = 1;
  uint16_t channels = 1;
  uint32_t rate = 48000;
  uint32_t byte_rate = 144000;
  uint16_t block_align = 3;
  uint16_t bits = 24;
};

void PutFormat(std::vector<uint8_t>& b, const Format& f) {
  Put(b, "fmt ");
  Put32(b, 16);
  Put16(b, f.tag);
  Put16(b, f.channels);
  Put32(b, f.rate);
  Put32(b, f.byte_rate);
  Put16(b, f.block_align);
  Put16(b, f.bits);
}

// A WAV header declaring `data_length` bytes; the samples themselves are not
// needed by the check.
std::vector<uint8_t> Wav(const Format& f, uint32_t data_length) {
  std::vector<uint8_t> b;
  Put(b, "RIFF");
  Put32(b, 36 + data_length);
  Put(b, "WAVE");
  PutFormat(b, f);
  Put(b, "data");
  Put32(b, data_length);
  return b;
}

struct Checked {
  int16_t result;
  std::string message;
  uint32_t length;
};

Checked Check(const std::vector<uint8_t>& bytes, uint32_t fps) {
  lumavox_test::TempDir dir;
  lumavox_test::WriteBytes(dir / "f.wav", bytes);
  char message[kWavCheckMessageSize];
  std::strcpy(message, "untouched");
  uint32_t length = 7777;
  const int16_t r = CheckWavFile((dir / "f.wav").c_str(), message, &length, fps);
  return {r, message, length};
}

}  // namespace

TEST(WavFileCheck, MeasuresTheLengthInFramesFromTheFilesOwnByteRate) {
  Format f;
  EXPECT_EQ(Check(Wav(f, 1440000), 24).length, 240u);
  auto c = Check(Wav(f, 1000000), 24);
  EXPECT_EQ(c.result, 0);
  EXPECT_EQ(c.message, "");
  EXPECT_EQ(c.length, 166u);
  EXPECT_EQ(Check(Wav(f, 1000000), 25).length, 173u);
  f.rate = 96000;
  f.byte_rate = 288000;
  EXPECT_EQ(Check(Wav(f, 2880000), 24).length, 240u);
}

TEST(WavFileCheck, ReferenceChannelsAreAccepted) {
  const std::string wav = lumavox_test::SharedDir() + "/reference/wav/";
  for (const char* name : {"ch1_L.wav", "ch4_LFE.wav", "ch8_RC.wav"}) {
    char message[kWavCheckMessageSize] = "x";
    uint32_t length = 0;
    EXPECT_EQ(CheckWavFile((wav + name).c_str(), message, &length, 24), 0) << name;
    EXPECT_STREQ(message, "");
    EXPECT_EQ(length, 6u) << name;  // a quarter of a second
  }
}

TEST(WavFileCheck, RefusalsComeInTheirOrderWithTheirMessages) {
  Format stereo16;
  stereo16.channels = 2;
  stereo16.bits = 16;
  EXPECT_EQ(Check(Wav(stereo16, 1000), 24).message, "Unsupported WAVE file - Channels must be 1");
  Format flt;
  flt.tag = 3;
  flt.rate = 44100;
  EXPECT_EQ(Check(Wav(flt, 1000), 24).message, "Unsupported WAVE file - Must be an Signed Integer PCM");
  Format rate;
  rate.rate = 44100;
  rate.bits = 16;
  EXPECT_EQ(Check(Wav(rate, 1000), 24).message, "Unsupported WAVE file - Sample rate has to be 48/96 khz");
  Format bits;
  bits.bits = 16;
  auto c = Check(Wav(bits, 1440000), 24);
  EXPECT_EQ(c.result, -1);
  EXPECT_EQ(c.message, "Unsupported WAVE file - Bit depth must be 24");
  EXPECT_EQ(c.length, 240u);  // measured before the tests
  Format extensible;
  extensible.tag = 0xFFFE;
  EXPECT_EQ(Check(Wav(extensible, 1000), 24).result, 0);
}

TEST(WavFileCheck, AByteRateOfZeroIsRefusedWithoutMeasuring) {
  Format f;
  f.byte_rate = 0;
  auto c = Check(Wav(f, 1440000), 24);
  EXPECT_EQ(c.result, -1);
  EXPECT_EQ(c.message, "Unsupported WAVE file - Bytes per second must not be 0");
  EXPECT_EQ(c.length, 7777u);
}

TEST(WavFileCheck, ALengthNoFrameCountHoldsIsNotWritten) {
  // Found by the WAV fuzzer: a byte rate of 1 against four gigabytes of data
  // is billions of seconds, more frames than 32 bits count.
  Format f;
  f.byte_rate = 1;
  auto c = Check(Wav(f, 0xFFFFFFFFu), 60);
  EXPECT_EQ(c.result, 0);
  EXPECT_EQ(c.length, 7777u);
  // The largest length that fits is still measured.
  f.byte_rate = 60;
  EXPECT_EQ(Check(Wav(f, 0xFFFFFF00u), 1).length, 71582784u);
}

TEST(WavFileCheck, OnlyTheDataChunkAfterTheFormatCounts) {
  Format f;
  std::vector<uint8_t> b;
  Put(b, "RIFF");
  Put32(b, 0);
  Put(b, "WAVE");
  Put(b, "data");
  Put32(b, 144000);  // one second, but before "fmt "
  PutFormat(b, f);
  Put(b, "LIST");
  Put32(b, 12);
  Put(b, "xdat");
  Put(b, "data");  // inside another chunk, yet the first after "fmt "
  Put32(b, 288000);
  EXPECT_EQ(Check(b, 24).length, 48u);
}

TEST(WavFileCheck, CutOffAndMissingHeadersReadNothingBeyondTheFile) {
  Format f;
  const auto whole = Wav(f, 1440000);
  // The data length cut off: accepted by the format, the length not written.
  auto c = Check(std::vector<uint8_t>(whole.begin(), whole.end() - 2), 24);
  EXPECT_EQ(c.result, 0);
  EXPECT_EQ(c.length, 7777u);
  // The format record cut off within the sample rate: missing bytes are 0.
  c = Check(std::vector<uint8_t>(whole.begin(), whole.begin() + 12 + 13), 24);
  EXPECT_EQ(c.message, "Unsupported WAVE file - Sample rate has to be 48/96 khz");
  // No "fmt " at all.
  c = Check(std::vector<uint8_t>(whole.begin(), whole.begin() + 12), 24);
  EXPECT_EQ(c.result, -1);
  EXPECT_EQ(c.message, "Unsupported WAVE file - No format chunk found");
  c = Check({}, 24);
  EXPECT_EQ(c.result, -1);
}

TEST(WavFileCheck, AMissingFileLeavesMessageAndLength) {
  lumavox_test::TempDir dir;
  char message[kWavCheckMessageSize] = "untouched";
  uint32_t length = 5;
  EXPECT_EQ(CheckWavFile((dir / "none.wav").c_str(), message, &length, 24), -1);
  EXPECT_STREQ(message, "untouched");
  EXPECT_EQ(length, 5u);
  EXPECT_EQ(FileExists((dir / "none.wav").c_str()), 0);
  lumavox_test::WriteText(dir / "there.wav", "x");
  EXPECT_EQ(FileExists((dir / "there.wav").c_str()), 1);
}
