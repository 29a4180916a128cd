// The sound track file: channel order, configuration and labels against the
// reference files, lengths with silence after the sources, edit rates, and
// the in-point refusals; ffmpeg decodes what was written.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "package/pcm_track_file.h"
#include "package/wav_header.h"
#include "plugin/output_options.h"
#include "tests/support/checkers.h"
#include "tests/support/mxf_dump.h"
#include "tests/support/test_support.h"
#include "tests/support/wav_data_chunk.h"

using namespace lumavox_test;

namespace {

const char* kChannelFiles[] = {"ch1_L.wav",  "ch2_R.wav",  "ch3_C.wav",  "ch4_LFE.wav",
                               "ch5_Ls.wav", "ch6_Rs.wav", "ch7_LC.wav", "ch8_RC.wav"};
const char* kEditRate = "060e2b34.01010102.05300405.00000000";
const char* kChannelAssignment = "060e2b34.01010107.04020101.05000000";

int ChannelsOf(uint32_t layout) { return layout == 2 ? 8 : layout == 1 ? 6 : 2; }

OutputOptions Record(const std::string& folder, uint32_t fps, uint32_t packing, uint32_t layout, double frames) {
  OutputOptions o{};
  o.version = kOutputOptionsVersion;
  std::snprintf(o.folderPath, sizeof o.folderPath, "%s", folder.c_str());
  o.frameRate = fps;
  o.packing = packing;
  o.audioSource = 0;
  o.audioLayout = layout;
  o.durationFrames = frames;
  return o;
}

void UseReferenceFiles(OutputOptions& o) {
  for (int i = 0; i < 8; ++i)
    std::snprintf(o.channelFiles[i], sizeof o.channelFiles[i], "%s/reference/wav/%s", SharedDir().c_str(),
                  kChannelFiles[i]);
}

// The channel files interleaved sample frame by sample frame, as many sample
// frames as the shortest holds.
std::vector<uint8_t> Interleaved(const OutputOptions& o) {
  const int channels = ChannelsOf(o.audioLayout);
  std::vector<std::vector<uint8_t>> data;
  data.reserve(channels);
  for (int c = 0; c < channels; ++c) data.push_back(DataChunk(o.channelFiles[c]));
  size_t shortest = data[0].size();
  for (const auto& d : data) shortest = std::min(shortest, d.size());
  std::vector<uint8_t> out;
  for (size_t s = 0; s + 3 <= shortest; s += 3)
    for (int c = 0; c < channels; ++c) out.insert(out.end(), data[c].begin() + s, data[c].begin() + s + 3);
  return out;
}

// A mono 24-bit 48 kHz file of `samples` samples, each channel its own ramp.
void WriteMono(const std::string& path, uint32_t samples, int channel) {
  std::vector<uint8_t> b(kWavHeaderSize + size_t(samples) * 3);
  MakeWavHeader(b.data(), 1, 48000, samples * 2);
  for (uint32_t i = 0; i < samples; ++i) {
    const uint32_t v = (i * 2654435761u + uint32_t(channel) * 40503u) >> 8;
    for (int k = 0; k < 3; ++k) b[kWavHeaderSize + size_t(i) * 3 + k] = uint8_t(v >> (8 * k));
  }
  WriteBytes(path, b);
}

std::vector<uint8_t> Decode(const std::string& mxf, const std::string& raw) {
  CommandResult r = RunCommand(
      {"ffmpeg", "-v", "error", "-y", "-i", mxf, "-map", "0:a", "-c:a", "pcm_s24le", "-f", "s24le", raw});
  EXPECT_EQ(r.status, 0) << r.err;
  return ReadBytes(raw);
}

const LocalSet* FindSet(const MxfFile& f, const std::string& name) {
  for (const LocalSet& s : f.sets)
    if (KeyName(s.key) == name) return &s;
  return nullptr;
}

std::string SoundPath(const OutputOptions& o) { return std::string(o.folderPath) + "/" + o.soundFileName; }

}  // namespace

TEST(PCMTrackFile, ReferenceLayoutsKeepChannelOrderConfigurationAndLabels) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  struct Case {
    const char* reference;
    uint32_t fps, packing, layout, frames;
  };
  // A quarter of a second: six frames at 24 fps; at 25 fps six whole frames
  // and a quarter: the seventh frame holds the quarter, then silence.
  const Case cases[] = {{"snd_20_interop", 24, 0, 0, 6},
                        {"snd_20_smpte", 24, 1, 0, 6},
                        {"snd_51_smpte", 24, 1, 1, 6},
                        {"snd_71_smpte", 24, 1, 2, 6},
                        {"snd_51_interop_25fps", 25, 0, 1, 7}};
  const std::regex name("pcm_[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\.mxf");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reference);
    TempDir dir;
    OutputOptions o = Record(dir.path(), c.fps, c.packing, c.layout, c.frames);
    UseReferenceFiles(o);
    ASSERT_TRUE(write_PCM_file(&o).Success());
    EXPECT_EQ(o.audioFrames, c.frames);
    EXPECT_TRUE(std::regex_match(std::string(o.soundFileName), name)) << o.soundFileName;
    EXPECT_EQ(std::string(o.soundFileName), "pcm_" + std::string(o.soundUuid) + ".mxf");
    const MxfFile ours = ReadMxf(SoundPath(o));
    ASSERT_TRUE(ours.ok) << ours.error;
    const MxfFile reference = ReadMxf(SharedDir() + "/reference/mxf/" + c.reference + ".mxf");
    // At 25 fps the reference keeps the quarter frame as a short last frame,
    // which moves everything after it; the samples are compared below.
    if (c.fps == 24)
      for (const std::string& d : CompareStructure(ours, reference)) ADD_FAILURE() << d;
    const size_t frameBytes = size_t(48000 / c.fps) * 3 * ChannelsOf(c.layout);
    std::vector<uint8_t> expected = Interleaved(o);
    expected.resize(frameBytes * c.frames, 0);
    EXPECT_TRUE(Decode(SoundPath(o), dir / "out.raw") == expected) << "decoded samples differ";
  }
}

TEST(PCMTrackFile, InteropDeclaresNoChannelConfigurationForAnyLayout) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  for (uint32_t layout : {1u, 2u}) {
    TempDir dir;
    OutputOptions o = Record(dir.path(), 24, 0, layout, 6);
    UseReferenceFiles(o);
    ASSERT_TRUE(write_PCM_file(&o).Success());
    const MxfFile f = ReadMxf(SoundPath(o));
    const LocalSet* wave = FindSet(f, "WaveAudioDescriptor");
    ASSERT_NE(wave, nullptr);
    EXPECT_EQ(wave->Find(kChannelAssignment), nullptr);
    EXPECT_TRUE(Decode(SoundPath(o), dir / "out.raw") == Interleaved(o));
  }
  TempDir dir;
  OutputOptions o = Record(dir.path(), 24, 1, 1, 6);
  UseReferenceFiles(o);
  ASSERT_TRUE(write_PCM_file(&o).Success());
  const MxfFile f = ReadMxf(SoundPath(o));
  const LocalSet* wave = FindSet(f, "WaveAudioDescriptor");
  ASSERT_NE(wave, nullptr);
  EXPECT_NE(wave->Find(kChannelAssignment), nullptr);
}

TEST(PCMTrackFile, ExternalSoundRunsToDurationPlusInPointThenSilence) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  OutputOptions o = Record(dir.path(), 25, 1, 1, 250);
  o.inPoint = 25;
  // 300 whole frames at 25 fps (1920 sample frames each).
  for (int c = 0; c < 6; ++c) {
    WriteMono(dir / ("long" + std::to_string(c) + ".wav"), 300 * 1920, c);
    std::snprintf(o.channelFiles[c], sizeof o.channelFiles[c], "%s",
                  (dir / ("long" + std::to_string(c) + ".wav")).c_str());
  }
  ASSERT_TRUE(write_PCM_file(&o).Success());
  EXPECT_EQ(o.audioFrames, 275u);
  std::vector<uint8_t> expected = Interleaved(o);
  expected.resize(size_t(275) * 1920 * 18);
  EXPECT_TRUE(Decode(SoundPath(o), dir / "long.raw") == expected);

  // 100 whole frames and part of a 101st: the part arrives, silence after.
  for (int c = 0; c < 6; ++c) WriteMono(o.channelFiles[c], 100 * 1920 + 700, c);
  OutputOptions s = o;
  ASSERT_TRUE(write_PCM_file(&s).Success());
  EXPECT_EQ(s.audioFrames, 275u);
  EXPECT_NE(std::string(s.soundUuid), std::string(o.soundUuid));
  expected = Interleaved(s);
  EXPECT_EQ(expected.size(), (size_t(100) * 1920 + 700) * 18);
  expected.resize(size_t(275) * 1920 * 18, 0);
  EXPECT_TRUE(Decode(SoundPath(s), dir / "short.raw") == expected);
}

// Channel files that end inside a frame: every sample of them reaches the
// track file, as the track-file library's own unwrapper extracts it and
// ffmpeg decodes both, and the rest of that frame is silence.
TEST(PCMTrackFile, ExternalFilesEndingInsideAFrameKeepTheirLastSamples) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  LUMAVOX_REQUIRE_CHECKERS();
  TempDir dir;
  OutputOptions o = Record(dir.path(), 25, 1, 0, 7);  // 7 frames of 1920 samples
  std::vector<std::vector<uint8_t>> sources;
  for (int c = 0; c < 2; ++c) {
    const std::string path = dir / ("take_" + std::to_string(c) + ".wav");
    WriteMono(path, 12000, c);  // six frames and a quarter
    std::snprintf(o.channelFiles[c], sizeof o.channelFiles[c], "%s", path.c_str());
    sources.push_back(Decode(path, dir / ("source" + std::to_string(c) + ".raw")));
    ASSERT_EQ(sources.back().size(), 12000u * 3);
  }
  ASSERT_TRUE(write_PCM_file(&o).Success());
  EXPECT_EQ(o.audioFrames, 7u);

  CommandResult r = RunChecker({"asdcp-unwrap", SoundPath(o), dir / "unwrapped"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const std::vector<uint8_t> track = Decode(dir / "unwrapped", dir / "track.raw");
  ASSERT_EQ(track.size(), size_t(7) * 1920 * 2 * 3);
  size_t differing = 0, loudTail = 0;
  for (size_t s = 0; s < 7 * 1920; ++s) {
    for (int c = 0; c < 2; ++c) {
      const uint8_t* got = &track[(s * 2 + size_t(c)) * 3];
      if (s < 12000) {
        differing += std::memcmp(got, &sources[c][s * 3], 3) != 0;
      } else {
        loudTail += (got[0] | got[1] | got[2]) != 0;
      }
    }
  }
  EXPECT_EQ(differing, 0u) << "samples of the sources that did not arrive";
  EXPECT_EQ(loudTail, 0u) << "samples after the sources that are not silence";
}

TEST(PCMTrackFile, TimelineSoundLastsTheDurationWhateverTheInPoint) {
  TempDir dir;
  WriteMono(dir / kTimelineLeftFile, 240 * 2000, 0);
  WriteMono(dir / kTimelineRightFile, 240 * 2000, 1);
  OutputOptions o = Record(dir.path(), 24, 0, 0, 240);
  o.audioSource = 1;
  o.inPoint = 48;  // left from an earlier choice of external sound
  ASSERT_TRUE(write_PCM_file(&o).Success());
  EXPECT_EQ(o.audioFrames, 240u);
  o.durationFrames = 240.5;
  ASSERT_TRUE(write_PCM_file(&o).Success());
  EXPECT_EQ(o.audioFrames, 241u);
  const MxfFile f = ReadMxf(SoundPath(o));
  const LocalSet* track = FindSet(f, "Track");
  ASSERT_NE(track, nullptr);
  EXPECT_EQ(track->Find(kEditRate)->value, (std::vector<uint8_t>{0, 0, 0, 24, 0, 0, 0, 1}));
}

TEST(PCMTrackFile, FiftyAndSixtyFramesPerSecondSetTheEditRate) {
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  for (uint32_t fps : {50u, 60u}) {
    TempDir dir;
    WriteMono(dir / kTimelineLeftFile, 48000, 0);
    WriteMono(dir / kTimelineRightFile, 48000, 1);
    OutputOptions o = Record(dir.path(), fps, 1, 0, fps);
    o.audioSource = 1;
    ASSERT_TRUE(write_PCM_file(&o).Success());
    EXPECT_EQ(o.audioFrames, fps);
    const MxfFile f = ReadMxf(SoundPath(o));
    const LocalSet* track = FindSet(f, "Track");
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->Find(kEditRate)->value, (std::vector<uint8_t>{0, 0, 0, uint8_t(fps), 0, 0, 0, 1}));
    CommandResult r = RunCommand({"ffprobe", "-v", "error", "-show_entries", "stream=sample_rate,channels,duration",
                                  "-of", "default=nw=1", SoundPath(o)});
    EXPECT_NE(r.out.find("duration=1.000000"), std::string::npos) << r.out;
  }
}

TEST(PCMTrackFile, AnInPointBeyondTheExternalFilesIsRefusedBeforeAnythingIsWritten) {
  TempDir dir;
  OutputOptions o = Record(dir.path(), 24, 1, 0, 240);
  UseReferenceFiles(o);  // six frames at 24 fps
  char message[512] = "";
  o.inPoint = 6;
  EXPECT_EQ(CheckExternalSound(o, message, sizeof message), 0);
  for (uint32_t in : {7u, uint32_t(-3)}) {
    o.inPoint = in;
    EXPECT_EQ(CheckExternalSound(o, message, sizeof message), -1);
    EXPECT_NE(std::string(message).find("in-point"), std::string::npos) << message;
    OutputOptions w = o;
    EXPECT_TRUE(write_PCM_file(&w).Failure());
    EXPECT_EQ(w.audioFrames, 0u);
    EXPECT_EQ(w.soundFileName[0], '\0');
  }
  // Timeline sound has no in-point to check; unreadable external files do.
  o.audioSource = 1;
  EXPECT_EQ(CheckExternalSound(o, message, sizeof message), 0);
  o.audioSource = 0;
  o.inPoint = 0;
  std::snprintf(o.channelFiles[1], sizeof o.channelFiles[1], "%s", (dir / "missing.wav").c_str());
  EXPECT_EQ(CheckExternalSound(o, message, sizeof message), -1);
  EXPECT_TRUE(write_PCM_file(&o).Failure());
  EXPECT_EQ(o.soundFileName[0], '\0');
}
