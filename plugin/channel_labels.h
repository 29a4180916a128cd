// The names of the eight external channel rows, as the Audio page labels
// them, in the order of OutputOptions.channelFiles: the render start names
// the rows it refuses by them.
#pragma once

inline constexpr const char* kChannelRowLabels[8] = {"Left",       "Right",       "Center",      "LFE",
                                                     "Left surr.", "Right surr.", "Left center", "Right center"};
