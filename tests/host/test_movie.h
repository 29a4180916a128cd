// A 2-second 320x240 movie at 24 fps with a 1 kHz tone at 44.1 kHz, made by
// FFmpeg's own generators, for the tests of the media input: in Matroska
// (FFV1), or with `quicktime` in a QuickTime file (ProRes 4444), whose header
// describes its streams without probing them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"

inline std::string MakeTestMovie(const lumavox_test::TempDir& dir, bool quicktime = false) {
  std::string path = dir / (quicktime ? "in.mov" : "in.mkv");
  const std::vector<std::string> codec = quicktime ? std::vector<std::string>{"-c:v", "prores_ks", "-profile:v", "4"}
                                                   : std::vector<std::string>{"-c:v", "ffv1"};
  std::vector<std::string> argv{"ffmpeg", "-v",    "error", "-y",
                                "-f",     "lavfi", "-i",    "testsrc=size=320x240:rate=24:duration=2",
                                "-f",     "lavfi", "-i",    "sine=frequency=1000:sample_rate=44100:duration=2"};
  argv.insert(argv.end(), codec.begin(), codec.end());
  argv.insert(argv.end(), {"-c:a", "pcm_s16le", path});
  auto r = lumavox_test::RunCommand(argv);
  EXPECT_EQ(r.status, 0) << r.err;
  return path;
}
