// Shows the plug-in's running dialogs on the terminal: a dialog's static
// texts and progress bars as one progress line on standard error, a
// message box as its caption and text. Installed for the program's life.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "platform/win/dialog_presenter.h"

namespace lumavox_host {

class ConsoleDialogPresenter : public DialogPresenter {
 public:
  // `tty`: rewrite one line in place; otherwise write a line each time the
  // text changes and when a bar is full.
  explicit ConsoleDialogPresenter(std::FILE* out = stderr);
  ConsoleDialogPresenter(std::FILE* out, bool tty);
  ~ConsoleDialogPresenter() override;
  ConsoleDialogPresenter(const ConsoleDialogPresenter&) = delete;
  ConsoleDialogPresenter& operator=(const ConsoleDialogPresenter&) = delete;

  void DialogOpened(HWND dialog) override;
  void ControlChanged(HWND control) override;
  void DialogClosed(HWND dialog, INT_PTR result) override;
  int MessageBoxShown(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;

 private:
  void Show(HWND dialog);
  std::FILE* out_;
  bool tty_;
  std::mutex mutex_;
  std::string lastLine_;
  bool lineOpen_ = false;
  DialogPresenter* previous_;
};

}  // namespace lumavox_host
