// The movie reader's scaler where the system cannot start all of its helper
// threads: the rows of those that did not start are made on the calling
// thread, and the picture is the one all of them give.
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
}

#include "host/ffmpeg/ffmpeg_scaler.h"
#include "host/thread_start.h"

using namespace lumavox_host;

TEST(Scaler, HelperThreadsThatCannotStartLeaveTheirRowsToTheCaller) {
  AVFrame* src = av_frame_alloc();
  src->width = 64;
  src->height = 48;
  src->format = AV_PIX_FMT_YUV420P;
  ASSERT_GE(av_frame_get_buffer(src, 0), 0);
  for (int p = 0; p < 3; ++p)
    for (int y = 0; y < (p == 0 ? 48 : 24); ++y)
      for (int x = 0; x < src->linesize[p]; ++x)
        src->data[p][y * src->linesize[p] + x] = (x * 7 + y * 13 + p * 50) & 255;
  auto scaled = [&](int starts_before_failure) {
    Scaler scaler;
    HostFrame out;
    out.Allocate(100, 60, 16);
    FailThreadStartAfter(starts_before_failure);
    ScaleToHost(scaler, src, out, 4, "test");
    FailThreadStartAfter(-1);
    return out.pixels;
  };
  const FrameBytes all = scaled(-1);
  // The scaler's second helper, once one runs (the program ended there); its
  // first; a helper widening the samples.
  for (int starts : {1, 0, 4}) EXPECT_EQ(scaled(starts), all) << starts << " starts before the failure";
  av_frame_free(&src);
}
