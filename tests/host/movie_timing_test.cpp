// How long a movie runs and where its sound lies against its picture, as
// FFmpeg's own tools read the same file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/command_line.h"
#include "host/composition.h"
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

// What FFmpeg decodes of the input `input` names, as 16-bit stereo.
std::vector<int16_t> StereoSamples(const std::vector<std::string>& input) {
  std::vector<std::string> argv{"ffmpeg", "-v", "error"};
  argv.insert(argv.end(), input.begin(), input.end());
  argv.insert(argv.end(), {"-f", "s16le", "-ac", "2", "-"});
  auto r = RunCommand(argv);
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<int16_t> samples(r.out.size() / 2);
  std::memcpy(samples.data(), r.out.data(), samples.size() * 2);
  return samples;
}

// The first two seconds of `in`'s sound against `tone` (stereo): the largest
// difference of a left sample k from the tone's sample `from(k)`, silence
// where there is none such.
int WorstAgainstTone(MediaInput& in, const std::vector<int16_t>& tone, const std::function<int64_t(int64_t)>& from) {
  std::vector<int16_t> sound = in.Sound(0, 48000);
  const std::vector<int16_t> more = in.Sound(48000, 48000);
  sound.insert(sound.end(), more.begin(), more.end());
  int worst = 0;
  for (int64_t k = 0; k < 96000; ++k) {
    const int64_t at = from(k);
    const int expected = at >= 0 && at < static_cast<int64_t>(tone.size() / 2) ? tone[static_cast<size_t>(at) * 2] : 0;
    worst = std::max(worst, std::abs(sound[static_cast<size_t>(k) * 2] - expected));
  }
  return worst;
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
  const std::vector<int16_t> oracle = StereoSamples({"-i", tone});
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
      EXPECT_LE(WorstAgainstTone(in, oracle, [&](int64_t k) { return k - lead; }), 2);
      // Asked again from the start, the same sound.
      EXPECT_EQ(in.Sound(0, 48000), MediaInput(movie).Sound(0, 48000));
    }
  }
}

namespace {

// Pictures that show their number: ten vertical stripes, a white one, the
// number's eight bits (white for 1, the highest first) and a black one.
const std::string kNumbered =
    "geq=lum='if(eq(floor(X*10/W),0),235,if(eq(floor(X*10/W),9),16,"
    "if(mod(floor(N/pow(2,8-floor(X*10/W))),2),235,16)))':cb=128:cr=128";

// The number that the stripes of a row `width` pixels wide show, `level`
// giving the grey level of each pixel; -1 when the marks are not there.
int StripedNumber(const std::function<int(int)>& level, int width) {
  const auto white = [&](int stripe) { return level((2 * stripe + 1) * width / 20) > 128; };
  if (!white(0) || white(9)) return -1;
  int number = 0;
  for (int stripe = 1; stripe < 9; ++stripe) number = number * 2 + (white(stripe) ? 1 : 0);
  return number;
}

// The numbers of the pictures `ffmpeg -r RATE` gives of `file`, in order;
// with `convert`, those its frame rate filter gives at `rate`, each frame the
// picture that starts nearest it (-r keeps each picture of a movie at its
// own rate, but drops and repeats pictures unevenly at the start of another).
std::vector<int> FfmpegNumbers(const std::string& file, int rate, bool convert = false) {
  const std::string fps = std::to_string(rate);
  auto r = RunCommand({"ffmpeg", "-v", "error", "-i", file, convert ? "-vf" : "-r", convert ? "fps=" + fps : fps, "-s",
                       "40x1", "-pix_fmt", "gray", "-f", "rawvideo", "-"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<int> numbers;
  for (size_t at = 0; at + 40 <= r.out.size(); at += 40)
    numbers.push_back(StripedNumber([&](int x) { return static_cast<uint8_t>(r.out[at + x]); }, 40));
  return numbers;
}

// The numbers of the pictures the media input gives at `rate` for as many
// frames as the composition it makes runs.
std::vector<int> InputNumbers(const std::string& file, int rate) {
  MediaInput in(file);
  CommandLine cl;
  cl.fps = rate;
  const Composition comp = ResolveComposition(cl, &in.info());
  in.SetCompositionRate(comp.fps_num, comp.fps_den);
  std::vector<int> numbers;
  HostFrame frame;
  frame.Allocate(40, 2, 8);
  for (int64_t k = 0; k < comp.frames; ++k) {
    in.RenderFrame(k, frame);
    numbers.push_back(StripedNumber([&](int x) { return frame.Channel(x, 1, 2); }, 40));
  }
  return numbers;
}

// Joins the files, as `cat` does.
void Join(const std::vector<std::string>& parts, const std::string& joined) {
  std::vector<uint8_t> bytes;
  for (const std::string& part : parts) {
    const std::vector<uint8_t> more = ReadBytes(part);
    bytes.insert(bytes.end(), more.begin(), more.end());
  }
  WriteBytes(joined, bytes);
}

// A transport stream of two joined ones (their clocks start again at the
// join): 2 s of numbered pictures at 25 fps each, the first with a 1 kHz tone
// at 48 kHz in 5.1 (or in stereo, when `first_in_stereo`), the second with
// `tone` Hz in stereo at `rate` Hz.
std::string JoinedTransportStreams(const TempDir& dir, const std::string& name, int tone, int rate,
                                   bool first_in_stereo = false) {
  const std::string first = dir / (name + "1.ts"), second = dir / (name + "2.ts");
  std::string joined = dir / (name + ".ts");
  const std::string pictures = "testsrc=size=64x48:rate=25:duration=2,format=yuv420p," + kNumbered;
  Make({"-f", "lavfi", "-i", pictures, "-f", "lavfi", "-i", "sine=frequency=1000:sample_rate=48000:duration=2",
        "-filter_complex",
        first_in_stereo ? "[1]pan=stereo|FL=c0|FR=c0[a]" : "[1]pan=5.1|FL=c0|FR=c0|FC=c0|LFE=0*c0|BL=c0|BR=c0[a]",
        "-map", "0:v", "-map", "[a]", "-c:v", "mpeg2video", "-c:a", "ac3", first});
  Make({"-f", "lavfi", "-i", pictures, "-f", "lavfi", "-i",
        "sine=frequency=" + std::to_string(tone) + ":sample_rate=" + std::to_string(rate) + ":duration=2", "-ac", "2",
        "-c:v", "mpeg2video", "-c:a", "ac3", second});
  Join({first, second}, joined);
  return joined;
}

// The tone's frequency in the left channel of `sound` (48 kHz stereo) from
// second `from` to second `to`: its rising zero crossings per second.
double ToneHz(const std::vector<int16_t>& sound, double from, double to) {
  const auto begin = static_cast<size_t>(from * 48000), end = static_cast<size_t>(to * 48000);
  int crossings = 0;
  for (size_t k = begin + 1; k < end && 2 * k < sound.size(); ++k)
    crossings += sound[2 * (k - 1)] < 0 && sound[2 * k] >= 0;
  return crossings / (to - from);
}

}  // namespace

// A movie runs as long as its pictures last, whatever its container says of
// its length, and every frame shows the picture `ffmpeg -r RATE` shows: a
// program stream whose last pictures carry no or stale time stamps, a
// Matroska file whose sound outlasts its picture (at its own rate and at
// others), an AVI file whose pictures carry no time of their own, and two
// transport streams joined, whose clock starts again at the join.
TEST(MovieTiming, EveryPictureIsTheOneFfmpegGivesAtTheRate) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  const std::string numbered = "format=yuv420p," + kNumbered;
  const std::string program = dir / "program.mpg", longer_sound = dir / "longer_sound.mkv", avi = dir / "b.avi";
  Make({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=25," + numbered, "-frames:v", "100", "-c:v", "mpeg2video", "-bf",
        "2", "-f", "vob", program});
  Make({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=24:duration=2," + numbered, "-f", "lavfi", "-i",
        "sine=frequency=1000:sample_rate=48000:duration=3", "-c:v", "mpeg4", "-q:v", "2", "-c:a", "pcm_s16le",
        longer_sound});
  Make({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=24," + numbered, "-frames:v", "48", "-c:v", "mpeg4", "-q:v", "2",
        "-bf", "2", avi});
  const std::string joined = JoinedTransportStreams(dir, "joined", 500, 48000);
  const struct {
    std::string file;
    std::vector<int> rates;  // the first the file's own
  } cases[] = {{program, {25}}, {longer_sound, {24, 12, 30, 60}}, {avi, {24}}, {joined, {25}}};
  for (const auto& c : cases) {
    for (const int rate : c.rates) {
      SCOPED_TRACE(c.file + " at " + std::to_string(rate) + " fps");
      const std::vector<int> expected = FfmpegNumbers(c.file, rate, rate != c.rates.front());
      ASSERT_FALSE(expected.empty());
      EXPECT_EQ(InputNumbers(c.file, rate), expected);
    }
  }
}

// Each sound frame is converted from its own layout and rate and goes where
// its time stamp puts it: through a change from 5.1 to stereo, or from 48 to
// 44.1 kHz, at the join of two transport streams, and in Matroska files whose
// sound leaves a gap (silence fills it) or overlaps itself (the overlap is
// cut).
TEST(MovieTiming, SoundFollowsEachFramesLayoutRateAndTime) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  for (const auto& [tone, rate] : std::vector<std::pair<int, int>>{{500, 48000}, {1000, 44100}}) {
    SCOPED_TRACE(std::to_string(tone) + " Hz at " + std::to_string(rate) + " Hz after the join");
    MediaInput in(JoinedTransportStreams(dir, "change", tone, rate, rate != 48000));
    std::vector<int16_t> sound;
    for (int64_t second = 0; second < 5; ++second) {
      const std::vector<int16_t> more = in.Sound(second * 48000, 48000);
      sound.insert(sound.end(), more.begin(), more.end());
    }
    EXPECT_NEAR(ToneHz(sound, 0.1, 1.9), 1000, 10);
    EXPECT_NEAR(ToneHz(sound, 2.1, 3.9), tone, 10);
    // The second tone follows the first at the join and lasts to its end.
    EXPECT_NEAR(ToneHz(sound, 1.96, 1.99), 1000, 70);
    EXPECT_NEAR(ToneHz(sound, 2.04, 2.07), tone, 70);
    EXPECT_NEAR(ToneHz(sound, 3.93, 3.96), tone, 70);
    EXPECT_EQ(ToneHz(sound, 4.1, 5), 0);
  }

  // A tone of 20 ms frames: frames 45 to 72 left out, or frames from 50 on
  // played 15 ms early.
  const std::vector<int16_t> oracle = StereoSamples(
      {"-f", "lavfi", "-i", "sine=frequency=1000:sample_rate=48000:duration=2"});
  ASSERT_EQ(oracle.size(), 2u * 96000);
  const struct {
    std::string name, filter;
    std::function<int64_t(int64_t)> from;  // the tone's sample heard at each sample, -1 for silence
  } cases[] = {
      {"gap", "aselect='not(between(n,45,72))'", [](int64_t k) { return k >= 45 * 960 && k < 73 * 960 ? -1 : k; }},
      {"overlap", "asetpts='PTS-if(gte(N,50),0.015/TB,0)'", [](int64_t k) { return k < 48000 ? k : k + 720; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string movie = dir / (c.name + ".mkv");
    Make({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=24:duration=2", "-f", "lavfi", "-i",
          "sine=frequency=1000:sample_rate=48000:duration=2:samples_per_frame=960", "-af", c.filter, "-c:v", "ffv1",
          "-c:a", "pcm_s16le", movie});
    MediaInput in(movie);
    EXPECT_LE(WorstAgainstTone(in, oracle, c.from), 2);
  }
}

// A movie cut in half is no whole movie. A QuickTime file, whose header
// lists its pictures, fails at the first frame its pictures leave without
// one, saying how many the file held, and its sound where it breaks off; the
// render fails, leaving no temporary sound behind. A Matroska file, whose
// packets are read through when it is opened, is refused then.
TEST(MovieTiming, ACutShortMovieFailsSayingWhatItHeld) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  std::string held[2];
  for (const std::string kind : {"mov", "mkv"}) {
    const std::string whole = dir / ("whole." + kind), cut = dir / ("cut." + kind);
    Make({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=24:duration=2,format=yuv444p," + kNumbered, "-f", "lavfi", "-i",
          "sine=frequency=1000:sample_rate=48000:duration=2", "-c:v", "prores_ks", "-profile:v", "4", "-c:a",
          "pcm_s16le", "-movflags", "+faststart", whole});
    std::vector<uint8_t> bytes = ReadBytes(whole);
    bytes.resize(bytes.size() / 2);
    WriteBytes(cut, bytes);
    const size_t pictures = FfmpegNumbers(cut, 24).size();
    EXPECT_GT(pictures, 10u);
    EXPECT_LT(pictures, 40u);
    held[kind == "mkv"] = std::to_string(pictures);
  }
  const auto failure = [](const std::function<void()>& read) -> std::string {
    try {
      read();
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "";
  };
  const std::string mkv = dir / "cut.mkv", mov = dir / "cut.mov";
  std::string failed = failure([&] { MediaInput in(mkv); });
  EXPECT_NE(failed.find("'" + mkv + "' holds " + held[1] + " pictures"), std::string::npos) << failed;

  MediaInput in(mov);
  EXPECT_EQ(in.info().frames, 48);  // as its header says
  HostFrame frame;
  frame.Allocate(40, 2, 8);
  int64_t k = 0;
  failed = failure([&] {
    for (k = 0; k < 48; ++k) in.RenderFrame(k, frame);
  });
  EXPECT_NE(failed.find("'" + mov + "' held " + held[0] + " pictures"), std::string::npos) << failed;
  EXPECT_NE(failed.find("frame " + held[0] + " has none"), std::string::npos) << failed;
  failed = failure([&] {
    for (k = 0; k < 48; ++k) in.Sound(k * 2000, 2000);
  });
  EXPECT_NE(failed.find("'" + mov + "': its sound breaks off at "), std::string::npos) << failed;
  EXPECT_NE(failed.find("in frame " + std::to_string(k)), std::string::npos) << failed;
  EXPECT_NEAR(k, std::stoi(held[0]), 2);

  auto r = RunCommand(
      {RenderPath(), "--input", mov, "--size", "2048x858", "--depth", "8", "--threads", "4", dir / "out.DCP"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("'" + mov + "'"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("render done"), std::string::npos) << r.err;
  EXPECT_FALSE(FileExists(dir / "out/tmpL.wav"));
  EXPECT_FALSE(FileExists(dir / "out/tmpR.wav"));
}

// A sound file's cover art is no picture stream to render; a movie rate the
// host's fixed-point rate cannot hold is refused as the rate it is.
TEST(MovieTiming, CoverArtAndRatesBeyondTheHostsAreRefused) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  const std::string cover = dir / "cover.png", song = dir / "song.mp3", fast = dir / "fast.nut";
  Make({"-f", "lavfi", "-i", "testsrc=size=64x64", "-frames:v", "1", cover});
  Make({"-f", "lavfi", "-i", "sine=duration=1", "-i", cover, "-map", "0", "-map", "1", "-c:v", "mjpeg",
        "-disposition:v", "attached_pic", song});
  Make({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=65560", "-frames:v", "3", "-c:v", "ffv1", fast});
  try {
    MediaInput in(song);
    ADD_FAILURE() << "cover art read as a movie of " << in.info().fps_num << "/" << in.info().fps_den << " fps";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("holds no picture"), std::string::npos) << e.what();
  }
  MediaInput in(fast);
  try {
    const Composition comp = ResolveComposition(CommandLine{}, &in.info());
    ADD_FAILURE() << "a rate of " << comp.Fps() << " fps taken as " << comp.FrameRateFixed() / 65536.0;
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find("65560 fps"), std::string::npos) << e.what();
  }
}

// A picture or sound frame that cannot be decoded is left out as players
// leave it out, the picture before held in its place and the pictures after
// it in theirs; the render goes on and says what was left out.
TEST(MovieTiming, DamagedFramesAreLeftOutInPlaceAndTold) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  const std::string whole = dir / "whole.mov", damaged = dir / "damaged.mov";
  Make({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=24:duration=1", "-f", "lavfi", "-i",
        "sine=frequency=1000:sample_rate=48000:duration=1", "-c:v", "prores_ks", "-c:a", "ac3", whole});
  // Picture 10's frame header and sound frame 20's sync word are overwritten.
  std::vector<uint8_t> bytes = ReadBytes(whole);
  const auto picture = static_cast<size_t>(Probe(whole, "v", "packet=pos").at(10)) + 4;
  const auto sound = static_cast<size_t>(Probe(whole, "a", "packet=pos").at(20));
  ASSERT_EQ(std::string(bytes.begin() + picture, bytes.begin() + picture + 4), "icpf");
  std::memset(&bytes[picture], 'x', 4);
  std::memset(&bytes[sound], 0, 2);
  WriteBytes(damaged, bytes);

  const std::vector<std::vector<uint8_t>> pictures = Pictures(whole);
  MediaInput in(damaged);
  for (const auto& [frame, shown] : std::vector<std::pair<int64_t, size_t>>{{9, 9}, {10, 9}, {11, 11}, {23, 23}})
    EXPECT_EQ(PictureShown(in, frame, pictures), shown) << "frame " << frame;
  in.Sound(0, 48000);
  char text[128];
  std::snprintf(text, sizeof text, "1 picture (the first after the one at %.3f s), the picture before held",
                Probe(whole, "v", "packet=pts_time").at(9));
  const std::string damage = in.Damage();
  EXPECT_EQ(damage.find("input '" + damaged + "' is damaged: could not decode " + text), 0u) << damage;
  EXPECT_NE(damage.find("; 1 sound frame (the first after the one at "), std::string::npos) << damage;

  // A picture its decoder conceals the damage of is shown as decoded, and told.
  const std::string plain = dir / "plain.mkv", concealed = dir / "concealed.mkv";
  Make({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=24:duration=0.5", "-c:v", "mpeg2video", "-q:v", "2", plain});
  bytes = ReadBytes(plain);
  const auto middle = static_cast<size_t>(Probe(plain, "v", "packet=pos").at(4) +
                                          Probe(plain, "v", "packet=size").at(4) / 2);
  std::memset(&bytes[middle], 0xFF, 8);
  WriteBytes(concealed, bytes);
  MediaInput concealing(concealed);
  EXPECT_EQ(PictureShown(concealing, 4, Pictures(concealed)), 4u);
  std::snprintf(text, sizeof text, "is damaged: decoded 1 picture with errors (the first at %.3f s), shown as decoded",
                Probe(plain, "v", "packet=pts_time").at(4));
  EXPECT_EQ(concealing.Damage(), "input '" + concealed + "' " + text);

  // Under a sanitizer, the frames up to the one after the damaged picture.
  std::vector<std::string> render = {RenderPath(), "--input", damaged,     "--size", "2048x858",
                                     "--depth",    "8",       "--threads", "4",      dir / "out.DCP"};
  if (kSanitized) render.insert(render.end() - 1, {"--frames", "12"});
  auto r = RunCommand(render);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("lumavox-render: warning: input '" + damaged + "' is damaged: could not decode 1 picture"),
            std::string::npos)
      << r.err;
}
