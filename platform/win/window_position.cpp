#include "platform/win/window_position.h"

#include <mutex>

#include "platform/win/window.h"
#include "platform/win/window_store.h"

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  (void)insertAfter;
  RECT now;
  if (!GetWindowRect(window, &now)) return FALSE;
  LONG originX = 0, originY = 0;
  {
    std::lock_guard<std::mutex> lock(win_internal::StoreLock());
    win_internal::WindowRecord* record = win_internal::FindWindow(window);
    if (record == nullptr) return FALSE;
    if (win_internal::WindowRecord* parent = win_internal::FindWindow(record->parent)) {
      originX = parent->rect.left + parent->frame.left;
      originY = parent->rect.top + parent->frame.top;
    }
  }
  int left = originX + x, top = originY + y;
  if (flags & SWP_NOMOVE) {
    left = now.left;
    top = now.top;
  }
  if (flags & SWP_NOSIZE) {
    width = now.right - now.left;
    height = now.bottom - now.top;
  }
  if (!MoveWindow(window, left, top, width, height, TRUE)) return FALSE;
  if (flags & SWP_SHOWWINDOW) ShowWindow(window, SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(window, SW_HIDE);
  return TRUE;
}
