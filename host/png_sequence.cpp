#include "host/png_sequence.h"

#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "host/png_frame_reader.h"

namespace lumavox_host {

namespace {

// What the image file reader assumes unless told: the pictures follow each
// other at 25 per second.
constexpr int kDefaultRate = 25;
// The longest name the reader takes whole.
constexpr size_t kLongestName = 1000;
// Past this many pictures the reader stops counting.
constexpr int64_t kMostPictures = int64_t{1} << 30;

bool Readable(const std::string& name) { return ::access(name.c_str(), R_OK) == 0; }

bool EndsWithPng(const std::string& pattern) {
  const size_t dot = pattern.rfind('.');
  if (dot == std::string::npos || pattern.size() - dot != 4) return false;
  for (size_t k = 0; k < 3; ++k)
    if ((pattern[dot + 1 + k] | 0x20) != "png"[k]) return false;
  return true;
}

// The number of the last file: from the first, the reader looks 1, 2, 4, 8 ...
// numbers further while the files are there, moves to the last one found
// and looks again from there, until not even the next number is there. A
// gap it steps over is counted as pictures. Nothing when it counts too far.
std::optional<int64_t> LastNumber(const NumberedPattern& pattern, int64_t first) {
  int64_t last = first;
  for (;;) {
    int64_t step = 0;
    for (int64_t next = 1; Readable(NumberedName(pattern, last + next)); next *= 2) {
      step = next;
      if (step >= kMostPictures) return std::nullopt;
    }
    if (step == 0) return last;
    last += step;
    if (last > INT32_MAX - kMostPictures) return std::nullopt;
  }
}

}  // namespace

std::optional<PngSequence> FindPngSequence(const std::string& pattern) {
  // Names with a protocol, wildcards or past the reader's length are left to FFmpeg.
  if (pattern.size() >= kLongestName || pattern.find_first_of(":*?[]{}") != std::string::npos || !EndsWithPng(pattern))
    return std::nullopt;
  std::optional<NumberedPattern> numbered = ParseNumberedPattern(pattern);
  if (!numbered) return std::nullopt;
  PngSequence sequence;
  sequence.pattern = *numbered;
  std::error_code ec;
  int64_t first = 0;
  while (first < kFirstNumbers && !std::filesystem::exists(NumberedName(*numbered, first), ec)) ++first;
  if (first == kFirstNumbers) return std::nullopt;
  const std::string first_name = NumberedName(*numbered, first);
  if (!Readable(first_name)) return std::nullopt;
  const std::optional<int64_t> last = LastNumber(*numbered, first);
  if (!last) return std::nullopt;
  const std::optional<PngHeader> header = ReadPngHeader(first_name);
  if (!header) return std::nullopt;
  MediaInfo& info = sequence.info;
  info.width = header->width;
  info.height = header->height;
  info.fps_num = kDefaultRate;
  info.fps_den = 1;
  // The duration in the reader's time base (one picture), then in seconds
  // and back to pictures, as FFmpeg's figures are taken.
  info.seconds = static_cast<double>(*last - first + 1) * (1.0 / kDefaultRate);
  info.frames = static_cast<int64_t>(std::llround(info.seconds * static_cast<double>(kDefaultRate)));
  info.image_sequence = true;
  sequence.first_file = first;
  return sequence;
}

}  // namespace lumavox_host
