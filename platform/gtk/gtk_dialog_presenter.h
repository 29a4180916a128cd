// Shows the dialogs of the Windows layer as real windows on the user's
// desktop through GTK 3: each top-level dialog becomes a window whose
// widgets stand where the controls of its template stand and show their
// texts, states, lists and flags; what the user does to the widgets goes
// back to the dialogs through the layer's user input, as any user's input
// does. Message boxes and the file-open dialog are GTK's own dialogs.
//
// GTK runs on a thread of its own; the dialogs keep running on theirs.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "platform/win/dialog_presenter.h"

class GtkDialogWindow;

class GtkDialogPresenter : public DialogPresenter {
 public:
  // Opens the display and installs the presenter; null, with the reason in
  // `why`, when there is no display to open.
  static std::unique_ptr<GtkDialogPresenter> Open(std::string* why);
  ~GtkDialogPresenter() override;  // puts the presenter before it back
  GtkDialogPresenter(const GtkDialogPresenter&) = delete;
  GtkDialogPresenter& operator=(const GtkDialogPresenter&) = delete;

  void DialogOpened(HWND dialog) override;
  void ControlChanged(HWND control) override;
  void DialogClosed(HWND dialog, INT_PTR result) override;
  bool OpenFileChosen(HWND owner, LPCSTR filter, std::string* path) override;
  int MessageBoxShown(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;

 private:
  GtkDialogPresenter() = default;
  // Runs `work` on the GTK thread, later or (AndWait) before returning.
  static void OnGtkThread(std::function<void()> work);
  static void OnGtkThreadAndWait(const std::function<void()>& work);
  void Refresh();
  // The window of the top-level dialog that `window` belongs to (GTK thread).
  GtkDialogWindow* WindowOf(HWND window);

  std::thread gtkThread_;
  DialogPresenter* previous_ = nullptr;
  std::atomic<bool> refreshQueued_{false};
  // Top-level dialogs in the order they opened (GTK thread only).
  std::map<HWND, std::unique_ptr<GtkDialogWindow>> windows_;
  std::map<HWND, int> openOrder_;
  int opened_ = 0;
};

// The library's entry point, which a program that loads the library when it
// shows windows looks up by this name: GtkDialogPresenter::Open, the
// presenter handed over to the caller, who deletes it.
constexpr char kOpenWindowPresenterEntry[] = "LumavoxOpenWindowPresenter";
extern "C" DialogPresenter* LumavoxOpenWindowPresenter(std::string* why);
