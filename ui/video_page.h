// The Video page: the picture bit rate on a track bar (the stereoscopic
// rate for the double-width sizes) and the X'Y'Z' colour conversion.
#pragma once

#include "platform/win/types.h"

struct OutputOptions;

// Fills the current page, which is the Video page; derives the record's
// stereoscopic flag from the size again.
void InitVideoPage(OutputOptions* options);
// Any notification of the check box 2203.
void OnXyzChanged(HWND page, OutputOptions* options);
// The track bar's thumb tracked to a new position.
void OnBitRateTracked(HWND page, OutputOptions* options);
