// The General page: the package's texts (title, annotation, issuer), the
// content kind, the packing standard, the summary of all settings, and the
// button that opens the title builder.
#pragma once

#include "platform/win/types.h"

struct OutputOptions;

// Fills the current page, which is the General page, from the record.
void InitGeneralPage(OutputOptions* options);
// Any notification of 2101, 2102, 2103, 2106 or 2108.
void OnGeneralCommand(HWND page, int id, OutputOptions* options);
// A choice in the list 2104 or 2105; a new packing is checked against the
// chosen subtitle file.
void OnGeneralListChosen(HWND page, int id, OutputOptions* options);
