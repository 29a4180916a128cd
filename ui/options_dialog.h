// The tabbed options dialog: modal over the host's main window, it edits a
// scratch copy of the output options record and copies it back only when
// it ends with OK.
#pragma once

#include "platform/aesdk/aeio_basic_data.h"
#include "platform/win/types.h"

struct OutputOptions;

// Runs the dialog on `options` (the locked record); 0 at once for a null
// record. *userInteracted becomes 1 after OK, 0 after Cancel. A host that
// does not offer "AEGP Utility Suite" 7 raises the missing-suite error.
A_Err OpenOptionsDialog(AEIO_BasicData* basicData, OutputOptions* options, A_Boolean* userInteracted);
A_Err RunOptionsDialog(AEIO_BasicData* basicData, OutputOptions* options, A_Boolean* userInteracted);
INT_PTR OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The About page's fill: the version text.
void InitAboutPage();
