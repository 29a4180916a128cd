#include "host/composition.h"

#include <cmath>
#include <cstdio>
#include <numeric>
#include <stdexcept>
#include <string>

namespace lumavox_host {

namespace {

// The host gives a rate in 16.16 fixed point: anything from 32768 frames per
// second up would reach the plug-in as another rate.
constexpr double kRateBeyondTheHost = 32768;

std::string RateText(int num, int den) {
  if (den == 1) return std::to_string(num) + " fps";
  char text[64];
  std::snprintf(text, sizeof text, "%.3f fps (%d/%d)", static_cast<double>(num) / den, num, den);
  return text;
}

}  // namespace

int32_t Composition::FrameRateFixed() const { return static_cast<int32_t>(std::llround(Fps() * 65536.0)); }

int64_t Composition::SoundSeconds() const {
  // frames * den / num rounded up, in whole numbers.
  const int64_t per = static_cast<int64_t>(fps_num);
  return (frames * fps_den + per - 1) / per;
}

Composition ResolveComposition(const CommandLine& cl, const MediaInfo* input) {
  Composition c;
  c.name = cl.name;
  c.depth = cl.depth;
  if (input) {
    c.width = input->width;
    c.height = input->height;
    // Numbered images have no rate of their own (the rate the file reader
    // gives them is its assumption): they keep the default.
    if (!input->image_sequence) {
      c.fps_num = input->fps_num;
      c.fps_den = input->fps_den;
    }
  }
  if (cl.width) c.width = *cl.width;
  if (cl.height) c.height = *cl.height;
  if (cl.fps) {
    double fps = *cl.fps;
    if (std::fabs(fps - std::round(fps)) < 1e-9) {
      c.fps_num = static_cast<int>(std::lround(fps));
      c.fps_den = 1;
    } else {
      int num = static_cast<int>(std::lround(fps * 1000));
      int g = std::gcd(num, 1000);
      c.fps_num = num / g;
      c.fps_den = 1000 / g;
    }
  }
  if (cl.frames) {
    c.frames = *cl.frames;
  } else if (cl.seconds) {
    c.frames = static_cast<int64_t>(std::llround(*cl.seconds * c.Fps()));
  } else if (input) {
    // An image sequence has one frame per picture at any rate.
    bool same_rate = input->image_sequence || static_cast<int64_t>(input->fps_num) * c.fps_den ==
                                                  static_cast<int64_t>(c.fps_num) * input->fps_den;
    c.frames = same_rate ? input->frames : static_cast<int64_t>(std::llround(input->seconds * c.Fps()));
  } else {
    c.frames = static_cast<int64_t>(std::llround(10.0 * c.Fps()));
  }
  if (c.Fps() >= kRateBeyondTheHost)
    throw std::invalid_argument("the input's rate of " + RateText(c.fps_num, c.fps_den) +
                                " is beyond the frame rates the host can give (below 32768 fps)");
  if (c.frames < 1) throw std::invalid_argument("the composition would hold no frame (--seconds too short)");
  return c;
}

}  // namespace lumavox_host
