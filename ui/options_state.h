// The state of the one options dialog that may be open: the record its
// pages edit (the scratch copy), the main dialog window and the page window
// that exists now.
#pragma once

#include "platform/win/types.h"

struct OutputOptions;

struct OptionsDialogState {
  OutputOptions* options = nullptr;
  HWND mainDialog = nullptr;
  HWND currentPage = nullptr;
};

OptionsDialogState& OptionsDialog();
