// Per-frame work on the host's thread: converting a 16-bit 2K frame (and an
// 8-bit one) into the image planes and the X'Y'Z' conversion of those planes;
// milliseconds per frame, best of several runs.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "encoder/frame_conversion.h"
#include "encoder/j2k/image.h"
#include "encoder/xyz_conversion.h"
#include "plugin/output_options.h"

int main() {
  const int w = 2048, h = 1080;
  std::vector<uint16_t> pixels(static_cast<size_t>(w) * h * 4);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint16_t>((i * 2654435761u) % 32769u);
  PF_EffectWorld frame{PF_WorldFlag_DEEP, w, h, w * 8, pixels.data()};
  std::vector<uint8_t> bytes(static_cast<size_t>(w) * h * 4);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
  PF_EffectWorld frame8{0, w, h, w * 4, bytes.data()};
  std::unique_ptr<OutputOptions> options(new OutputOptions{});
  options->width = w;
  options->height = h;
  options->outputDepth = 48;

  std::vector<int32_t> planes[3];
  opj_image_comp comps[3];
  for (int c = 0; c < 3; ++c) {
    planes[c].resize(static_cast<size_t>(w) * h);
    comps[c] = opj_image_comp{1, 1, w, h, 0, 0, 12, 12, 0, planes[c].data(), nullptr};
  }
  opj_image image{0, 0, w, h, 3, 1, comps, nullptr};

  double best_convert = 1e9, best_xyz = 1e9, best_convert8 = 1e9;
  for (int run = 0; run < 10; ++run) {
    auto t8 = std::chrono::steady_clock::now();
    convert_frame_8bit(options.get(), &frame8, &image, h, w, w, kLeftEyeOr2D);
    auto t0 = std::chrono::steady_clock::now();
    best_convert8 = std::min(best_convert8, std::chrono::duration<double, std::milli>(t0 - t8).count());
    convert_frame_16bit(options.get(), &frame, &image, h, w, w, kLeftEyeOr2D);
    auto t1 = std::chrono::steady_clock::now();
    rgb_to_xyz(&image, 1);
    auto t2 = std::chrono::steady_clock::now();
    best_convert = std::min(best_convert, std::chrono::duration<double, std::milli>(t1 - t0).count());
    best_xyz = std::min(best_xyz, std::chrono::duration<double, std::milli>(t2 - t1).count());
  }
  std::printf("convert_frame_16bit 2048x1080: %.2f ms; rgb_to_xyz: %.2f ms (sample %d); convert_frame_8bit: %.2f ms\n",
              best_convert, best_xyz, planes[1][4321], best_convert8);
  return 0;
}
