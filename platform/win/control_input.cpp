#include "platform/win/control_input.h"

#include <cstring>
#include <mutex>

#include "platform/win/dialog_template.h"
#include "platform/win/input_messages.h"
#include "platform/win/messages.h"
#include "platform/win/window.h"
#include "platform/win/window_store.h"

namespace {

constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_CLEAR = 0x0303;
constexpr UINT EM_SETSEL = 0x00B1;

HWND ReachableControl(HWND dialog, int controlId, ControlKind kind) {
  HWND control = GetDlgItem(dialog, controlId);
  WindowState state;
  if (control == nullptr || !QueryWindowState(control, &state) || state.kind != kind) return nullptr;
  return win_internal::ReachableByUser(control) ? control : nullptr;
}

}  // namespace

namespace win_internal {

bool ReachableByUser(HWND control) {
  for (HWND window = control; window != nullptr;) {
    WindowState state;
    if (!QueryWindowState(window, &state) || !state.visible || !state.enabled) return false;
    // Up from a control to its dialog, and from a child page to its parent.
    if (state.kind == ControlKind::Dialog && (state.style & WS_CHILD) == 0) return true;
    window = GetParent(window);
  }
  return false;
}

}  // namespace win_internal

BOOL UserTypeText(HWND dialog, int controlId, LPCSTR text) {
  HWND edit = ReachableControl(dialog, controlId, ControlKind::Edit);
  if (edit == nullptr || text == nullptr) return FALSE;
  PostMessageA(edit, EM_SETSEL, 0, -1);
  if (*text == '\0') return PostMessageA(edit, WM_CLEAR, 0, 0);
  for (const char* c = text; *c != '\0'; ++c) {
    PostMessageA(edit, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(*c)), 1);
  }
  return TRUE;
}

BOOL UserChooseItem(HWND dialog, int controlId, int index) {
  HWND list = ReachableControl(dialog, controlId, ControlKind::ComboBox);
  if (list == nullptr || index < 0) return FALSE;
  return PostMessageA(list, win_internal::kInputChooseItem, static_cast<WPARAM>(index), 0);
}

BOOL UserDragTrackBar(HWND dialog, int controlId, int position) {
  HWND bar = ReachableControl(dialog, controlId, ControlKind::TrackBar);
  if (bar == nullptr) return FALSE;
  return PostMessageA(bar, win_internal::kInputDragThumb, static_cast<WPARAM>(position), 0);
}

BOOL UserClickTrackBarChannel(HWND dialog, int controlId, BOOL towardMaximum) {
  HWND bar = ReachableControl(dialog, controlId, ControlKind::TrackBar);
  if (bar == nullptr) return FALSE;
  return PostMessageA(bar, win_internal::kInputClickChannel, towardMaximum ? 1 : 0, 0);
}

BOOL UserPickDate(HWND dialog, int controlId, int year, int month, int day) {
  HWND picker = ReachableControl(dialog, controlId, ControlKind::DatePicker);
  if (picker == nullptr || year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) {
    return FALSE;
  }
  return PostMessageA(picker, win_internal::kInputPickDate, static_cast<WPARAM>(year) * 10000 + month * 100 + day, 0);
}

BOOL WaitForDialogIdle(HWND window) {
  std::unique_lock<std::mutex> lock(win_internal::StoreLock());
  for (;;) {
    win_internal::WindowRecord* record = win_internal::FindWindow(window);
    if (record == nullptr) return FALSE;
    win_internal::ThreadQueue& queue = win_internal::QueueOf(record->thread);
    if (queue.idle && queue.posted.empty() && queue.sent.empty()) return TRUE;
    queue.idleWake.wait(lock);
  }
}
