// PNG files read straight into the host's frames, for the common kind that
// needs neither scaling nor a palette: 8 or 16 bits per sample, RGB, RGBA,
// grey or grey with alpha, not interlaced, of the frame's own size. The
// frames hold exactly the pixels FFmpeg's decoder and scaler give for such a
// file (host/ffmpeg/); any other file is left to them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/host_frame.h"

struct libdeflate_decompressor;

namespace lumavox_host {

struct PngHeader {
  int width = 0;
  int height = 0;
  int bit_depth = 0;    // bits per sample
  int colour_type = 0;  // 0 grey, 2 RGB, 4 grey and alpha, 6 RGBA
  bool interlaced = false;
};

// The header of the PNG file `path` when the file begins as a PNG file of a
// kind PngFrameReader reads (above); nothing for any other file, or one that
// cannot be read.
std::optional<PngHeader> ReadPngHeader(const std::string& path);

// Reads one file at a time, keeping its buffers for the next.
class PngFrameReader {
 public:
  PngFrameReader();
  ~PngFrameReader();
  PngFrameReader(const PngFrameReader&) = delete;
  PngFrameReader& operator=(const PngFrameReader&) = delete;

  // Reads the PNG file `path` into `out` and returns true when the file is of
  // the kind above, of `out`'s size, and holds no palette, transparent colour
  // or animation; returns false, `out` untouched, for any other file. A
  // damaged or cut-short PNG file throws std::runtime_error naming the file
  // and what is wrong with it.
  bool Read(const std::string& path, HostFrame& out);

 private:
  libdeflate_decompressor* inflater_ = nullptr;
  FrameBytes file_;                // the whole file; its image data then gathered at its start
  FrameBytes rows_;                // the inflated rows, each after its filter type
  std::vector<uint8_t> zero_row_;  // the row above the first
};

}  // namespace lumavox_host
