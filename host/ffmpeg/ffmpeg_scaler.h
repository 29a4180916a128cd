// FFmpeg's scaler, from a decoded picture to the host's frames.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

#include "host/host_frame.h"

struct SwsContext;

namespace lumavox_host {

// A scaler to the host's frames, made again when the picture's size or format
// changes. With several threads each takes a band of rows with a context of
// its own (the rows come out as one context makes them).
struct Scaler {
  std::vector<SwsContext*> contexts;
  int src_width = 0, src_height = 0, src_format = -1, dst_width = 0, dst_height = 0, dst_format = -1;
  int src_colorspace = -1, src_range = -1;
  std::vector<uint8_t> wide;  // the scaled picture before it is widened (RGBA, RGBA64, or planes of 16 bits)

  Scaler() = default;
  Scaler(const Scaler&) = delete;
  Scaler& operator=(const Scaler&) = delete;
  ~Scaler() { Free(); }

  void Free();
  bool Prepare(const AVFrame* src, int width, int height, AVPixelFormat target, int threads);
  // Scales `src` into `rows` (`stride` bytes apart, `height` of them).
  bool Scale(const AVFrame* src, uint8_t* rows, int stride, int height);
  // The same into the planes of a planar format, all of them within `wide`.
  bool Scale(const AVFrame* src, uint8_t* const planes[4], const int strides[4], int height);
  // False when a conversion cannot give a band alone: it is then made whole.
  bool ScaleInBands(const AVFrame* src, uint8_t* const planes[4], const int strides[4], int height);
};

// Scales and converts picture `src` into the host's frame `out`, on
// `threads` threads; `path` names the input in messages.
void ScaleToHost(Scaler& scaler, const AVFrame* src, HostFrame& out, int threads, const std::string& path);

}  // namespace lumavox_host
