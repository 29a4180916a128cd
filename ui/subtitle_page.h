// The Subtitle page: subtitles on or off and the subtitle file, checked on
// the spot when it is browsed.
#pragma once

#include "platform/win/types.h"

struct OutputOptions;

// Fills the current page, which is the Subtitle page.
void InitSubtitlePage(OutputOptions* options);
// Stores the check box and enables or disables the path and its button.
void EnableSubtitleControls(OutputOptions* options);
void BrowseSubtitleFile(HWND page, OutputOptions* options);
// Any notification of 2401, 2402 or 2403.
void OnSubtitleCommand(HWND page, int id, OutputOptions* options);
