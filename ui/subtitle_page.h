// The Subtitle page: subtitles on or off and the subtitle file, checked on
// the spot when it is browsed, and when a typed path is left or at OK.
#pragma once

#include "platform/win/types.h"

struct OutputOptions;

// Fills the current page, which is the Subtitle page.
void InitSubtitlePage(OutputOptions* options);
// Stores the check box and enables or disables the path and its button.
void EnableSubtitleControls(OutputOptions* options);
void BrowseSubtitleFile(HWND page, OutputOptions* options);
// A path typed into the edit forgets the document the record kept (its id,
// font): true when subtitles are off or no typed path waits for its
// inspection, or when the inspection (CheckSubtitleFile) accepts it and the
// record describes it; false with the reason in `message`
// (kSubtitleMessageSize bytes) when it refuses it, and the path stays for
// the user to mend.
bool CheckTypedSubtitlePath(OutputOptions* options, char* message);
// Any notification of 2401, 2402 or 2403 (`code`, the notification):
// leaving the edit inspects a typed path.
void OnSubtitleCommand(HWND page, int id, WORD code, OutputOptions* options);
