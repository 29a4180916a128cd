#include "platform/win/user_input.h"

#include "platform/win/input_messages.h"
#include "platform/win/messages.h"
#include "platform/win/window.h"
#include "platform/win/window_messages.h"

BOOL UserClickButton(HWND dialog, int controlId) {
  HWND button = GetDlgItem(dialog, controlId);
  if (button == nullptr || !win_internal::ReachableByUser(button)) return FALSE;
  return PostMessageA(button, WM_LBUTTONUP, 0, 0);
}

BOOL UserPressKey(HWND dialog, int virtualKey) {
  return PostMessageA(dialog, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 0);
}

BOOL UserClickCloseBox(HWND dialog) { return PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }
