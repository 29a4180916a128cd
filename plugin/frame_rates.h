// The frame rates a package can be made at. The host gives its rate in 16.16
// fixed point; the record keeps whole frames per second, so a rate with a
// fraction is told apart before it is cut to its whole part.
#pragma once

#include <string>

#include "platform/aesdk/ae_types.h"

// The report of an unsupported rate, formatted with the rate in whole frames
// per second.
extern const char kUnsupportedFrameRateReport[];

// The report of an unsupported rate with the host's rate in it, a fraction
// shown (24.5), not cut.
std::string UnsupportedFrameRateReport(A_Fixed hostRate);

// The message of a double-width (stereoscopic) size at a rate other than 24.
extern const char kStereoscopicRateMessage[];

// 24, 25, 30, 48, 50 and 60 frames per second.
bool IsSupportedFrameRate(A_u_long rate);

// The host's rate cut toward zero to whole frames per second, as the record
// keeps it.
A_u_long WholeFrameRate(A_Fixed hostRate);

// True when the host's rate is one of the supported rates exactly, without a
// fraction.
bool IsSupportedHostFrameRate(A_Fixed hostRate);

// Side-by-side stereoscopic packages are made at 24 frames per second only:
// false for a double-width size at any other rate.
bool IsStereoscopicRateAllowed(A_long width, A_long height, A_u_long rate);
