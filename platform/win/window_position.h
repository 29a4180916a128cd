// Placing a window: position, size and visibility in one call.
#pragma once

#include "platform/win/types.h"

#define HWND_TOP (reinterpret_cast<HWND>(0))

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

// x and y are in the client area of the parent for a child window, on the
// screen for a top-level one. The stacking order is not kept here.
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
