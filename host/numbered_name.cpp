#include "host/numbered_name.h"

namespace lumavox_host {

namespace {

// Wider numbers than this are cut short by the image file reader.
constexpr int kMostDigits = 16;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<NumberedPattern> ParseNumberedPattern(const std::string& pattern) {
  NumberedPattern parts;
  bool numbered = false;
  for (size_t at = 0; at < pattern.size(); ++at) {
    std::string& text = numbered ? parts.after : parts.before;
    if (pattern[at] != '%') {
      text += pattern[at];
      continue;
    }
    ++at;
    if (at < pattern.size() && pattern[at] == '%') {
      text += '%';
      continue;
    }
    int digits = 0;
    for (; at < pattern.size() && IsDigit(pattern[at]); ++at) {
      digits = digits * 10 + (pattern[at] - '0');
      if (digits > kMostDigits) return std::nullopt;
    }
    if (at == pattern.size() || pattern[at] != 'd' || numbered) return std::nullopt;
    numbered = true;
    parts.digits = digits;
  }
  if (!numbered) return std::nullopt;
  return parts;
}

std::string NumberedName(const NumberedPattern& pattern, int64_t number) {
  std::string digits = std::to_string(number);
  if (static_cast<int>(digits.size()) < pattern.digits) digits.insert(0, pattern.digits - digits.size(), '0');
  return pattern.before + digits + pattern.after;
}

}  // namespace lumavox_host
