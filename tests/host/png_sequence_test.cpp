// Numbered PNG sequences found without FFmpeg, against FFmpeg's image file
// reader (through the media library's own opening, and ffprobe).
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "host/media_library.h"
#include "host/numbered_name.h"
#include "host/png_frame_reader.h"
#include "host/png_sequence.h"
#include "tests/support/test_support.h"

using namespace lumavox_host;
using namespace lumavox_test;

namespace {

std::optional<std::string> FfmpegName(const std::string& pattern, int number) {
  std::vector<char> name(pattern.size() + 64);
  if (av_get_frame_filename2(name.data(), static_cast<int>(name.size()), pattern.c_str(), number, 0) < 0)
    return std::nullopt;
  return std::string(name.data());
}

void MakePicture(const std::string& path, const std::string& pixel_format) {
  auto r = RunCommand({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=40x30", "-frames:v", "1",
                       "-pix_fmt", pixel_format, path});
  ASSERT_EQ(r.status, 0) << r.err;
}

// What ffprobe says of the sequence's picture stream: "width,height,rate,pictures".
std::string Probe(const std::string& pattern) {
  auto r = RunCommand({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                       "stream=width,height,r_frame_rate,duration_ts", "-of", "csv=p=0", pattern});
  EXPECT_EQ(r.status, 0) << r.err;
  return r.out.substr(0, r.out.find('\n'));
}

}  // namespace

TEST(PngSequence, NamesAreFfmpegsForEveryPatternItTakes) {
  for (const std::string pattern :
       {"img%03d.png", "%d.png", "a%%b%4d.png", "%0d_x.png", "dir.v2/%016d", "%%%%%05d%%"}) {
    std::optional<NumberedPattern> parts = ParseNumberedPattern(pattern);
    ASSERT_TRUE(parts) << pattern;
    for (int number : {0, 1, 7, 99, 1000, 123456789})
      EXPECT_EQ(NumberedName(*parts, number), FfmpegName(pattern, number));
  }
  // Patterns without exactly one number FFmpeg refuses too; the others
  // (a number wider than it writes whole, odd escapes) are left to it.
  for (const std::string pattern : {"plain.png", "%d%d.png", "%x.png", "%-3d.png", "a%"})
    EXPECT_FALSE(ParseNumberedPattern(pattern)) << pattern;
  for (const std::string pattern : {"%040d.png", "%5%d.png"}) EXPECT_FALSE(ParseNumberedPattern(pattern)) << pattern;
}

TEST(PngSequence, FindsWhatFfmpegsImageReaderFinds) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  TempDir dir;
  MakePicture(dir / "rgb48.png", "rgb48be");
  MakePicture(dir / "pal8.png", "pal8");
  MakePicture(dir / "picture.jpg", "yuvj420p");
  struct Layout {
    std::string pattern;
    std::vector<int> numbers;
    bool found;  // by our own opener
    std::string picture = "rgb48.png";
  };
  const std::vector<Layout> layouts = {
      {"s0_%d.png", {0, 1, 2, 3}, true},
      {"s1_%d.png", {1, 2, 3}, true},
      {"s2_%d.png", {2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, true},
      {"s3_%d.png", {3, 4, 5}, true},
      {"s4_%d.png", {4, 5, 6, 7, 8}, true},
      // The reader looks for later files 1, 2, 4, 8 ... numbers on.
      {"gap%03d.png", {0, 1, 2, 4}, true},
      {"gaps%03d.png", {1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 17, 18}, true},
      {"after%02d.png", {3, 5, 6}, true},
      {"even%02d.png", {0, 2, 4, 6, 8}, true},
      {"plain%d.png", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, true},
      {"spaced%3d.png", {0, 1, 2}, true},
      {"100%%_%02d.png", {0, 1}, true},
      {"single%04d.png", {2}, true},
      {"UPPER%03d.PNG", {0, 1, 2}, true},
      {"late%03d.png", {5, 6, 7}, false},
      {"jpeg%03d.png", {0, 1}, false, "picture.jpg"},
      {"palette%03d.png", {0, 1}, false, "pal8.png"},
      {"photo%03d.jpg", {0, 1}, false, "picture.jpg"},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.pattern);
    const std::string pattern = dir / layout.pattern;
    for (int number : layout.numbers) std::filesystem::copy_file(dir / layout.picture, *FfmpegName(pattern, number));
    const std::optional<PngSequence> ours = FindPngSequence(pattern);
    EXPECT_EQ(ours.has_value(), layout.found);
    std::unique_ptr<FfmpegInput> ffmpeg;
    try {
      ffmpeg = Media().Open(pattern, &ReadPngHeader);
    } catch (const std::runtime_error& e) {
      EXPECT_FALSE(ours) << "FFmpeg finds no sequence: " << e.what();
      continue;
    }
    if (!ours) continue;
    const MediaInfo& theirs = ffmpeg->info();
    EXPECT_EQ(ours->first_file, ffmpeg->first_file());
    EXPECT_EQ(ours->first_file, layout.numbers.front());
    EXPECT_EQ(ours->info.width, theirs.width);
    EXPECT_EQ(ours->info.height, theirs.height);
    EXPECT_EQ(ours->info.frames, theirs.frames);
    EXPECT_EQ(ours->info.fps_num, theirs.fps_num);
    EXPECT_EQ(ours->info.fps_den, theirs.fps_den);
    EXPECT_EQ(ours->info.seconds, theirs.seconds);  // the same figure, not just close
    EXPECT_EQ(ours->info.has_sound, theirs.has_sound);
    EXPECT_EQ(ours->info.image_sequence, theirs.image_sequence);
    EXPECT_EQ(Probe(pattern), "40,30,25/1," + std::to_string(ours->info.frames));
  }
  // A first file further on than the reader looks is no sequence to either.
  EXPECT_THROW(MediaInput(dir / "late%03d.png"), std::runtime_error);
}

// A file missing from a sequence is named when it is opened: the reader
// would end the sequence before it, leaving the later files out, or step over
// it and fail mid-render. A folder's other files do not count.
TEST(PngSequence, AGapInTheNumbersIsRefusedNamingTheMissingFiles) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  TempDir dir;
  MakePicture(dir / "rgb.png", "rgb24");
  MakePicture(dir / "picture.jpg", "yuvj420p");
  struct Layout {
    std::string pattern;
    std::vector<int> numbers;
    std::string missing;  // what the message names; empty: the sequence opens
    std::string picture = "rgb.png";
  };
  const std::vector<Layout> layouts = {
      {"cut%03d.png", {1, 2, 3, 5, 6}, "'" + dir / "cut004.png' is"},
      {"over%03d.png", {1, 2, 3, 4, 5, 6, 9, 10, 11, 12}, "'" + dir / "over007.png' to '" + dir / "over008.png' are"},
      {"photo%03d.jpg", {0, 1, 3}, "'" + dir / "photo002.jpg' is", "picture.jpg"},
      {"whole%03d.png", {2, 3, 4}, ""},
  };
  // Names the pattern does not give are no part of it.
  std::filesystem::copy_file(dir / "rgb.png", dir / "whole0007.png");
  std::filesystem::copy_file(dir / "rgb.png", dir / "whole007.png.bak");
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.pattern);
    const std::string pattern = dir / layout.pattern;
    for (int number : layout.numbers) std::filesystem::copy_file(dir / layout.picture, *FfmpegName(pattern, number));
    // FFmpeg's reader counts other than the files there are, or all of them.
    const std::string probed = Probe(pattern);
    const std::string files = std::to_string(layout.numbers.size());
    EXPECT_EQ(probed.substr(probed.rfind(',') + 1) == files, layout.missing.empty()) << probed;
    try {
      MediaInput input(pattern);
      EXPECT_TRUE(layout.missing.empty()) << "opened";
      EXPECT_EQ(input.info().frames, static_cast<int64_t>(layout.numbers.size()));
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(layout.missing + " missing"), std::string::npos) << e.what();
      EXPECT_FALSE(layout.missing.empty()) << e.what();
    }
  }
}

// A sequence numbered from further on than the image file reader looks is
// refused naming its first file, not as a file that is not there.
TEST(PngSequence, ALateFirstNumberIsRefusedNamingTheFirstFile) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  LUMAVOX_REQUIRE_TOOL("ffprobe");
  TempDir dir;
  MakePicture(dir / "rgb.png", "rgb24");
  for (const std::string pattern : {"late%04d.png", "shot_%d.png"}) {
    SCOPED_TRACE(pattern);
    for (int number : {1001, 1002}) std::filesystem::copy_file(dir / "rgb.png", *FfmpegName(dir / pattern, number));
    EXPECT_NE(RunCommand({"ffprobe", "-v", "error", dir / pattern}).status, 0);  // the reader finds nothing
    try {
      MediaInput input(dir / pattern);
      ADD_FAILURE() << "opened";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("first numbered file is '" + *FfmpegName(dir / pattern, 1001) + "'"),
                std::string::npos)
          << e.what();
    }
  }
}
