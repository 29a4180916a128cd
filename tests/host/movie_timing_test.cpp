// How long a movie runs and where its sound lies against its picture, as
// FFmpeg's own tools read the same file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "host/media_input.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using namespace lumavox_test;

namespace {

void Make(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"ffmpeg", "-v", "error", "-y"};
  argv.insert(argv.end(), args.begin(), args.end());
  auto r = RunCommand(argv);
  ASSERT_EQ(r.status, 0) << r.err;
}

// ffprobe's figures for the first stream of `kind` ("v" or "a"), one a line.
std::vector<double> Probe(const std::string& file, const std::string& kind, const std::string& entries) {
  auto r = RunCommand({"ffprobe", "-v", "error", "-select_streams", kind + ":0", "-count_frames", "-show_entries",
                       entries, "-of", "default=noprint_wrappers=1:nokey=1", file});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<double> values;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);)
    if (!line.empty() && line != "N/A") values.push_back(std::stod(line));
  return values;
}

// FFmpeg's decoding of every picture, in order, at 40x30 in 8-bit RGB.
std::vector<std::vector<uint8_t>> Pictures(const std::string& file) {
  auto r = RunCommand({"ffmpeg", "-v", "error", "-i", file, "-vf", "scale=40:30", "-vsync", "passthrough", "-f",
                       "rawvideo", "-pix_fmt", "rgb24", "-"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::vector<uint8_t>> pictures;
  const size_t bytes = 40 * 30 * 3;
  for (size_t at = 0; at + bytes <= r.out.size(); at += bytes)
    pictures.emplace_back(r.out.begin() + static_cast<std::ptrdiff_t>(at),
                          r.out.begin() + static_cast<std::ptrdiff_t>(at + bytes));
  return pictures;
}

// The picture that composition frame `frame` shows: the one it differs least from.
size_t PictureShown(MediaInput& in, int64_t frame, const std::vector<std::vector<uint8_t>>& pictures) {
  HostFrame f;
  f.Allocate(40, 30, 8);
  in.RenderFrame(frame, f);
  size_t best = 0;
  double least = 1e9;
  for (size_t k = 0; k < pictures.size(); ++k) {
    double sum = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x)
        for (int c = 0; c < 3; ++c) sum += std::abs(f.Channel(x, y, c + 1) - pictures[k][(y * 40 + x) * 3 + c]);
    if (sum < least) {
      least = sum;
      best = k;
    }
  }
  return best;
}

}  // namespace

// A movie of a variable rate runs as long as its pictures last, not as many
// frames as it holds pictures; one cut by an edit list as long as the cut.
TEST(MovieTiming, LengthIsThePicturesDurationNotTheirCount) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  TempDir dir;
  const std::string vfr = dir / "vfr.mov";
  // Pictures 0 to 11 held two frames each, then 12 to 47 one frame each.
  Make({"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=24:duration=2", "-vf", "setpts='if(lt(N,12),2*N,N+12)/24/TB'",
        "-vsync", "vfr", "-c:v", "mjpeg", "-video_track_timescale", "1000", vfr});
  const std::vector<double> times = Probe(vfr, "v", "frame=best_effort_timestamp_time");
  ASSERT_EQ(times.size(), 48u);
  MediaInput in(vfr);
  in.SetCompositionRate(24, 1);
  // Every frame up to the last picture's own.
  EXPECT_EQ(in.info().frames, std::llround(times.back() * 24) + 1);
  const auto pictures = Pictures(vfr);
  ASSERT_EQ(pictures.size(), 48u);
  for (int k : {5, 30, 47}) EXPECT_EQ(PictureShown(in, std::llround(times[k] * 24), pictures), k);

  const std::string whole = dir / "whole.mp4", cut = dir / "cut.mp4";
  Make({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=24:duration=2", "-c:v", "libx264", "-g", "48", whole});
  Make({"-ss", "0.5", "-i", whole, "-c", "copy", cut});
  const std::vector<double> shown = Probe(cut, "v", "stream=nb_read_frames");
  ASSERT_EQ(shown.size(), 1u);
  MediaInput trimmed(cut);
  EXPECT_GE(trimmed.info().frames, shown[0]);
  EXPECT_LE(trimmed.info().frames, shown[0] + 1);
}

// The sound plays at its own time against the picture's, in a QuickTime file
// read from its header and in a probed Matroska file alike.
TEST(MovieTiming, SoundStaysInStepWhenItStartsBeforeOrAfterThePicture) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  TempDir dir;
  const std::string picture = dir / "picture.mov", tone = dir / "tone.wav";
  Make({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=24:duration=2", "-c:v", "mjpeg", picture});
  Make({"-f", "lavfi", "-i", "sine=frequency=1000:sample_rate=48000:duration=1", "-c:a", "pcm_s16le", tone});
  auto decoded = RunCommand({"ffmpeg", "-v", "error", "-i", tone, "-f", "s16le", "-ac", "2", "-"});
  ASSERT_EQ(decoded.status, 0) << decoded.err;
  std::vector<int16_t> oracle(decoded.out.size() / 2);
  std::memcpy(oracle.data(), decoded.out.data(), oracle.size() * 2);
  ASSERT_EQ(oracle.size(), 96000u);

  for (const std::string container : {"mov", "mkv"}) {
    for (const bool sound_later : {true, false}) {
      SCOPED_TRACE(container + (sound_later ? ": sound later" : ": sound earlier"));
      const std::string movie = dir / ("offset." + container);
      if (sound_later) {
        Make({"-i", picture, "-itsoffset", "0.5", "-i", tone, "-map", "0:v", "-map", "1:a", "-c", "copy", movie});
      } else {
        Make({"-i", tone, "-itsoffset", "0.5", "-i", picture, "-map", "1:v", "-map", "0:a", "-c", "copy", movie});
      }
      const std::vector<double> video_start = Probe(movie, "v", "stream=start_time");
      const std::vector<double> audio_start = Probe(movie, "a", "stream=start_time");
      ASSERT_EQ(video_start.size(), 1u);
      ASSERT_EQ(audio_start.size(), 1u);
      const int64_t lead = std::llround((audio_start[0] - video_start[0]) * 48000);
      ASSERT_EQ(std::llabs(lead), 24000);

      MediaInput in(movie);
      std::vector<int16_t> sound = in.Sound(0, 48000);
      const std::vector<int16_t> more = in.Sound(48000, 48000);
      sound.insert(sound.end(), more.begin(), more.end());
      int worst = 0;
      for (int64_t k = 0; k < 96000; ++k) {
        const int64_t at = k - lead;
        const int expected = at >= 0 && at < 48000 ? oracle[static_cast<size_t>(at) * 2] : 0;
        worst = std::max(worst, std::abs(sound[static_cast<size_t>(k) * 2] - expected));
      }
      EXPECT_LE(worst, 2);
      // Asked again from the start, the same sound.
      EXPECT_EQ(in.Sound(0, 48000), std::vector<int16_t>(sound.begin(), sound.begin() + 96000));
    }
  }
}
