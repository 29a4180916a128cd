// The default handling of messages by windows of each kind: texts, the
// state of buttons, lists, progress and track bars, and the dialog's own
// handling of the close box. Internal to this layer.
#pragma once

#include "platform/win/types.h"

namespace win_internal {

LRESULT DefaultProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace win_internal
