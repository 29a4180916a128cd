// Renders whose codestreams must not change by a single byte: the SHA-1 of
// every codestream of a few fixed renders, at several thread counts, against
// digests recorded from a known-good build. Any change to the frame and
// X'Y'Z' conversion, the wavelet, tier-1, rate allocation or the packets that
// is not exact shows up here.
#include <gtest/gtest.h>

#include <openssl/sha.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
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

// The thread counts a render's digests are checked at; under a sanitizer only
// the last, whose helpers take the most memory (the plain build checks that
// they all give the same bytes).
std::vector<const char*> ThreadCounts(std::initializer_list<const char*> counts) {
  if (kSanitized) return {*(counts.end() - 1)};
  return counts;
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
                                      "1998x1080", "-i", dir / "busy.rgb", "-pix_fmt", "rgb48be", "-compression_level",
                                      "0", dir / "busy%03d.png"});
  ASSERT_EQ(r.status, 0) << r.err;
}

}  // namespace

TEST(CodestreamDigests, ThePatternGivesTheSameBytesAtEveryThreadCount) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  const std::vector<std::string> expected = {
      "894ca5cbf9b81e74af8a2f0badd09152c2a84451",
      "67924cca9f064327aac52a4ca90867177abf862a",
      "8c23c07d69ab10cde779450bdf1a6a278784da63",
      "8af74a2ac2b40ee230046968a466e3426dad4246",
  };
  for (const char* threads : ThreadCounts({"1", "3", "8"})) {
    ExpectDigests(dir, std::string("P") + threads, {"--frames", "4", "--threads", threads}, expected);
  }
}

TEST(CodestreamDigests, StereoscopicEightBitFramesGiveTheSameBytesAtEveryThreadCount) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  const std::vector<std::string> expected = {
      "e9420da1a45a6756fab426ccd08c583482c7bbe8",  // frame 0, left
      "232010a994316d101e2df86e9e852bb02cb313fe",  // frame 0, right
      "25223db56377988aa4a29c0aa81af10707a813eb",
      "3e48c590966b83cff76c6230ea6635bd2c092c3f",
  };
  for (const char* threads : ThreadCounts({"2", "8"})) {
    ExpectDigests(dir, std::string("S") + threads,
                  {"--size", "3996x1080", "--depth", "8", "--frames", "2", "--threads", threads}, expected);
  }
}

TEST(CodestreamDigests, BusyPngFramesGiveTheSameBytesAtEveryThreadCount) {
  LUMAVOX_REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  WriteBusyPngSequence(dir, 3);
  const std::vector<std::string> expected = {
      "0aff5b635e68c0a4c93dde6c2e2d9f6dfa090ca8",
      "4c66be8b1fed9fa7e873c536d82adeea6995c1e4",
      "62662a828a8a32887412e3498274be97b7f57389",
  };
  for (const char* threads : ThreadCounts({"1", "4"})) {
    ExpectDigests(dir, std::string("N") + threads,
                  {"--input", dir / "busy%03d.png", "--fps", "24", "--frames", "3", "--threads", threads}, expected);
  }
}
