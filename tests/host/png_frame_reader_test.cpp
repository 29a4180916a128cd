#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "host/media_input.h"
#include "host/png_frame_reader.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using namespace lumavox_test;

namespace {

const std::vector<std::string> kFilters = {"none", "sub", "up", "avg", "paeth", "mixed"};

// FFmpeg's PNG encoder writes one picture of noise in `format` (`bytes` per
// pixel), 37x11, once with each row filter: dir/<format>NN.png, NN the
// filter's place in kFilters.
void WriteNoisePngs(const TempDir& dir, const std::string& format, int bytes,
                    const std::vector<std::string>& extra = {}) {
  std::mt19937 random(bytes * 7919 + static_cast<int>(format.size()));
  std::vector<uint8_t> noise(37 * 11 * bytes);
  for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
  WriteBytes(dir / (format + ".raw"), noise);
  std::vector<std::string> argv = {
      "ffmpeg", "-v", "error", "-f", "rawvideo", "-pix_fmt", format, "-s", "37x11", "-i", dir / (format + ".raw")};
  for (size_t k = 0; k < kFilters.size(); ++k) {
    argv.insert(argv.end(), {"-pred", kFilters[k]});
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.push_back(dir / (format + (k < 10 ? "0" : "") + std::to_string(k) + ".png"));
  }
  auto r = RunCommand(argv);
  ASSERT_EQ(r.status, 0) << r.err;
}

// Frame `index` read both ways into frames with `padding` bytes after every
// row (which FFmpeg's scaler may write into: only the pixels count).
void ExpectSameFrames(MediaInput& direct, MediaInput& ffmpeg, int index, int width, int height, int depth,
                      int padding = 5) {
  HostFrame ours, theirs;
  ours.Allocate(width, height, depth, padding);
  theirs.Allocate(width, height, depth, padding);
  direct.RenderFrame(index, ours);
  ffmpeg.RenderFrame(index, theirs);
  for (int y = 0; y < height; ++y) {
    const std::vector<uint8_t> row(ours.Row(y), ours.Row(y) + width * ours.PixelBytes());
    const std::vector<uint8_t> expected(theirs.Row(y), theirs.Row(y) + width * theirs.PixelBytes());
    ASSERT_EQ(row, expected) << "picture " << index << " at " << depth << " bits, row " << y;
  }
}

}  // namespace

// Every kind the reader takes, with every row filter, gives the host frames
// FFmpeg's decoder and scaler give, at both of the host's depths; the
// sequence is described as FFmpeg describes it.
TEST(PngFrameReader, GivesFfmpegsPixelsForEveryKindAndFilter) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  struct Kind {
    std::string format;
    int bytes;
  };
  for (const Kind& kind : std::vector<Kind>{{"rgb24", 3},
                                            {"rgba", 4},
                                            {"rgb48be", 6},
                                            {"rgba64be", 8},
                                            {"gray", 1},
                                            {"ya8", 2},
                                            {"gray16be", 2},
                                            {"ya16be", 4}}) {
    SCOPED_TRACE(kind.format);
    WriteNoisePngs(dir, kind.format, kind.bytes);
    const std::string pattern = dir / (kind.format + "%02d.png");
    MediaInput direct(pattern);
    MediaInput ffmpeg(pattern, false);
    EXPECT_EQ(direct.info().width, 37);
    EXPECT_EQ(direct.info().height, 11);
    EXPECT_EQ(direct.info().frames, ffmpeg.info().frames);
    EXPECT_EQ(direct.info().fps_num, ffmpeg.info().fps_num);
    EXPECT_EQ(direct.info().fps_den, ffmpeg.info().fps_den);
    EXPECT_EQ(direct.info().seconds, ffmpeg.info().seconds);
    EXPECT_TRUE(direct.info().image_sequence);
    EXPECT_FALSE(direct.info().has_sound);
    for (int k = 0; k < static_cast<int>(kFilters.size()); ++k) {
      SCOPED_TRACE(kFilters[k]);
      // The reader itself takes the file, rather than leaving it to FFmpeg.
      HostFrame frame;
      frame.Allocate(37, 11, 16);
      PngFrameReader reader;
      EXPECT_TRUE(reader.Read(dir / (kind.format + "0" + std::to_string(k) + ".png"), frame));
      for (int depth : {8, 16}) ExpectSameFrames(direct, ffmpeg, k, 37, 11, depth);
    }
  }
}

// Every sample value of every kind, in rows of hundreds of pixels that start
// on any boundary in the frame: the reader gives FFmpeg's host values.
TEST(PngFrameReader, GivesFfmpegsValueForEverySample) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  struct Kind {
    std::string format;
    int channels, sample_bytes;
  };
  const int width = 259;
  for (const Kind& kind : std::vector<Kind>{{"gray", 1, 1},
                                            {"ya8", 2, 1},
                                            {"rgb24", 3, 1},
                                            {"rgba", 4, 1},
                                            {"gray16be", 1, 2},
                                            {"ya16be", 2, 2},
                                            {"rgb48be", 3, 2},
                                            {"rgba64be", 4, 2}}) {
    SCOPED_TRACE(kind.format);
    // Sample k holds k * 40503 (an odd number) modulo 2^16 or 2^8: every
    // value once in the first 2^16 or 2^8 samples, big-endian.
    const int values = kind.sample_bytes == 2 ? 65536 : 256;
    const int height = (values + width * kind.channels - 1) / (width * kind.channels);
    std::vector<uint8_t> raw(static_cast<size_t>(width) * height * kind.channels * kind.sample_bytes);
    for (size_t k = 0; k < raw.size() / kind.sample_bytes; ++k) {
      const uint32_t v = static_cast<uint32_t>(k * 40503u) & (values - 1);
      if (kind.sample_bytes == 2) {
        raw[2 * k] = static_cast<uint8_t>(v >> 8);
        raw[2 * k + 1] = static_cast<uint8_t>(v);
      } else {
        raw[k] = static_cast<uint8_t>(v);
      }
    }
    WriteBytes(dir / (kind.format + ".raw"), raw);
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    auto r = RunCommand({"ffmpeg", "-v", "error", "-f", "rawvideo", "-pix_fmt", kind.format, "-s", size, "-i",
                         dir / (kind.format + ".raw"), "-pred", "mixed", dir / (kind.format + "00.png")});
    ASSERT_EQ(r.status, 0) << r.err;
    MediaInput direct(dir / (kind.format + "%02d.png"));
    MediaInput ffmpeg(dir / (kind.format + "%02d.png"), false);
    for (int depth : {8, 16})
      for (int padding : {0, 4, 8, 5}) ExpectSameFrames(direct, ffmpeg, 0, width, height, depth, padding);
  }
}

// Files of other kinds, and files of another size than the frame, are read
// by FFmpeg as before.
TEST(PngFrameReader, LeavesOtherFilesToFfmpeg) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  auto r = RunCommand({"ffmpeg",
                       "-v",
                       "error",
                       "-f",
                       "lavfi",
                       "-i",
                       "testsrc=size=37x11",
                       "-frames:v",
                       "1",
                       "-flags",
                       "+ildct",
                       dir / "kind00.png",
                       "-frames:v",
                       "1",
                       "-pix_fmt",
                       "pal8",
                       dir / "kind01.png",
                       "-frames:v",
                       "1",
                       "-pix_fmt",
                       "monob",
                       dir / "kind02.png"});
  ASSERT_EQ(r.status, 0) << r.err;
  for (int k = 0; k < 3; ++k) {
    HostFrame frame;
    frame.Allocate(37, 11, 16);
    PngFrameReader reader;
    EXPECT_FALSE(reader.Read(dir / ("kind0" + std::to_string(k) + ".png"), frame)) << k;
  }
  MediaInput direct(dir / "kind%02d.png");
  MediaInput ffmpeg(dir / "kind%02d.png", false);
  for (int k = 0; k < 3; ++k)
    for (int depth : {8, 16}) ExpectSameFrames(direct, ffmpeg, k, 37, 11, depth);
  // Scaled: another size than the file's.
  for (int depth : {8, 16}) ExpectSameFrames(direct, ffmpeg, 0, 20, 30, depth);
}

// A cut-short or damaged file stops the render with an error that names it
// and says what is wrong; the frame is never filled with made-up pixels.
TEST(PngFrameReader, DamagedFilesGiveClearErrors) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  WriteNoisePngs(dir, "rgb48be", 6);
  const std::vector<uint8_t> good = ReadBytes(dir / "rgb48be00.png");
  ASSERT_GT(good.size(), 200u);
  std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
  std::vector<uint8_t> flipped = good;
  flipped[good.size() / 2] ^= 0x10;  // inside the image data
  WriteBytes(dir / "rgb48be01.png", cut);
  WriteBytes(dir / "rgb48be02.png", flipped);
  MediaInput in(dir / "rgb48be%02d.png");
  struct Case {
    int index;
    std::string name, fault;
  };
  for (const Case& c : std::vector<Case>{{1, "rgb48be01.png", "cut short"}, {2, "rgb48be02.png", "CRC"}}) {
    HostFrame frame;
    frame.Allocate(37, 11, 16);
    try {
      in.RenderFrame(c.index, frame);
      ADD_FAILURE() << c.name << " was read";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(dir / c.name), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.fault), std::string::npos) << e.what();
    }
    EXPECT_EQ(frame.pixels, FrameBytes(frame.pixels.size(), 0)) << "the frame was touched";
  }
}
