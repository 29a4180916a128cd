// The file names of a numbered image sequence, from a pattern as FFmpeg's
// image file reader takes it: "%d" stands for the number, "%Nd" or "%0Nd"
// for the number padded with zeros to N digits, "%%" for a '%'.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumavox_host {

struct NumberedPattern {
  std::string before;  // the name before the number, '%' already unescaped
  std::string after;   // and after it
  int digits = 0;      // padded with zeros to at least this many digits
};

// The parts of `pattern` when it holds exactly one number and nothing else
// that '%' starts; nothing for any other pattern.
std::optional<NumberedPattern> ParseNumberedPattern(const std::string& pattern);

// The name of file `number` (not negative).
std::string NumberedName(const NumberedPattern& pattern, int64_t number);

// The numbers of the files in the pattern's folder that it names, in
// increasing order; nothing when the number stands in a folder's name.
std::optional<std::vector<int64_t>> NumberedFiles(const NumberedPattern& pattern);

}  // namespace lumavox_host
