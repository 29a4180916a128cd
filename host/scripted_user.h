// A user who follows a dialog script (dialog_script.h): while the program
// runs a dialog modally on its thread, the scripted user acts on it from a
// thread of its own through the dialog layer's user input, line by line,
// waiting after each line until the dialogs have handled it. File-open
// dialogs and message boxes are answered from the script's "file" and
// "answer" lines; the messages the dialogs show are printed. A file that a
// line chose and that the dialog then answers with a message, or shows in
// none of its edits, was refused by it (a WAV or subtitle file that its
// checks turn down), and so was OK that leaves its dialog open (a typed
// subtitle file turned down): the script stops there, as at a line that
// cannot be carried out.
#pragma once

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "host/dialog_script.h"
#include "platform/win/dialog_presenter.h"

namespace lumavox_host {

class ScriptedUser : public DialogPresenter {
 public:
  ScriptedUser(std::vector<ScriptLine> lines, std::FILE* out);
  ScriptedUser(const ScriptedUser&) = delete;
  ScriptedUser& operator=(const ScriptedUser&) = delete;

  // Presents the dialogs while `show` runs here; returns true when every
  // line was carried out and the script left no dialog open. Otherwise the
  // dialogs still open are cancelled and error() tells which line failed
  // and what was on screen.
  bool Run(const std::function<void()>& show);
  const std::string& error() const { return error_; }

  void DialogOpened(HWND dialog) override;
  void DialogClosed(HWND dialog, INT_PTR result) override;
  bool OpenFileChosen(HWND owner, LPCSTR filter, std::string* path) override;
  int MessageBoxShown(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;

 private:
  void Play();
  // Carries out one line on the top-most dialog; false with the reason.
  bool Carry(const ScriptLine& line, HWND top, std::string* why);
  HWND TopDialog(bool wait);
  void WaitUntilHandled();
  // Prints the texts that the dialogs' message lines show since the last
  // call, and returns them.
  std::vector<std::string> PrintNewMessages();
  // The texts that the dialog's message lines in sight show now.
  static std::vector<std::string> ShownMessages(HWND dialog);
  // True when an edit of an open dialog shows `path`.
  bool ShownInAnEdit(const std::string& path);
  void Fail(const ScriptLine* line, const std::string& why, HWND shown);
  void CancelOpenDialogs();

  std::vector<ScriptLine> lines_;
  std::FILE* out_;
  std::string error_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<HWND> open_;
  bool showDone_ = false;
  std::deque<std::string> files_;         // answers for the next file-open dialogs
  std::string chosen_;                    // the file a file-open dialog chose during the line
  bool pressedOk_ = false;                // the line pressed an OK button
  std::deque<int> answers_;               // buttons for the next message boxes
  std::string answerError_;               // a dialog the script had no answer for
  std::map<HWND, std::string> messages_;  // message lines as last printed
};

}  // namespace lumavox_host
