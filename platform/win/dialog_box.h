// Dialogs made from templates: modal (DialogBoxParamA, with its own message
// loop on the calling thread) and modeless (CreateDialogIndirectParamA).
#pragma once

#include "platform/win/dialog_template.h"
#include "platform/win/types.h"

// A dialog procedure returns TRUE when it handled the message; FALSE leaves
// the message to the default dialog handling.
using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

inline LPCSTR MAKEINTRESOURCEA(int id) {
  return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(static_cast<WORD>(id)));
}

// Makes the dialog of template `name` (MAKEINTRESOURCEA(id)) registered under
// `module`, owned by `owner` (disabled while the dialog runs), sends it
// WM_INITDIALOG with `param`, shows it and handles the thread's messages
// until EndDialog. Returns the value given to EndDialog, or -1 when the
// template cannot be found.
INT_PTR DialogBoxParamA(HINSTANCE module, LPCSTR name, HWND owner, DLGPROC procedure, LPARAM param);

// Makes a modeless dialog (for example a page inside another dialog, when
// the template has WS_CHILD) and sends it WM_INITDIALOG; it lives until
// DestroyWindow or until its parent goes. nullptr when the template is null.
HWND CreateDialogIndirectParamA(HINSTANCE module, const DialogTemplate* dialogTemplate, HWND parent, DLGPROC procedure,
                                LPARAM param);

// Ends a modal dialog with `result`: its loop returns once the message being
// handled is done. Callable from any thread.
BOOL EndDialog(HWND dialog, INT_PTR result);
