// The controls the options dialogs add to the dialog layer, beyond what a
// user drives in the dialog tests: date texts, the file-open dialog's
// buffer, a track bar's scroll requests, dialog resources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/common_controls.h"
#include "platform/win/control_input.h"
#include "platform/win/date_text.h"
#include "platform/win/dialog_box.h"
#include "platform/win/dialog_presenter.h"
#include "platform/win/file_dialog.h"
#include "platform/win/messages.h"
#include "platform/win/resources.h"
#include "platform/win/window.h"
#include "platform/win/window_messages.h"
#include "tests/support/test_support.h"

namespace {

struct Chooser : DialogPresenter {
  std::string path;
  bool OpenFileChosen(HWND, LPCSTR, std::string* chosen) override {
    *chosen = path;
    return true;
  }
};

TEST(DialogControls, DateTexts) {
  EXPECT_EQ(win_internal::FormatDate("yyyy-MM-dd", 2024, 1, 5), "2024-01-05");
  EXPECT_EQ(win_internal::FormatDate("M/d/yy 'at' d", 2024, 1, 5), "1/5/24 at 5");
}

TEST(DialogControls, FileOpenDialogNeedsRoomForThePath) {
  lumavox_test::TempDir dir;
  const std::string file = dir / "a.wav";
  lumavox_test::WriteText(file, "x");
  char buffer[260] = "";
  OPENFILENAMEA request{};
  request.lpstrFile = buffer;
  request.nMaxFile = sizeof buffer;
  request.Flags = OFN_FILEMUSTEXIST;
  EXPECT_FALSE(GetOpenFileNameA(&request));  // no presenter: cancelled
  Chooser chooser;
  DialogPresenter* previous = SetDialogPresenter(&chooser);
  chooser.path = file;
  EXPECT_TRUE(GetOpenFileNameA(&request));
  EXPECT_EQ(std::string(buffer), file);
  EXPECT_EQ(std::string(buffer + request.nFileOffset), "a.wav");
  chooser.path = dir / "missing.wav";
  EXPECT_FALSE(GetOpenFileNameA(&request));
  chooser.path = "/" + std::string(300, 'd') + "/a.wav";
  request.Flags = 0;
  EXPECT_FALSE(GetOpenFileNameA(&request));  // would not fit the 260 bytes
  SetDialogPresenter(previous);
}

std::vector<WPARAM> g_scrolls;
INT_PTR ScrollProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_HSCROLL) g_scrolls.push_back(wParam);
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
  return message == WM_INITDIALOG;
}

TEST(DialogControls, TrackBarDragTracksEveryPosition) {
  static const DialogTemplate t = {WS_POPUP | WS_CAPTION,
                                   0,
                                   0,
                                   100,
                                   50,
                                   "",
                                   "MS Shell Dlg",
                                   8,
                                   {{7, ControlKind::TrackBar, 0, 5, 5, 80, 20, ""},
                                    {IDCANCEL, ControlKind::PushButton, 0, 5, 30, 40, 12, "Cancel"}}};
  HINSTANCE module = reinterpret_cast<HINSTANCE>(0x5ca1);
  RegisterDialogTemplate(module, 77, &t);
  EXPECT_EQ(LockResource(LoadResource(module, FindResourceA(module, MAKEINTRESOURCEA(77), RT_DIALOG))), &t);
  struct Drags : DialogPresenter {
    void DialogOpened(HWND dialog) override {
      SendMessageA(GetDlgItem(dialog, 7), TBM_SETPOS, TRUE, 3);
      UserDragTrackBar(dialog, 7, 1);
      UserClickTrackBarChannel(dialog, 7, TRUE);
      PostMessageA(GetDlgItem(dialog, IDCANCEL), WM_LBUTTONUP, 0, 0);
    }
  } drags;
  DialogPresenter* previous = SetDialogPresenter(&drags);
  g_scrolls.clear();
  EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(77), nullptr, ScrollProc, 0), IDCANCEL);
  SetDialogPresenter(previous);
  EXPECT_EQ(g_scrolls, (std::vector<WPARAM>{MAKEWPARAM(SB_THUMBTRACK, 2), MAKEWPARAM(SB_THUMBTRACK, 1),
                                            MAKEWPARAM(SB_THUMBPOSITION, 1), SB_ENDSCROLL, SB_PAGEDOWN, SB_ENDSCROLL}));
}

}  // namespace
