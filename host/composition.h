// The composition the host renders: size, rate, length, depth and name, from
// the command line with the input's values (or the built-in defaults) where
// the command line says nothing.
#pragma once

#include <cstdint>
#include <string>

#include "host/command_line.h"
#include "host/media_input.h"

namespace lumavox_host {

struct Composition {
  int width = 1998;
  int height = 1080;
  int fps_num = 24, fps_den = 1;  // frames per second as a fraction
  int64_t frames = 240;
  int depth = 16;  // bits per channel
  std::string name = "Comp 1";

  double Fps() const { return static_cast<double>(fps_num) / fps_den; }
  // The frame rate as the host reports it: 16.16 fixed point.
  int32_t FrameRateFixed() const;
  double Seconds() const { return static_cast<double>(frames) * fps_den / fps_num; }
  // Seconds of sound delivered: every second the picture touches.
  int64_t SoundSeconds() const;
};

// Fills what the command line leaves open from `input` (may be null: the
// built-in defaults 1998x1080, 24 fps, 10 s).
Composition ResolveComposition(const CommandLine& cl, const MediaInfo* input);

}  // namespace lumavox_host
