// What a user does to the controls of a running dialog beyond clicking
// buttons (user_input.h): typing into edits, choosing list items, dragging
// and clicking track bars, picking dates. Each action is posted to the
// dialog's thread, as the real input would be, and may come from any
// thread; it is refused (FALSE) when the user could not reach the control:
// a missing, hidden or disabled control, or one in a hidden or disabled
// dialog. WaitForDialogIdle lets the acting thread wait until the dialog
// has handled everything it was given.
#pragma once

#include "platform/win/types.h"

// Selects the whole text of the edit and types `text` over it, one key at
// a time (each change notifies the dialog); an empty text deletes it.
BOOL UserTypeText(HWND dialog, int controlId, LPCSTR text);
// Opens the drop-down list and chooses the item at `index`.
BOOL UserChooseItem(HWND dialog, int controlId, int index);
// Drags the thumb of the track bar to `position`, through every position
// between.
BOOL UserDragTrackBar(HWND dialog, int controlId, int position);
// Clicks the track bar's channel beside the thumb, toward the maximum or
// toward the minimum: the thumb moves by a page.
BOOL UserClickTrackBarChannel(HWND dialog, int controlId, BOOL towardMaximum);
// Picks a date in the date picker's calendar.
BOOL UserPickDate(HWND dialog, int controlId, int year, int month, int day);

// Waits until the thread of `window` has handled every message queued for
// it and waits for input, or until the window is gone (FALSE then).
BOOL WaitForDialogIdle(HWND window);
