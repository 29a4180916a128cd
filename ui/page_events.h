// The one dialog procedure of all five pages: it keeps the record the
// pages edit, places each page, and routes the events of the pages'
// controls to the page that owns them.
#pragma once

#include "platform/win/types.h"

INT_PTR PageDialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
