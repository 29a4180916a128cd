// Values of the composition description that follow from the output
// options: the Interop screen aspect text of a picture size and the content
// kind text of a category.
#pragma once

#include <cstdint>
#include <string>

// The ratio of width to height rounded to two decimals: "1.90" for the full
// containers, "1.85" flat, "2.39" scope, "1.78" for the 1920- and 3840-wide
// pictures. `pictureWidth` is the width of one eye's picture. Empty for a
// height of 0.
std::string InteropAspectText(uint32_t pictureWidth, uint32_t height);

// The content kinds in the order of the options dialog's list.
constexpr int kContentKindCount = 10;
extern const char* const kContentKinds[kContentKindCount];

// The content kind text: `categoryText` when it is not empty, otherwise the
// kind at `categoryIndex` (the first, "feature", for an index out of range).
const char* ContentKindText(uint32_t categoryIndex, const char* categoryText);
