// The page framework of the options dialog: the group box that frames the
// current page, the one page window that exists at a time, where pages are
// placed, and the page templates. The header is the main dialog's user data.
#pragma once

#include "platform/win/dialog_template.h"
#include "platform/win/types.h"
#include "platform/win/window.h"
#include "ui/dialog_ids.h"

struct OutputOptions;

struct TabPages {
  HWND groupBox;
  HWND currentPage;
  RECT pageRect;  // in pixels of the main dialog's client area
  const DialogTemplate* pageTemplates[kPageCount];
};

// Makes the header (zero-filled, the main dialog's user data) and fills it;
// returns the group box 2000, or null when the dialog has none (then no
// template is loaded).
HWND InitTabPages(HWND mainDialog);
// The dialog template `id` of the module's resources.
const DialogTemplate* LockDialogTemplate(int id);
// Destroys the current page and makes page `index` (0 to 4) on `options`.
HWND SelectTabPage(HWND mainDialog, int index, OutputOptions* options);
// Moves the page into the page rectangle of its parent's header.
void PositionTabPage(HWND page);
// Frees the header of the main dialog.
void ReleaseTabPages(HWND mainDialog);
