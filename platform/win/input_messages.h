// The private messages that carry a user's actions on controls to the
// control's thread, where its default handling performs them as the real
// control would. Internal to this layer (see control_input.h).
#pragma once

#include "platform/win/types.h"

namespace win_internal {

constexpr UINT kInputChooseItem = 0xBF00;    // combo box: wParam the item
constexpr UINT kInputDragThumb = 0xBF01;     // track bar: wParam the position dragged to
constexpr UINT kInputClickChannel = 0xBF02;  // track bar: wParam 1 toward the maximum, 0 toward the minimum
constexpr UINT kInputPickDate = 0xBF03;      // date picker: wParam yyyymmdd

// True when a user can reach the control: it and every window up to its
// top-level dialog exist, are visible and are enabled.
bool ReachableByUser(HWND control);

}  // namespace win_internal
