// The hook through which a program shows running dialogs to its user: it
// learns when a dialog opens and closes and when a window's text, state,
// place, visibility or enabled flag changes, or the window is destroyed
// (the handle then names no window), and it shows message boxes. Without a presenter dialogs run
// unseen and a message box takes its default button.
//
// Calls come on the thread that caused them (the dialog's thread for
// dialogs and controls, the caller's thread for message boxes), never with
// a lock of the window layer held: a presenter may read window state and
// post user input from them.
#pragma once

#include <string>

#include "platform/win/types.h"

class DialogPresenter {
 public:
  virtual ~DialogPresenter() = default;
  virtual void DialogOpened(HWND dialog) { (void)dialog; }
  virtual void ControlChanged(HWND control) { (void)control; }
  virtual void DialogClosed(HWND dialog, INT_PTR result) {
    (void)dialog;
    (void)result;
  }
  // The file-open dialog (file_dialog.h): true with the chosen path, false
  // when the user cancels. `filter` is the dialog's filter list.
  virtual bool OpenFileChosen(HWND owner, LPCSTR filter, std::string* path) {
    (void)owner;
    (void)filter;
    (void)path;
    return false;
  }
  // Returns the id of the button that closed the box, or 0 for its default
  // button.
  virtual int MessageBoxShown(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    (void)owner;
    (void)text;
    (void)caption;
    (void)type;
    return 0;
  }
};

// Installs the presenter (nullptr: none) and returns the one before.
DialogPresenter* SetDialogPresenter(DialogPresenter* presenter);
DialogPresenter* GetDialogPresenter();
