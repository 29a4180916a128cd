// A user for the dialogs under test: while the code under test runs a
// modal dialog on the test's thread, the user acts on another thread
// through the dialog layer's user input, waiting after each action until
// the dialog has handled it. It also answers file-open dialogs and notes
// message boxes.
#pragma once

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win/dialog_presenter.h"
#include "platform/win/window.h"

namespace ui_test {

class DialogUser : public DialogPresenter {
 public:
  DialogUser();
  ~DialogUser() override;

  // Runs `show` here (it returns when its dialog has ended) while `act`
  // plays the user on a thread of its own. Dialogs that `act` leaves open
  // are ended, and the test fails.
  void Run(const std::function<void()>& show, const std::function<void(DialogUser&)>& act);

  // The top-level dialog that is open `depth` deep (1 the first), once it is.
  HWND Dialog(size_t depth = 1);
  size_t OpenDialogs();

  // Actions on the top-most open dialog, or on the given window (a page),
  // each waited for; false when the user could not reach the control.
  bool Click(int id, HWND window = nullptr);
  bool Type(int id, const std::string& text, HWND window = nullptr);
  bool Choose(int id, int index, HWND window = nullptr);
  bool Drag(int id, int position, HWND window = nullptr);
  bool ClickChannel(int id, bool towardMaximum, HWND window = nullptr);
  bool PickDate(int id, int year, int month, int day, HWND window = nullptr);
  void PressEscape();
  void ClickCloseBox();

  // The next file-open dialog gets this path ("" cancels it).
  void ChooseFileNext(const std::string& path);

  // What a control shows.
  WindowState State(int id, HWND window = nullptr);
  std::string Text(int id, HWND window = nullptr) { return State(id, window).text; }

  std::vector<std::string> messageBoxes;
  std::vector<std::string> fileFilters;

  void DialogOpened(HWND dialog) override;
  void DialogClosed(HWND dialog, INT_PTR result) override;
  bool OpenFileChosen(HWND owner, LPCSTR filter, std::string* path) override;
  int MessageBoxShown(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;

 private:
  // Acts on the window (the top-most dialog when null) and waits until
  // the dialogs have handled the action.
  bool Act(HWND window, const std::function<BOOL(HWND)>& action);
  HWND Target(HWND window);

  DialogPresenter* previous_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<HWND> open_;
  std::deque<std::string> files_;
};

}  // namespace ui_test
