// A 2-second 320x240 movie at 24 fps with a 1 kHz tone at 44.1 kHz, made by
// FFmpeg's own generators, for the tests of the media input.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

inline std::string MakeTestMovie(const lumavox_test::TempDir& dir) {
  std::string path = dir / "in.mkv";
  auto r = lumavox_test::RunCommand(
      {"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=24:duration=2", "-f", "lavfi",
       "-i", "sine=frequency=1000:sample_rate=44100:duration=2", "-c:v", "ffv1", "-c:a", "pcm_s16le", path});
  EXPECT_EQ(r.status, 0) << r.err;
  return path;
}
