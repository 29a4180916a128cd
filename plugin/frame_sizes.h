// The frame sizes the output takes, and the message for the others.
#pragma once

#include "platform/aesdk/aeio_basic_data.h"

// 2048x1080, 1998x1080, 2048x858, 1920x1080, 4096x2160, 3996x2160, 4096x1716,
// 3840x2160 and the side-by-side stereoscopic sizes.
bool IsSupportedFrameSize(A_long width, A_long height);

// The four double-width side-by-side sizes: 4096x1080, 3996x1080, 4096x858,
// 3840x1080.
bool IsStereoscopicFrameSize(A_long width, A_long height);

// Shows the unsupported-size text as a report; returns the report's result.
A_Err ReportUnsupportedSize(AEIO_BasicData* basic_dataP);
