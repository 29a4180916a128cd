#include "host/numbered_name.h"

#include <algorithm>
#include <filesystem>

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

std::optional<std::vector<int64_t>> NumberedFiles(const NumberedPattern& pattern) {
  if (pattern.after.find('/') != std::string::npos) return std::nullopt;
  const std::filesystem::path before(pattern.before);
  const std::filesystem::path folder = before.has_filename() ? before.parent_path() : before;
  const std::string start = before.has_filename() ? before.filename().string() : std::string();
  std::vector<int64_t> numbers;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() <= start.size() + pattern.after.size() || name.compare(0, start.size(), start) != 0 ||
        name.compare(name.size() - pattern.after.size(), pattern.after.size(), pattern.after) != 0)
      continue;
    const std::string digits = name.substr(start.size(), name.size() - start.size() - pattern.after.size());
    if (digits.size() > 18 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    const int64_t number = std::stoll(digits);
    // Only the name the pattern gives the number (padded as it pads).
    if (digits == NumberedName({"", "", pattern.digits}, number)) numbers.push_back(number);
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

}  // namespace lumavox_host
