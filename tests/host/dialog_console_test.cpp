// The render host shows a running dialog as a progress line and a message
// box as its text.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/dialog_console.h"
#include "platform/win/dialog_box.h"
#include "platform/win/message_box.h"
#include "platform/win/messages.h"
#include "platform/win/window.h"
#include "platform/win/window_messages.h"

namespace {

constexpr UINT kWork = WM_USER + 1;

INT_PTR Proc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    PostMessageA(dialog, kWork, 0, 0);
    return TRUE;
  }
  if (message != kWork) return FALSE;
  SetWindowTextA(GetDlgItem(dialog, 11), "Reading a.mxf");
  SendMessageA(GetDlgItem(dialog, 12), PBM_SETPOS, 50, 0);
  SendMessageA(GetDlgItem(dialog, 12), PBM_SETPOS, 100, 0);
  SetWindowTextA(GetDlgItem(dialog, 11), "Reading b.mxf");
  SendMessageA(GetDlgItem(dialog, 12), PBM_SETPOS, 30, 0);
  MessageBoxA(dialog, "It failed", "ERROR", MB_OK | MB_ICONERROR);
  EndDialog(dialog, 0);
  return TRUE;
}

std::string RunAndRead(bool tty) {
  static const DialogTemplate t = {WS_POPUP | WS_CAPTION,
                                   0,
                                   0,
                                   200,
                                   50,
                                   "Work",
                                   "MS Shell Dlg",
                                   8,
                                   {{11, ControlKind::Static, 0, 0, 0, 200, 10, ""},
                                    {12, ControlKind::ProgressBar, 0, 0, 20, 200, 10, ""},
                                    {2, ControlKind::PushButton, 0, 80, 35, 40, 12, "Cancel"}}};
  HINSTANCE module = reinterpret_cast<HINSTANCE>(0x5151);
  RegisterDialogTemplate(module, 77, &t);
  std::FILE* out = std::tmpfile();
  {
    lumavox_host::ConsoleDialogPresenter presenter(out, tty);
    EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(77), nullptr, Proc, 0), 0);
  }
  std::rewind(out);
  std::string text;
  for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
  (void)std::fclose(out);  // everything is read
  return text;
}

TEST(DialogConsole, ProgressLineAndMessageBoxOnStandardError) {
  const std::string bar50 = "[" + std::string(15, '#') + std::string(15, '.') + "] 50%";
  const std::string bar100 = "[" + std::string(30, '#') + "] 100%";
  const std::string plain = RunAndRead(false);
  EXPECT_NE(plain.find("Reading a.mxf  [" + std::string(30, '.') + "] 0%\n"), std::string::npos) << plain;
  EXPECT_NE(plain.find("Reading a.mxf  " + bar100 + "\n"), std::string::npos) << plain;
  EXPECT_EQ(plain.find(bar50), std::string::npos) << plain;  // no line for each step without a terminal
  EXPECT_NE(plain.find("ERROR: It failed\n"), std::string::npos) << plain;

  const std::string terminal = RunAndRead(true);
  EXPECT_NE(terminal.find("\rReading a.mxf  " + bar50 + "\033[K"), std::string::npos) << terminal;
  EXPECT_NE(terminal.find("\rReading b.mxf  [#########" + std::string(21, '.') + "] 30%\033[K\nERROR: It failed\n"),
            std::string::npos)
      << terminal;
}

}  // namespace
