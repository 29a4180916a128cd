// The summary of all settings that the General page shows: general, video,
// audio and subtitle blocks.
#pragma once

#include <string>

#include "platform/win/types.h"

struct OutputOptions;

// The summary text of the record, each block cut to its capacity.
std::string BuildSettingsSummary(const OutputOptions& options);
// Builds the summary and sets it into the page's edit 2107.
void updateMetaData(HWND page, const OutputOptions* options);
