// Windows and their controls: geometry, texts, state, the desktop.
// Every window belongs to the thread that made it; its messages are handled
// on that thread (see messages.h).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/win/dialog_template.h"
#include "platform/win/types.h"

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;
constexpr int GWLP_USERDATA = -21;

HWND GetDesktopWindow();
BOOL GetWindowRect(HWND window, RECT* rect);  // screen pixels, frame included
BOOL GetClientRect(HWND window, RECT* rect);  // 0, 0, width, height of the client area
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL MapDialogRect(HWND dialog, RECT* rect);  // dialog units to pixels
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND window);
HWND GetParent(HWND window);
BOOL IsWindow(HWND window);
BOOL ShowWindow(HWND window, int command);
BOOL IsWindowVisible(HWND window);
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);
BOOL SetWindowTextA(HWND window, LPCSTR text);
int GetWindowTextA(HWND window, LPSTR buffer, int size);
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtrA(HWND window, int index);
BOOL DestroyWindow(HWND window);

// What a presenter or a test sees of a window, read in one go.
struct WindowState {
  ControlKind kind = ControlKind::Dialog;
  int id = -1;
  DWORD style = 0;
  std::string text;
  RECT rect = {0, 0, 0, 0};   // screen pixels, frame included
  RECT frame = {0, 0, 0, 0};  // thickness of the frame on each side (caption bar on top)
  bool visible = false;
  bool enabled = true;
  int rangeMin = 0;  // progress and track bars
  int rangeMax = 100;
  int position = 0;
  int check = 0;                   // check boxes
  size_t textLimit = 0;            // edits: the most bytes the user can type in, 0 for no bound
  std::vector<std::string> items;  // combo boxes
  int selection = -1;
};
bool QueryWindowState(HWND window, WindowState* state);
// The controls of a dialog in template order.
std::vector<HWND> GetDialogControls(HWND dialog);
// The size of the desktop window in pixels (1920 x 1080 unless set).
void SetDesktopSize(int width, int height);
