// Where the host's rendered frames and timeline sound come from: the built-in
// test pattern and tone, or a movie / image sequence read with FFmpeg.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/host_frame.h"

namespace lumavox_host {

class FrameSource {
 public:
  virtual ~FrameSource() = default;
  // Renders composition frame `index` into `out`, which is allocated with the
  // composition size and depth, writing every pixel (the pixels may come
  // unset).
  virtual void RenderFrame(int64_t index, HostFrame& out) = 0;
  // `count` sample frames of the timeline sound from sample frame `first`
  // (48000 per second): interleaved 16-bit left, right; silence past the end.
  virtual std::vector<int16_t> Sound(int64_t first, int count) = 0;
  // True when frames may be rendered in any order and several at a time
  // (from different threads); false when they must come one at a time.
  virtual bool FramesIndependent() const { return false; }
  // The buffers the source keeps from one frame to the next, handed over so
  // that they can be given back once the frames are read; a frame read later
  // makes new ones.
  virtual std::shared_ptr<void> TakeSpareBuffers() { return nullptr; }
  // What of the input read so far could not be decoded and was left out, as
  // players leave damaged data out; empty when nothing was.
  virtual std::string Damage() const { return {}; }
};

// The test pattern and the tone (host/test_pattern.h).
std::unique_ptr<FrameSource> MakePatternSource();

}  // namespace lumavox_host
