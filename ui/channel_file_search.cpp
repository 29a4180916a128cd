#include "ui/channel_file_search.h"

#include <cstdio>

namespace {

// The suffixes in probing order, each with the channel it names.
constexpr struct {
  const char* suffix;
  int channel;
} kSuffixes[] = {{"Left", 0}, {"L", 0},  {"VL", 0}, {"Right", 1}, {"R", 1},  {"VR", 1}, {"Center", 2}, {"C", 2},
                 {"LFE", 3},  {"SW", 3}, {"LS", 4}, {"SL", 4},    {"RS", 5}, {"SR", 5}, {"LC", 6},     {"RC", 7}};

}  // namespace

int FindChannelFiles(const std::string& path, std::vector<std::string>* names, std::vector<int>* channels) {
  names->clear();
  if (channels != nullptr) channels->clear();
  std::string name = path.substr(0, kChannelPathLimit);
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return 0;
  name.resize(dot);
  // The prefix ends with the last '.' or '_' of the file name; a folder
  // separator met first means the name has none.
  std::string prefix;
  for (size_t i = name.size(); i-- > 1;) {
    const char c = name[i];
    if (c == '\\' || c == '/') return 0;
    if (c == '.' || c == '_') {
      prefix = name.substr(0, i + 1);
      break;
    }
  }
  if (prefix.empty()) return 0;
  for (const auto& [suffix, channel] : kSuffixes) {
    const std::string sibling = prefix + suffix + ".wav";
    if (sibling.size() > kChannelPathLimit) continue;  // could not be kept as a channel path
    std::FILE* file = std::fopen(sibling.c_str(), "rb");
    if (file == nullptr) continue;
    (void)std::fclose(file);  // opened only to see that it can be read
    if (names->size() == kChannelNameLimit) {
      names->clear();
      if (channels != nullptr) channels->clear();
      return 0;
    }
    names->push_back(sibling);
    if (channels != nullptr) channels->push_back(channel);
  }
  return static_cast<int>(names->size());
}
