// Frame conversion: the slot image and host frames of 8 and 16 bits per
// channel, two-dimensional and side by side.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "encoder/frame_conversion.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/parameters.h"
#include "plugin/module_errors.h"
#include "plugin/output_options.h"
#include "tests/support/memory_host.h"

using lumavox_test::MemoryHost;

namespace {

std::unique_ptr<OutputOptions> Options(int width, int height, int depth, bool stereo) {
  std::unique_ptr<OutputOptions> o(new OutputOptions{});
  o->width = static_cast<A_u_long>(width);
  o->height = static_cast<A_u_long>(height);
  o->outputDepth = static_cast<A_short>(depth);
  o->stereoscopic = stereo ? 1 : 0;
  return o;
}

// A host frame of ARGB pixels (8 or 16 bits per channel), rows of row_bytes.
struct Frame {
  Frame(int width, int height, int bytes_per_channel, int row_bytes)
      : bpc(bytes_per_channel), rb(row_bytes), bytes(static_cast<size_t>(row_bytes) * height) {
    world.width = width;
    world.height = height;
    world.rowbytes = row_bytes;
    world.world_flags = bytes_per_channel == 2 ? PF_WorldFlag_DEEP : 0;
    world.data = bytes.data();
  }
  void Set(int x, int y, int a, int r, int g, int b) {
    uint8_t* p = bytes.data() + static_cast<size_t>(y) * rb + static_cast<size_t>(x) * 4 * bpc;
    const int v[4] = {a, r, g, b};
    for (int k = 0; k < 4; ++k) {
      if (bpc == 1) {
        p[k] = static_cast<uint8_t>(v[k]);
      } else {
        p[2 * k] = static_cast<uint8_t>(v[k] & 0xFF);
        p[2 * k + 1] = static_cast<uint8_t>(v[k] >> 8);
      }
    }
  }
  int bpc, rb;
  std::vector<uint8_t> bytes;
  PF_EffectWorld world{};
};

// An image on plain memory, planes pre-filled with a marker.
struct Planes {
  Planes(int w, int h) {
    for (int c = 0; c < 3; ++c) {
      data[c].assign(static_cast<size_t>(w) * h, -7);
      comps[c] = opj_image_comp{1, 1, w, h, 0, 0, 12, 12, 0, data[c].data(), nullptr};
    }
    image = opj_image{0, 0, w, h, 3, 1, comps, nullptr};
  }
  std::array<int32_t, 3> At(int x, int y) const {
    size_t i = static_cast<size_t>(y) * comps[0].w + x;
    return {data[0][i], data[1][i], data[2][i]};
  }
  std::vector<int32_t> data[3];
  opj_image_comp comps[3];
  opj_image image{};
};

using Triple = std::array<int32_t, 3>;

}  // namespace

TEST(FrameConversion, CreateImageOnHostHandles) {
  MemoryHost host;
  opj_cparameters parameters;
  opj_set_default_encoder_parameters(&parameters);
  auto options = Options(3996, 1080, 48, true);  // side by side: each eye 1998 wide
  AEGP_MemHandle imageH = j2c_create_image(host.basic(), options.get(), nullptr, &parameters);
  ASSERT_NE(imageH, nullptr);
  EXPECT_EQ(host.LiveNames(), (std::multiset<std::string>{"ImageH", "CompH", "dataH", "dataH", "dataH"}));
  EXPECT_EQ(host.TotalLocks(), 0);

  const auto* block = host.Find(imageH);
  ASSERT_NE(block, nullptr);
  opj_image image;
  std::memcpy(&image, block->bytes.get(), sizeof image);
  EXPECT_EQ(image.x0, 0);
  EXPECT_EQ(image.y0, 0);
  EXPECT_EQ(image.x1, 1998);
  EXPECT_EQ(image.y1, 1080);
  EXPECT_EQ(image.numcomps, 3);
  EXPECT_EQ(image.color_space, 1);
  const auto* comps_block = host.Find(static_cast<AEGP_MemHandle>(image.comps_handle));
  ASSERT_NE(comps_block, nullptr);
  for (int c = 0; c < 3; ++c) {
    opj_image_comp comp;
    std::memcpy(&comp, comps_block->bytes.get() + c * sizeof comp, sizeof comp);
    EXPECT_EQ(comp.dx, 1);
    EXPECT_EQ(comp.dy, 1);
    EXPECT_EQ(comp.w, 1998);
    EXPECT_EQ(comp.h, 1080);
    EXPECT_EQ(comp.prec, 12);
    EXPECT_EQ(comp.bpp, 12);
    EXPECT_EQ(comp.sgnd, 0);
    const auto* plane = host.Find(static_cast<AEGP_MemHandle>(comp.data_handle));
    ASSERT_NE(plane, nullptr);
    EXPECT_EQ(plane->size, 1998u * 1080u * 4u);
  }
  EXPECT_TRUE(host.problems.empty());
}

TEST(FrameConversion, EightBitFrames) {
  MemoryHost host;
  auto options = Options(6, 2, 24, false);
  Frame frame(6, 2, 1, 6 * 4);
  frame.Set(0, 0, 0, 255, 255, 255);
  frame.Set(5, 1, 9, 1, 2, 3);
  frame.Set(2, 0, 0, 128, 16, 254);
  Planes img(6, 2);
  EXPECT_EQ(convert_frame_to_image(host.basic(), nullptr, &frame.world, kLeftEyeOr2D, options.get(), &img.image), 0);
  // 0 to 255 spread over 0 to 4095: the byte repeated in the low four bits.
  EXPECT_EQ(img.At(0, 0), (Triple{4095, 4095, 4095}));
  EXPECT_EQ(img.At(5, 1), (Triple{16, 32, 48}));  // alpha is never read
  EXPECT_EQ(img.At(2, 0), (Triple{2056, 257, 4079}));
  EXPECT_EQ(img.At(1, 0), (Triple{0, 0, 0}));
  EXPECT_TRUE(host.messages.empty());
}

TEST(FrameConversion, SixteenBitFullScaleStaysInTwelveBits) {
  MemoryHost host;
  auto options = Options(4, 1, 48, false);
  Frame frame(4, 1, 2, 4 * 8);
  frame.Set(0, 0, 32768, 32768, 32768, 32768);
  frame.Set(1, 0, 0, 32767, 8, 7);
  frame.Set(2, 0, 0, 16384, 0, 0x1234);
  Planes img(4, 1);
  EXPECT_EQ(convert_frame_to_image(host.basic(), nullptr, &frame.world, kLeftEyeOr2D, options.get(), &img.image), 0);
  EXPECT_EQ(img.At(0, 0), (Triple{4095, 4095, 4095}));
  EXPECT_EQ(img.At(1, 0), (Triple{4095, 1, 0}));
  EXPECT_EQ(img.At(2, 0), (Triple{2048, 0, 0x1234 >> 3}));
}

TEST(FrameConversion, SideBySideEyesGoToTwoImages) {
  MemoryHost host;
  auto options = Options(8, 3, 48, true);  // each eye 4 wide
  Frame frame(8, 3, 2, 8 * 8);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 8; ++x) frame.Set(x, y, 0, (x + 10 * y) << 3, 8, 16);
  Planes left(4, 3), right(4, 3);
  EXPECT_EQ(convert_frame_to_image(host.basic(), nullptr, &frame.world, kLeftEyeOr2D, options.get(), &left.image), 0);
  EXPECT_EQ(convert_frame_to_image(host.basic(), nullptr, &frame.world, kRightEye, options.get(), &right.image), 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(left.At(x, y), (Triple{x + 10 * y, 1, 2}));
      EXPECT_EQ(right.At(x, y), (Triple{x + 4 + 10 * y, 1, 2}));
    }

  // The same at 8 bits.
  auto options8 = Options(8, 1, 24, true);
  Frame frame8(8, 1, 1, 8 * 4);
  for (int x = 0; x < 8; ++x) frame8.Set(x, 0, 0, x, 0, 0);
  Planes right8(4, 1);
  convert_frame_to_image(host.basic(), nullptr, &frame8.world, kRightEye, options8.get(), &right8.image);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(right8.At(x, 0)[0], (x + 4) * 16);  // no high bits to repeat below 16
}

TEST(FrameConversion, ShortRowsLeaveTheRestOfTheImage) {
  MemoryHost host;
  // Rows of 3 pixels (plus 2 bytes of slack) for a 4-wide image: column 3 is
  // not read and keeps what it held; rows follow the truncated unit count.
  auto options = Options(4, 2, 24, false);
  Frame frame(3, 2, 1, 3 * 4 + 2);
  frame.Set(0, 0, 0, 1, 1, 1);
  // Row 1 starts 3 units (12 bytes) after the first pixel, not 14.
  uint8_t* second_row = frame.bytes.data() + 12;
  second_row[1] = 5;
  Planes img(4, 2);
  convert_frame_to_image(host.basic(), nullptr, &frame.world, kLeftEyeOr2D, options.get(), &img.image);
  EXPECT_EQ(img.At(0, 0), (Triple{16, 16, 16}));
  EXPECT_EQ(img.At(0, 1)[0], 80);
  EXPECT_EQ(img.At(3, 0), (Triple{-7, -7, -7}));
  EXPECT_EQ(img.At(3, 1), (Triple{-7, -7, -7}));

  // The right eye of a frame narrower than both eyes: nothing to read.
  auto stereo = Options(8, 2, 24, true);
  Planes right(4, 2);
  convert_frame_to_image(host.basic(), nullptr, &frame.world, kRightEye, stereo.get(), &right.image);
  EXPECT_EQ(right.At(0, 0), (Triple{-7, -7, -7}));
}

TEST(FrameConversion, OtherDepthsAreRefused) {
  MemoryHost host;
  auto options = Options(2, 1, 32, false);
  Frame frame(2, 1, 1, 8);
  frame.Set(0, 0, 0, 9, 9, 9);
  Planes img(2, 1);
  EXPECT_EQ(convert_frame_to_image(host.basic(), nullptr, &frame.world, kLeftEyeOr2D, options.get(), &img.image),
            kErrUnsupportedOutput);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0],
            "Unsupported color depth. Select \"Millions of Color\" or \"Trillions of Color\" in your output module "
            "settings.");
  EXPECT_EQ(img.At(0, 0), (Triple{-7, -7, -7}));
}

TEST(FrameConversion, WideOddRowsOfBothEyes) {
  // 37 columns per eye: the row loops' vector body and their tails, with
  // values across the whole 16-bit range (above 32768 clamps).
  MemoryHost host;
  for (int depth : {48, 24}) {
    const int bpc = depth == 48 ? 2 : 1;
    auto options = Options(74, 3, depth, true);
    Frame frame(74, 3, bpc, 74 * 4 * bpc);
    for (size_t i = 0; i < frame.bytes.size(); ++i) frame.bytes[i] = static_cast<uint8_t>((i * 2654435761u) >> 11);
    for (A_u_char eye : {kLeftEyeOr2D, kRightEye}) {
      Planes img(37, 3);
      ASSERT_EQ(convert_frame_to_image(host.basic(), nullptr, &frame.world, eye, options.get(), &img.image), 0);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 37; ++x) {
          const uint8_t* px = frame.bytes.data() + y * frame.rb + (x + (eye == kRightEye ? 37 : 0)) * 4 * bpc;
          Triple want;
          for (int c = 0; c < 3; ++c) {
            const int at = (c + 1) * bpc;  // alpha first
            want[c] = bpc == 2 ? std::min((px[at] | px[at + 1] << 8) >> 3, 4095) : (px[at] << 4 | px[at] >> 4);
          }
          ASSERT_EQ(img.At(x, y), want) << "depth " << depth << ", eye " << int(eye) << ", " << x << "," << y;
        }
    }
  }
}
