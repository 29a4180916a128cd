#include "host/test_pattern.h"

#include <algorithm>
#include <cmath>

namespace lumavox_host {

namespace {

constexpr double kPi = 3.14159265358979323846;

int BandHeight(int height) { return std::max(1, height / 8); }

bool InBar(int64_t frame, int x, int width) {
  int bar_width = std::max(2, width / 32);
  int64_t bar_x = (frame * std::max(1, width / 48)) % width;
  return x >= bar_x && x < bar_x + bar_width;
}

double Red(int x, int width) { return 0.1 + 0.8 * (width > 1 ? static_cast<double>(x) / (width - 1) : 0.0); }
double Green(int y, int height) { return 0.1 + 0.8 * (height > 1 ? static_cast<double>(y) / (height - 1) : 0.0); }
bool Stripe(int64_t frame, int x, int y) { return ((static_cast<int64_t>(x) + y + 8 * frame) / 64) % 2 != 0; }

int Quantise(double v, int full) {
  v = std::clamp(v, 0.0, 1.0);
  return static_cast<int>(std::lround(v * full));
}

}  // namespace

RGB TestPatternPixel(int64_t frame, int x, int y, int width, int height) {
  if (y < BandHeight(height)) {
    int block = static_cast<int>(static_cast<int64_t>(x) * kCodeBlocks / width);
    int bit = kCodeBlocks - 1 - block;
    double v = ((frame >> bit) & 1) ? 1.0 : 0.0;
    return {v, v, v};
  }
  if (InBar(frame, x, width)) return {1.0, 1.0, 1.0};
  return {Red(x, width), Green(y, height), Stripe(frame, x, y) ? 0.75 : 0.25};
}

void FillTestPattern(int64_t frame, HostFrame& out) {
  // Row by row with the per-column and per-row values worked out once; gives
  // exactly what TestPatternPixel gives.
  const int full = out.depth == 8 ? 255 : kFullScale16;
  const int w = out.width, h = out.height;
  std::vector<int> red(static_cast<size_t>(w));
  std::vector<uint8_t> in_bar(static_cast<size_t>(w));
  for (int x = 0; x < w; ++x) {
    red[static_cast<size_t>(x)] = Quantise(Red(x, w), full);
    in_bar[static_cast<size_t>(x)] = InBar(frame, x, w);
  }
  const int band = BandHeight(h);
  const int blue_hi = Quantise(0.75, full), blue_lo = Quantise(0.25, full);
  for (int y = 0; y < h; ++y) {
    if (y < band) {
      for (int x = 0; x < w; ++x) {
        int v = Quantise(TestPatternPixel(frame, x, y, w, h).r, full);
        out.SetPixel(x, y, full, v, v, v);
      }
      continue;
    }
    const int green = Quantise(Green(y, h), full);
    for (int x = 0; x < w; ++x) {
      if (in_bar[static_cast<size_t>(x)]) {
        out.SetPixel(x, y, full, full, full, full);
        continue;
      }
      out.SetPixel(x, y, full, red[static_cast<size_t>(x)], green, Stripe(frame, x, y) ? blue_hi : blue_lo);
    }
  }
}

int64_t ReadPatternFrameNumber(const uint8_t* rgb, int width, int height) {
  const int band = BandHeight(height);
  int64_t number = 0;
  for (int block = 0; block < kCodeBlocks; ++block) {
    int x0 = block * width / kCodeBlocks, x1 = (block + 1) * width / kCodeBlocks;
    int mx0 = x0 + (x1 - x0) / 4, mx1 = std::max(mx0 + 1, x1 - (x1 - x0) / 4);
    int my0 = band / 4, my1 = std::max(my0 + 1, band - band / 4);
    double sum = 0;
    int n = 0;
    for (int y = my0; y < my1; ++y)
      for (int x = mx0; x < mx1; ++x) {
        const uint8_t* p = rgb + (static_cast<size_t>(y) * width + x) * 3;
        sum += p[0] + p[1] + p[2];
        n += 3;
      }
    number = (number << 1) | (n > 0 && sum / n > 127.5 ? 1 : 0);
  }
  return number;
}

std::vector<int16_t> ToneSamples(int64_t second, int first, int count) {
  std::vector<int16_t> samples(static_cast<size_t>(std::max(0, count)) * 2);
  const double right_hz = 330.0 + 110.0 * static_cast<double>(second % 5);
  for (int k = 0; k < count; ++k) {
    double t = static_cast<double>(first + k) / kSoundRate;
    samples[2 * k] = static_cast<int16_t>(std::lround(8192.0 * std::sin(2 * kPi * 440.0 * t)));
    samples[2 * k + 1] = static_cast<int16_t>(std::lround(8192.0 * std::sin(2 * kPi * right_hz * t)));
  }
  return samples;
}

}  // namespace lumavox_host
