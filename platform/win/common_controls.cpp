#include "platform/win/common_controls.h"

#include "platform/win/window.h"

void InitCommonControls() {}

BOOL ShowScrollBar(HWND window, int bar, BOOL show) {
  (void)bar;
  (void)show;
  return IsWindow(window);
}
