// One encoding slot end to end, the way a render drives it but without the
// host: set-up and rate fitting, the image and byte stream in host memory, a
// 16-bit frame converted and turned into X'Y'Z', one codestream, decoded by
// OpenJPEG's decoder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "encoder/cinema_setup.h"
#include "encoder/frame_conversion.h"
#include "encoder/j2k/cio.h"
#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/compressor.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/j2k.h"
#include "encoder/j2k/parameters.h"
#include "encoder/xyz_conversion.h"
#include "plugin/byte_stream_buffers.h"
#include "plugin/image_buffers.h"
#include "plugin/output_options.h"
#include "tests/encoder/j2k_frames.h"
#include "tests/support/memory_host.h"
#include "tests/support/test_support.h"

using lumavox_test::MemoryHost;

TEST(EncodingSlot, FrameToDecodableXyzCodestream) {
  LUMAVOX_REQUIRE_TOOL("opj_decompress");
  const int W = 320, H = 180;
  MemoryHost host;
  AEIO_BasicData* basic = host.basic();
  std::unique_ptr<OutputOptions> o(new OutputOptions{});
  o->width = W;
  o->height = H;
  o->frameRate = 24;
  o->bitRate = 250;
  o->outputDepth = 48;

  // Render start: parameters, the slot's tile buffers and image, rate fitting,
  // compressor and byte stream.
  opj_cparameters params{};
  ASSERT_EQ(j2c_initialize(24, 1, o.get(), &params), 0);
  for (int c = 0; c < 3; ++c) o->tileBufferHandles[0][c] = host.Make("CompGPU", W * H * 4);
  o->imageHandles[0] = j2c_create_image(basic, o.get(), nullptr, &params);
  ASSERT_NE(o->imageHandles[0], nullptr);
  ASSERT_EQ(LockImageBuffer(basic, o.get(), 0), 0);
  testing::internal::CaptureStdout();  // not a 2K size: the profile message
  cinema_setup_encoder(&params, o.get(), o->images[0]);
  testing::internal::GetCapturedStdout();
  o->compressors[0] = opj_create_compress();
  opj_setup_encoder(o->compressors[0], &params, o->images[0]);
  ASSERT_EQ(UnlockImageBuffer(basic, o.get(), 0), 0);
  o->byteStreamHandles[0] = j2c_cio_open(basic, o->compressors[0], nullptr, 0);
  ASSERT_NE(o->byteStreamHandles[0], nullptr);

  // A frame: smooth colour ramps with full-scale white in one corner.
  std::vector<uint16_t> pixels(static_cast<size_t>(W) * H * 4);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      uint16_t* p = &pixels[(static_cast<size_t>(y) * W + x) * 4];
      const bool white = x < 16 && y < 16;
      p[1] = white ? 32768 : static_cast<uint16_t>(x * 32768 / W);
      p[2] = white ? 32768 : static_cast<uint16_t>(y * 32768 / H);
      p[3] = white ? 32768 : static_cast<uint16_t>((x + y) * 16384 / (W + H) + 8192);
    }
  PF_EffectWorld frame{PF_WorldFlag_DEEP, W, H, W * 8, pixels.data()};

  // Add frame: convert and X'Y'Z' on the locked image, keep the expected planes.
  ASSERT_EQ(LockImageBuffer(basic, o.get(), 0), 0);
  opj_image* image = o->images[0];
  ASSERT_EQ(convert_frame_to_image(basic, nullptr, &frame, kLeftEyeOr2D, o.get(), image), 0);
  rgb_to_xyz(image, 1);
  EXPECT_EQ(image->comps[0].data[0], 3883);  // white
  EXPECT_EQ(image->comps[1].data[0], 3960);
  EXPECT_EQ(image->comps[2].data[0], 4091);
  std::vector<std::vector<int32_t>> expected(3);
  for (int c = 0; c < 3; ++c) expected[c].assign(image->comps[c].data, image->comps[c].data + W * H);

  // Encoding batch: reset the rate, rewind the stream, encode.
  ASSERT_EQ(LockByteStream(basic, o.get(), 0), 0);
  opj_cio* cio = o->byteStreams[0];
  cio->start = cio->bp = cio->buffer;
  cio->end = cio->buffer + cio->length;
  o->compressors[0]->j2k->cp->tcps[0].rates[0] = params.tcp_rates[0];
  ASSERT_EQ(opj_encode(o->compressors[0], cio, image, o->encoderFlag != 0, o->tileBuffers[0]), 1);
  const int length = cio_tell(cio);
  ASSERT_GT(length, 164);
  std::vector<uint8_t> codestream(cio->buffer, cio->buffer + length);
  ASSERT_EQ(UnlockByteStream(basic, o.get(), 0), 0);
  ASSERT_EQ(UnlockImageBuffer(basic, o.get(), 0), 0);

  // Render end.
  EXPECT_EQ(FreeByteStream(basic, o.get(), 0), 0);
  opj_destroy_compress(o->compressors[0]);
  EXPECT_EQ(FreeImageBuffer(basic, o.get(), 0), 0);
  std::free(params.cp_comment);
  EXPECT_EQ(host.Live(), 0u);
  EXPECT_TRUE(host.problems.empty());

  lumavox_test::TempDir dir;
  auto decoded = j2k_test::DecodeWithOpenJpeg(codestream, dir.path(), "slot");
  ASSERT_EQ(decoded.size(), 3u);
  double se = 0;
  int worst = 0;
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < W * H; ++i) {
      const int d = decoded[c][i] - expected[c][i];
      se += static_cast<double>(d) * d;
      worst = std::max(worst, std::abs(d));
    }
  const double psnr = 10 * std::log10(4095.0 * 4095.0 / (se / (3.0 * W * H)));
  // A small frame at 250 Mbit/s keeps nearly every pass.
  EXPECT_GT(psnr, 50) << "worst " << worst;
}
