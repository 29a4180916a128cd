// Timeline sound through the host's sound chunks: the temporary files, the
// wrap into the sound track file whatever the chunk size, the samples that
// come out of it, and the failures; external sound wrapped once.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/test_pattern.h"
#include "package/wav_header.h"
#include "tests/plugin/render_test_support.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using namespace lumavox_test;
using namespace render_test;

namespace {

constexpr A_Err kWriteFailed = 9997;

// Random 16-bit stereo sound, sample frame by sample frame.
std::vector<int16_t> RandomSound(size_t frames, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<int16_t> s(frames * 2);
  for (int16_t& v : s) v = static_cast<int16_t>(random() & 0xFFFF);
  s[0] = 0x1234;
  s[1] = static_cast<int16_t>(0xFEDC);
  return s;
}

// The single "pcm_*.mxf" of the folder, or "".
std::string SoundTrackFile(const std::string& folder) {
  std::string found;
  int count = 0;
  for (const std::string& name : FolderEntries(folder))
    if (name.rfind("pcm_", 0) == 0 && name.size() > 8 && name.substr(name.size() - 4) == ".mxf") {
      found = folder + "/" + name;
      ++count;
    }
  return count == 1 ? found : "";
}

// ffmpeg's decoding of the track as interleaved 24-bit samples.
std::vector<int32_t> Decode(const std::string& mxf, const std::string& raw) {
  CommandResult r = RunCommand(
      {"ffmpeg", "-v", "error", "-y", "-i", mxf, "-map", "0:a", "-c:a", "pcm_s24le", "-f", "s24le", raw});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<uint8_t> b = ReadBytes(raw);
  std::vector<int32_t> out;
  for (size_t i = 0; i + 3 <= b.size(); i += 3) {
    int32_t v = b[i] | b[i + 1] << 8 | b[i + 2] << 16;
    out.push_back(v >= 0x800000 ? v - 0x1000000 : v);
  }
  return out;
}

// What the track should hold: the sound times 256 for `frames` sample
// frames, then silence up to `total`.
std::vector<int32_t> Expected(const std::vector<int16_t>& sound, size_t frames, size_t total) {
  std::vector<int32_t> e(total * 2, 0);
  for (size_t i = 0; i < frames * 2 && i < sound.size(); ++i) e[i] = int32_t(sound[i]) * 256;
  return e;
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

}  // namespace

TEST(SoundCapture, AnyChunkSizeGivesOneTrackOfTheCompositionsSound) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  // 36 frames at 24 fps: 1.5 s, 72000 sample frames; the host sends two
  // seconds. Chunks of a second, shorter ones, longer than 66,666 frames,
  // and ones that do not divide the second.
  for (int chunk : {48000, 12000, 96000, 70000, 31000}) {
    SCOPED_TRACE(chunk);
    TempDir dir;
    auto host = SetUpHost(Settings(1998, 1080, 36, dir / "S.DCP"));
    ASSERT_EQ(host->StartAdding(), 0);
    const std::vector<int16_t> sound = RandomSound(96000, uint32_t(chunk));
    for (int64_t first = 0; first < 96000; first += chunk) {
      const int64_t n = std::min<int64_t>(chunk, 96000 - first);
      std::vector<int16_t> part(sound.begin() + first * 2, sound.begin() + (first + n) * 2);
      ASSERT_EQ(host->AddSoundChunk(first, part), 0);
      if (first + n < 72000) {
        // Before the end the files grow by 3 bytes per sample frame.
        EXPECT_EQ(ReadBytes(dir / "S/tmpL.wav").size(), size_t(kWavHeaderSize + (first + n) * 3));
        EXPECT_EQ(SoundTrackFile(dir / "S"), "");
      }
    }
    EXPECT_FALSE(Exists(dir / "S/tmpL.wav"));
    EXPECT_FALSE(Exists(dir / "S/tmpR.wav"));
    const std::string track = SoundTrackFile(dir / "S");
    ASSERT_NE(track, "") << "exactly one sound track file";
    EXPECT_EQ(LiveOptions(*host).audioFrames, 36u);
    EXPECT_EQ(track, dir / "S/" + LiveOptions(*host).soundFileName);
    EXPECT_TRUE(Decode(track, dir / "out.raw") == Expected(sound, 72000, 72000));
    host->EndAdding();
  }
}

TEST(SoundCapture, TemporaryFilesHoldTheHeaderAndTheUpperTwoBytes) {
  TempDir dir;
  auto host = SetUpHost(Settings(1998, 1080, 240, dir / "T.DCP"));
  ASSERT_EQ(host->StartAdding(), 0);
  const std::vector<int16_t> sound = RandomSound(48000, 7);
  ASSERT_EQ(host->AddSoundChunk(0, sound), 0);
  const std::vector<uint8_t> left = ReadBytes(dir / "T/tmpL.wav");
  const std::vector<uint8_t> right = ReadBytes(dir / "T/tmpR.wav");
  ASSERT_EQ(left.size(), size_t(kWavHeaderSize + 144000));
  ASSERT_EQ(right.size(), left.size());
  uint8_t header[kWavHeaderSize];
  MakeWavHeader(header, 1, 48000, 2000u * 240u * 2u);  // data size 1,440,000
  EXPECT_TRUE(std::equal(header, header + kWavHeaderSize, left.begin()));
  EXPECT_TRUE(std::equal(header, header + kWavHeaderSize, right.begin()));
  EXPECT_EQ(std::vector<uint8_t>(left.begin() + 44, left.begin() + 47), (std::vector<uint8_t>{0x00, 0x34, 0x12}));
  EXPECT_EQ(std::vector<uint8_t>(right.begin() + 44, right.begin() + 47), (std::vector<uint8_t>{0x00, 0xDC, 0xFE}));
  host->EndAdding();
}

TEST(SoundCapture, TheHeadersOfAVeryLongCompositionDeclareItsWholeSound) {
  // Seven hours at 24 fps: 604,800 frames of 2000 sample frames, 3 bytes
  // each in each file. Counted through a signed 32-bit value, the header
  // would declare 1 GiB, some two hours of sound.
  TempDir dir;
  auto host = SetUpHost(Settings(1998, 1080, 604800, dir / "H.DCP"));
  ASSERT_EQ(host->StartAdding(), 0) << Messages(*host);
  ASSERT_EQ(host->AddSoundChunk(0, RandomSound(48000, 5)), 0);
  for (const char* file : {"H/tmpL.wav", "H/tmpR.wav"}) {
    const std::vector<uint8_t> bytes = ReadBytes(dir / file);
    ASSERT_GE(bytes.size(), size_t(kWavHeaderSize));
    const auto u32 = [&](size_t at) {
      return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
             uint32_t(bytes[at + 3]) << 24;
    };
    EXPECT_EQ(u32(40), 3628800000u) << file;
    EXPECT_EQ(u32(4), 3628800036u) << file;
  }
  host->SetQueueState(AEGP_RenderQueueState_STOPPED);
  host->EndAdding();
}

TEST(SoundCapture, ATemporaryFileThatCannotBeOpenedFailsTheChunk) {
  TempDir dir;
  {
    auto host = SetUpHost(Settings(1998, 1080, 48, dir / "F.DCP"));
    ASSERT_EQ(host->StartAdding(), 0);
    // A folder where the right file should be: it cannot be created.
    ASSERT_EQ(mkdir((dir / "F/tmpR.wav").c_str(), 0755), 0);
    EXPECT_EQ(host->AddSoundChunk(0, RandomSound(48000, 1)), kWriteFailed);
    // The left file was opened and is closed again: it can be removed, and
    // later chunks neither write nor fail again.
    EXPECT_EQ(host->AddSoundChunk(48000, RandomSound(48000, 2)), 0);
    EXPECT_EQ(SoundTrackFile(dir / "F"), "");
    host->EndAdding();
  }

  // Appending fails when the files went away during the render.
  TempDir other;
  auto second = SetUpHost(Settings(1998, 1080, 48, other / "G.DCP"));
  ASSERT_EQ(second->StartAdding(), 0);
  ASSERT_EQ(second->AddSoundChunk(0, RandomSound(48000, 1)), 0);
  ASSERT_EQ(std::remove((other / "G/tmpL.wav").c_str()), 0);
  ASSERT_EQ(mkdir((other / "G/tmpL.wav").c_str(), 0755), 0);
  EXPECT_EQ(second->AddSoundChunk(48000, RandomSound(48000, 2)), kWriteFailed);
  second->EndAdding();
}

TEST(SoundCapture, AGapBetweenChunksBecomesSilenceInItsPlace) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  auto host = SetUpHost(Settings(1998, 1080, 48, dir / "P.DCP"));
  ASSERT_EQ(host->StartAdding(), 0);
  const std::vector<int16_t> sound = RandomSound(96000, 3);
  ASSERT_EQ(host->AddSoundChunk(0, std::vector<int16_t>(sound.begin(), sound.begin() + 2 * 24000)), 0);
  ASSERT_EQ(host->AddSoundChunk(48000, std::vector<int16_t>(sound.begin() + 2 * 48000, sound.end())), 0);
  const std::string track = SoundTrackFile(dir / "P");
  ASSERT_NE(track, "");
  std::vector<int32_t> expected = Expected(sound, 96000, 96000);
  std::fill(expected.begin() + 2 * 24000, expected.begin() + 2 * 48000, 0);
  EXPECT_TRUE(Decode(track, dir / "out.raw") == expected);
  host->EndAdding();
}

TEST(SoundCapture, TheBuiltInToneRendersIntoTheTrackTimes256) {
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  TempDir dir;
  // Half a second of 2000 sample frames a frame; three frames under a sanitizer.
  const int frames = kSanitized ? 3 : 12;
  CommandResult r = RunCommand({RenderPath(), "--frames", std::to_string(frames), "--fps", "24", "--size", "2048x858",
                                "--threads", "4", dir / "Tone.DCP"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string track = SoundTrackFile(dir / "Tone");
  ASSERT_NE(track, "") << r.err;
  CommandResult probe = RunCommand({"ffprobe", "-v", "error", "-show_entries",
                                    "stream=codec_name,sample_rate,channels,duration_ts", "-of", "default=nw=1",
                                    track});
  EXPECT_NE(probe.out.find("codec_name=pcm_s24le"), std::string::npos) << probe.out;
  EXPECT_NE(probe.out.find("sample_rate=48000"), std::string::npos) << probe.out;
  EXPECT_NE(probe.out.find("channels=2"), std::string::npos) << probe.out;
  const size_t samples = static_cast<size_t>(frames) * 2000;
  EXPECT_NE(probe.out.find("duration_ts=" + std::to_string(samples)), std::string::npos) << probe.out;
  EXPECT_TRUE(Decode(track, dir / "out.raw") == Expected(ToneSamples(0), samples, samples));
  EXPECT_FALSE(Exists(dir / "Tone/tmpL.wav"));
}

TEST(SoundCapture, AStoredRecordWithExternalSoundRendersItsChannelsAfterTheInPoint) {
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  TempDir dir;
  const std::string stored = dir / "options.bin";
  // Six frames, as long as the files; under a sanitizer four, one of them
  // still silence after the files.
  const int frames = kSanitized ? 4 : 6;
  auto render = [&](const std::string& output) {
    return RunCommand({RenderPath(), "--frames", std::to_string(frames), "--fps", "24", "--size", "2048x858",
                       "--threads", "4", "--options", stored, output});
  };
  CommandResult first = MakeOptionsFile(stored, {"--fps", "24", "--size", "2048x858"});
  ASSERT_EQ(first.status, 0) << first.err;
  std::vector<uint8_t> bytes = ReadBytes(stored);
  ASSERT_EQ(bytes.size(), sizeof(OutputOptions));
  OutputOptions o;
  std::memcpy(&o, bytes.data(), sizeof o);
  o.audioSource = 0;
  o.audioLayout = 2;
  o.packing = 1;
  o.inPoint = 3;
  const char* names[] = {"ch1_L", "ch2_R", "ch3_C", "ch4_LFE", "ch5_Ls", "ch6_Rs", "ch7_LC", "ch8_RC"};
  for (int i = 0; i < 8; ++i)
    std::snprintf(o.channelFiles[i], sizeof o.channelFiles[i], "%s/reference/wav/%s.wav", SharedDir().c_str(),
                  names[i]);
  std::memcpy(bytes.data(), &o, sizeof o);
  WriteBytes(stored, bytes);

  CommandResult second = render(dir / "Ext.DCP");
  ASSERT_EQ(second.status, 0) << second.err;
  const std::string track = SoundTrackFile(dir / "Ext");
  ASSERT_NE(track, "");
  EXPECT_FALSE(Exists(dir / "Ext/tmpL.wav"));
  // The six frames of the files (a quarter of a second), then silence up to
  // the frames of the composition and the 3 before the in-point.
  CommandResult probe = RunCommand(
      {"ffprobe", "-v", "error", "-show_entries", "stream=channels,duration_ts", "-of", "default=nw=1", track});
  EXPECT_NE(probe.out.find("channels=8"), std::string::npos) << probe.out;
  EXPECT_NE(probe.out.find("duration_ts=" + std::to_string((frames + 3) * 2000)), std::string::npos) << probe.out;

  // A negative in-point (stored unsigned) is refused at the render start,
  // before anything is written.
  o.inPoint = static_cast<A_u_long>(-3);
  std::memcpy(bytes.data(), &o, sizeof o);
  WriteBytes(stored, bytes);
  CommandResult third = render(dir / "Neg.DCP");
  EXPECT_NE(third.status, 0);
  EXPECT_NE(third.err.find("lies beyond the end of your external audiofiles"), std::string::npos) << third.err;
  EXPECT_NE(third.err.find("failed with error 9993"), std::string::npos) << third.err;
  EXPECT_FALSE(Exists(dir / "Neg"));
}
