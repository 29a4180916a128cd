// A numbered sequence of PNG files, opened without FFmpeg: the files that
// FFmpeg's image file reader takes for the pattern, found the way it finds
// them, with the size of the first file and the reader's default rate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "host/media_input.h"
#include "host/numbered_name.h"

namespace lumavox_host {

// The image file reader looks for a sequence's first file among the
// numbers from 0 to kFirstNumbers - 1, unless told otherwise.
constexpr int64_t kFirstNumbers = 5;

struct PngSequence {
  NumberedPattern pattern;
  int64_t first_file = 0;  // the number in the name of its first file
  MediaInfo info;
};

// The sequence `pattern` names when it is one of numbered PNG files whose
// first file PngFrameReader reads; nothing for any other input, or one whose
// files FFmpeg might find otherwise than told here.
std::optional<PngSequence> FindPngSequence(const std::string& pattern);

}  // namespace lumavox_host
