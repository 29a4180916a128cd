// The picture bit rates, in Mbit/s, that the Video page offers and a render
// accepts: two-dimensional pictures up to 250, each eye of a stereoscopic
// picture up to 125, and at least 1 for both (at 0 every picture would be
// coded without any data).
#pragma once

#include <string>

#include "platform/aesdk/ae_types.h"

struct OutputOptions;

constexpr A_u_long kMinBitRate = 1;
constexpr A_u_long kMaxBitRate = 250;
constexpr A_u_long kMaxStereoBitRate = 125;

// The message for a render whose bit rate (the stereoscopic one for a
// stereoscopic output) is below the lowest; the empty text when it can be used.
std::string RenderBitRateFault(const OutputOptions& options);
