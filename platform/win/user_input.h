// What a user does to a running dialog, for tests and for programs that
// answer dialogs themselves. Each action is posted to the dialog's thread,
// as the real input would be, and may come from any thread.
#pragma once

#include "platform/win/types.h"

// A click on the button (or check box) with that id.
BOOL UserClickButton(HWND dialog, int controlId);
// A key pressed while the dialog has the focus (VK_ESCAPE, VK_RETURN, ...).
BOOL UserPressKey(HWND dialog, int virtualKey);
// A click on the close box of the dialog's caption bar.
BOOL UserClickCloseBox(HWND dialog);
