// Forward 9/7 wavelet of one 2K component (2048 x 1080, six resolutions):
// milliseconds per component, best of several runs.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "encoder/j2k/dwt.h"

int main() {
  const int w = 2048, h = 1080;
  std::vector<int32_t> source(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) source[static_cast<size_t>(y) * w + x] = (((x * 7 + y * 13) & 4095) - 2048) * 2048;
  std::vector<int32_t> plane;
  double best = 1e9;
  int64_t checksum = 0;
  for (int run = 0; run < 20; ++run) {
    plane = source;
    auto t0 = std::chrono::steady_clock::now();
    dwt_encode_real_plane(plane.data(), 0, 0, w, h, 6);
    auto t1 = std::chrono::steady_clock::now();
    double ms = std::chrono::duration<double, std::milli>(t1 - t0).count();
    if (ms < best) best = ms;
    checksum += plane[12345];
  }
  std::printf("dwt_encode_real 2048x1080, 6 resolutions: %.2f ms per component (checksum %lld)\n", best,
              static_cast<long long>(checksum));
  return 0;
}
