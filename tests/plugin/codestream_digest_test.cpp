// Renders whose codestreams must not change by a single byte: the SHA-1 of
// every codestream of a few fixed renders, at several thread counts, against
// digests recorded from a known-good build. Any change to the frame and
// X'Y'Z' conversion, the wavelet, tier-1, rate allocation or the packets that
// is not exact shows up here.
#include <gtest/gtest.h>

#include <openssl/sha.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/plugin/render_test_support.h"
#include "tests/support/test_support.h"

using namespace lumavox_test;
using namespace render_test;

namespace {

std::string Sha1Hex(const std::vector<uint8_t>& bytes) {
  unsigned char digest[SHA_DIGEST_LENGTH];
  SHA1(bytes.data(), bytes.size(), digest);
  std::string hex;
  char two[3];
  for (unsigned char b : digest) {
    std::snprintf(two, sizeof two, "%02x", b);
    hex += two;
  }
  return hex;
}

// Renders with lumavox-render and checks each codestream's digest, in order.
void ExpectDigests(const TempDir& dir, const std::string& name, std::vector<std::string> arguments,
                   const std::vector<std::string>& expected) {
  SCOPED_TRACE(name);
  std::vector<std::string> argv{RenderPath(), "--plugin", PluginPath()};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  argv.push_back(dir / name + ".DCP");
  const CommandResult r = RunCommand(argv);
  ASSERT_EQ(r.status, 0) << r.err;
  const auto codestreams = ExtractCodestreams(PictureTrackFile(dir / name), dir.path());
  ASSERT_EQ(codestreams.size(), expected.size());
  for (size_t k = 0; k < codestreams.size(); ++k) {
    EXPECT_EQ(Sha1Hex(codestreams[k]), expected[k]) << "codestream " << k;
  }
}

// A busy 16-bit picture (noise over gradients and stripes, different in every
// frame) written as raw RGB and turned into PNG files by ffmpeg: PNG is
// lossless, so the files decode to exactly these samples.
void WriteBusyPngSequence(const TempDir& dir, int frames) {
  const int w = 1998, h = 1080;
  std::vector<uint8_t> raw(static_cast<size_t>(w) * h * 6 * frames);
  uint32_t seed = 12345;
  size_t at = 0;
  for (int f = 0; f < frames; ++f) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        for (int c = 0; c < 3; ++c) {
          seed = seed * 1664525u + 1013904223u;
          const int noise = static_cast<int>(seed >> 20) - 2048;  // +-2048
          const int base = (x * 29 + y * 17 * (c + 1) + f * 977) % 65536 / 2 + ((x / 7 + y / 5) % 2) * 12000;
          int v = base + noise * 4;
          v = v < 0 ? 0 : v > 65535 ? 65535 : v;
          raw[at++] = static_cast<uint8_t>(v & 0xFF);
          raw[at++] = static_cast<uint8_t>(v >> 8);
        }
      }
    }
  }
  WriteBytes(dir / "busy.rgb", raw);
  const CommandResult r = RunCommand({"ffmpeg", "-v", "error", "-y", "-f", "rawvideo", "-pix_fmt", "rgb48le", "-s",
                                      "1998x1080", "-i", dir / "busy.rgb", "-pix_fmt", "rgb48be",
                                      dir / "busy%03d.png"});
  ASSERT_EQ(r.status, 0) << r.err;
}

}  // namespace

TEST(CodestreamDigests, ThePatternGivesTheSameBytesAtEveryThreadCount) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  const std::vector<std::string> expected = {
      "8e66e58e91437089e89653908811bbe9d147f052",
      "e0184c0b5a98f0e3a58c52efff730543e392d707",
      "bc5ee2d7392b307bedf89243e2276853607701f1",
      "aca7f5e6d9f7bb7f20f312aee65790e15d51825d",
  };
  for (const char* threads : {"1", "3", "8"}) {
    ExpectDigests(dir, std::string("P") + threads, {"--frames", "4", "--threads", threads}, expected);
  }
}

TEST(CodestreamDigests, StereoscopicEightBitFramesGiveTheSameBytesAtEveryThreadCount) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  const std::vector<std::string> expected = {
      "dc6b99ead8ccac2d7512375d88fd145d6c3b249d",  // frame 0, left
      "faf2de362904abb1a9a010f9a7b35252ff351617",  // frame 0, right
      "62beda5725d9003ada67de0e1f970961654634bd",
      "b053d456b4850ba50fecba898ab8f028f7c27ec6",
  };
  for (const char* threads : {"2", "8"}) {
    ExpectDigests(dir, std::string("S") + threads,
                  {"--size", "3996x1080", "--depth", "8", "--frames", "2", "--threads", threads}, expected);
  }
}

TEST(CodestreamDigests, BusyPngFramesGiveTheSameBytesAtEveryThreadCount) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  WriteBusyPngSequence(dir, 3);
  const std::vector<std::string> expected = {
      "d470b28e3ff62f31dda7687f26dfcfd3565b73ac",
      "741548003515a3587425211cf5001589d31cdfe9",
      "c034d24c8876469db9af6d99fe6e9a15a6d3a1a6",
  };
  for (const char* threads : {"1", "4"}) {
    ExpectDigests(dir, std::string("N") + threads,
                  {"--input", dir / "busy%03d.png", "--fps", "24", "--frames", "3", "--threads", threads}, expected);
  }
}
