// The sibling WAV files of a chosen channel file: the files beside it that
// share its name up to its last '.' or '_' and end in a channel suffix.
#pragma once

#include <string>
#include <vector>

// The longest path a channel field holds.
constexpr size_t kChannelPathLimit = 511;
// The most names a search finds.
constexpr size_t kChannelNameLimit = 15;

// Probes prefix + suffix + ".wav" for the suffixes, in channel order, "Left",
// "L", "VL", "Right", "R", "VR", "Center", "C", "LFE", "SW", "LS", "SL", "RS",
// "SR", "LC", "RC", and lists the files that open, in that order. 0 (and an
// empty list) when the chosen name has no extension or no '.' or '_' before
// it within the file name, or when more than 15 files are found. When
// `channels` is given it receives, name by name, the channel that the name's
// suffix names (0 left, 1 right, 2 centre, 3 LFE, 4 left surround, 5 right
// surround, 6 left centre, 7 right centre).
int FindChannelFiles(const std::string& path, std::vector<std::string>* names, std::vector<int>* channels = nullptr);
