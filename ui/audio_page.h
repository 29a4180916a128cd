// The Audio page: sound from the composition's timeline or from external
// mono WAV files, one per channel, in a stereo, 5.1 or 7.1 layout, with an
// in-point. Browsed files are checked on the spot; with the multi-select
// option the files of the other channels are found by their names.
#pragma once

#include <cstdint>

#include "platform/win/types.h"

struct OutputOptions;

// Fills the current page, which is the Audio page.
void InitAudioPage(OutputOptions* options);
// Stores the two list selections and shows the rows they call for.
void ShowAudioChannelRows(OutputOptions* options);
// The browse button of the channel row whose edit is `editId`.
void BrowseAudioFile(HWND page, int editId, OutputOptions* options);
// Any notification of 2304, 2309, a channel edit or a browse button.
void OnAudioCommand(HWND page, int id, OutputOptions* options);
// The in-point typed: the longest decimal number at the start of the text
// (after blanks), truncated toward zero and held to the 32-bit range; 0
// when there is none.
int32_t ParseInPoint(const char* text);
