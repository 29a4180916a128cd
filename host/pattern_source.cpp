// The built-in source: test pattern frames and the tone.
#include <algorithm>

#include "host/frame_source.h"
#include "host/test_pattern.h"

namespace lumavox_host {

namespace {

class PatternSource : public FrameSource {
 public:
  void RenderFrame(int64_t index, HostFrame& out) override { FillTestPattern(index, out); }
  bool FramesIndependent() const override { return true; }

  std::vector<int16_t> Sound(int64_t first, int count) override {
    std::vector<int16_t> samples;
    samples.reserve(static_cast<size_t>(std::max(0, count)) * 2);
    while (count > 0) {
      int64_t second = first / kSoundRate;
      int offset = static_cast<int>(first % kSoundRate);
      int n = std::min(count, kSoundRate - offset);
      auto part = ToneSamples(second, offset, n);
      samples.insert(samples.end(), part.begin(), part.end());
      first += n;
      count -= n;
    }
    return samples;
  }
};

}  // namespace

std::unique_ptr<FrameSource> MakePatternSource() { return std::make_unique<PatternSource>(); }

}  // namespace lumavox_host
