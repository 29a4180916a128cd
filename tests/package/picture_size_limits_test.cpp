// Renders of the pictures hardest to fit the Digital Cinema size limits
// (full-range noise, grey or in one channel or in all three, 8- and 16-bit
// frames, stereoscopic eyes alike and not) at every frame rate, 2D and
// stereoscopic, Interop and SMPTE: every tile-part keeps within 200 Mbit/s at
// its codestreams' rate, every stereoscopic edit unit within 250 Mbit/s as
// the track-file library counts it, and the field's checkers agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/checkers.h"
#include "tests/support/codestream_layout.h"
#include "tests/support/test_support.h"

using namespace lumavox_test;

namespace {

constexpr int kFrames = 4;
constexpr int kHeight = 1080;

// Noise frames as PNG files name0.png ... name3.png, `width` wide; each
// frame's kind by its index: 0 grey, 1 noise in luma and both chroma channels
// made 8-bit RGB by ffmpeg (the components share the bytes most evenly, so
// that the frame budget binds rather than a component's limit), 2 each
// channel its own, 3 the blue channel only (0, 2 and 3 at 16 bits). In
// stereoscopic frames (eyes side by side) the eyes of frames 0 and 1 are
// alike. The track-file library leaves the first and last edit units out of
// its count: frame 1 is the one that fills both eyes' budgets.
void WriteNoiseFrames(const TempDir& dir, const std::string& name, int width, bool stereoscopic) {
  std::vector<uint8_t> raw(static_cast<size_t>(width) * kHeight * 6 * kFrames);
  uint32_t seed = 2024;
  auto noise = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>(seed >> 16);
  };
  const int eye = width / 2;
  const size_t frame_bytes = raw.size() / kFrames;
  for (int f : {0, 2, 3}) {
    size_t at = frame_bytes * static_cast<size_t>(f);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < width; ++x, at += 6) {
        if (stereoscopic && f == 0 && x >= eye) {
          for (int k = 0; k < 6; ++k) raw[at + k] = raw[at - static_cast<size_t>(eye) * 6 + k];
          continue;
        }
        const int n = noise();
        const int rgb[3] = {f == 0 ? n : f == 2 ? noise() : 32768, f == 3 ? 32768 : n, f == 2 ? noise() : n};
        for (int c = 0; c < 3; ++c) {
          raw[at + 2 * c] = static_cast<uint8_t>(rgb[c] & 0xFF);
          raw[at + 2 * c + 1] = static_cast<uint8_t>(rgb[c] >> 8);
        }
      }
    }
  }
  WriteBytes(dir / (name + ".rgb"), raw);
  const std::string size = std::to_string(width) + "x" + std::to_string(kHeight);
  // Stored uncompressed: noise does not compress, and the render reads the same samples.
  const CommandResult own = RunCommand({"ffmpeg", "-v", "error", "-y", "-f", "rawvideo", "-pix_fmt", "rgb48le", "-s",
                                        size, "-i", dir / (name + ".rgb"), "-pix_fmt", "rgb48be", "-compression_level",
                                        "0", "-start_number", "0", dir / (name + "%d.png")});
  ASSERT_EQ(own.status, 0) << own.err;
  // Frame 1 in place of the raw one left empty.
  const std::string source = "nullsrc=size=" + std::to_string(eye) + "x" + std::to_string(kHeight) +
                             ",geq=random(1)*255:random(2)*255:random(3)*255,format=rgb24";
  const CommandResult ffmpeg = RunCommand({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                                           stereoscopic ? source + ",split[a][b];[a][b]hstack" : source, "-frames:v",
                                           "1", "-compression_level", "0", "-update", "1", dir / (name + "1.png")});
  ASSERT_EQ(ffmpeg.status, 0) << ffmpeg.err;
}

struct Shape {
  int fps;
  bool stereoscopic;
  bool smpte;
  int depth;
};

std::string Label(const Shape& s) {
  return std::string(s.stereoscopic ? "stereoscopic " : "2D ") + std::to_string(s.fps) + " fps " +
         (s.smpte ? "SMPTE " : "Interop ") + std::to_string(s.depth) + "-bit";
}

}  // namespace

TEST(PictureSizeLimits, NoisePicturesKeepEveryTilePartAndEditUnitWithinTheLimits) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  LUMAVOX_REQUIRE_CHECKERS();
  TempDir dir;
  WriteNoiseFrames(dir, "flat", 1998, false);
  WriteNoiseFrames(dir, "pair", 3996, true);
  if (HasFatalFailure()) return;
  WriteText(dir / "smpte.txt", "choose Packing standard = SMPTE\npress OK\n");
  const Shape shapes[] = {
      {24, false, false, 8}, {24, false, true, 16}, {25, false, true, 16}, {30, false, true, 8}, {48, false, true, 16},
      {50, false, true, 8},  {60, false, true, 16}, {24, true, false, 16}, {24, true, true, 8},
  };
  for (const Shape& shape : shapes) {
    // Under a sanitizer, each depth once: a 16-bit 2D rate and the 8-bit
    // stereoscopic packing.
    if (kSanitized && shape.fps != 48 && !(shape.stereoscopic && shape.smpte)) continue;
    const std::string label = Label(shape);
    SCOPED_TRACE(label);
    const std::string out = dir / ("R" + std::to_string(&shape - shapes));
    const std::string input = dir / (shape.stereoscopic ? "pair%d.png" : "flat%d.png");
    std::vector<std::string> argv{RenderPath(),
                                  "--input",
                                  input,
                                  "--fps",
                                  std::to_string(shape.fps),
                                  "--frames",
                                  std::to_string(kFrames),
                                  "--depth",
                                  std::to_string(shape.depth),
                                  "--threads",
                                  "4"};
    if (shape.stereoscopic) argv.insert(argv.end(), {"--size", "3996x1080"});
    if (shape.smpte && shape.fps == 24) argv.insert(argv.end(), {"--dialog-script", dir / "smpte.txt"});
    argv.push_back(out + ".DCP");
    const CommandResult render = RunCommand(argv);
    ASSERT_EQ(render.status, 0) << render.err;
    // Under a sanitizer, the render alone: the plain build reads and checks the same shapes.
    if (kSanitized) continue;

    std::string picture;
    for (const auto& entry : std::filesystem::directory_iterator(out))
      if (entry.path().filename().string().rfind("j2c_", 0) == 0) picture = entry.path().string();
    ASSERT_FALSE(picture.empty());
    std::vector<std::string> unwrap{"asdcp-unwrap"};
    if (shape.stereoscopic) unwrap.push_back("-3");
    unwrap.insert(unwrap.end(), {picture, out + "/cs"});
    const CommandResult unwrapped = RunChecker(unwrap);
    ASSERT_EQ(unwrapped.status, 0) << unwrapped.out << unwrapped.err;

    // Each tile-part (one component) within 200 Mbit/s at the rate of the
    // codestreams, each stereoscopic edit unit as the library counts it
    // (both eyes and the second eye's KLV key and length) within 250 Mbit/s.
    const int rate = shape.fps * (shape.stereoscopic ? 2 : 1);
    const uint32_t part_limit = 200000000u / (8u * static_cast<uint32_t>(rate));
    const uint32_t unit_limit = 250000000u / (8u * static_cast<uint32_t>(shape.fps));
    uint32_t largest_part = 0, largest_unit = 0;
    std::vector<std::string> verify{"j2c-verify", "--fps", std::to_string(rate), "--quiet"};
    for (int f = 0; f < kFrames; ++f) {
      char number[16];
      std::snprintf(number, sizeof number, "%06d", f);
      uint32_t unit = shape.stereoscopic ? 20 : 0;
      for (const char* eye : shape.stereoscopic ? std::vector<const char*>{"L", "R"} : std::vector<const char*>{""}) {
        const std::string file = out + "/cs" + number + eye + ".j2c";
        const std::vector<uint8_t> codestream = ReadBytes(file);
        const CodestreamLayout layout = ParseCodestreamLayout(codestream);
        ASSERT_EQ(layout.parts.size(), 3u) << file;
        for (const TilePart& part : layout.parts) {
          EXPECT_LE(part.psot, part_limit) << file;
          largest_part = std::max(largest_part, part.psot);
        }
        unit += static_cast<uint32_t>(codestream.size());
        verify.push_back(file);
      }
      if (shape.stereoscopic) {
        EXPECT_LE(unit, unit_limit) << "edit unit " << f;
      }
      largest_unit = std::max(largest_unit, unit);
    }
    std::printf("%s: largest tile-part %u of %u bytes", label.c_str(), largest_part, part_limit);
    if (shape.stereoscopic) std::printf(", largest edit unit %u of %u bytes", largest_unit, unit_limit);
    std::printf("\n");
    const CommandResult verified = RunChecker(verify);
    EXPECT_EQ(verified.status, 0) << verified.out << verified.err;
    std::vector<std::string> info{"asdcp-info", "-r"};
    if (shape.stereoscopic) info.push_back("-3");
    info.push_back(picture);
    const CommandResult read = RunChecker(info);
    EXPECT_EQ(read.status, 0) << read.out << read.err;

    // The verifier finds nothing but the reels' shortness (a few frames).
    std::string errors;
    for (const std::string& line : DcpVerifyErrors(out, !shape.smpte))
      if (line.find("is less than 1 second") == std::string::npos) errors += line + "\n";
    EXPECT_EQ(errors, "");
  }
}
