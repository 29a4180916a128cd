#include "platform/win/window.h"

#include <utility>

#include "platform/win/dialog_presenter.h"
#include "platform/win/messages.h"
#include "platform/win/window_messages.h"
#include "platform/win/window_store.h"

using namespace win_internal;

namespace {

HWND g_desktop = nullptr;

// The desktop belongs to no thread that handles messages; it only has a size.
HWND DesktopLocked() {
  if (g_desktop == nullptr) {
    auto record = std::make_unique<WindowRecord>();
    record->visible = true;
    record->text = "Desktop";
    record->rect = DesktopRect();
    g_desktop = AddWindow(std::move(record));
  }
  return g_desktop;
}

template <typename F>
auto WithWindow(HWND window, F f, decltype(f(std::declval<WindowRecord&>())) missing) {
  std::lock_guard<std::mutex> lock(StoreLock());
  WindowRecord* record = FindWindow(window);
  return record == nullptr ? missing : f(*record);
}

// Tells the presenter that a window's place, visibility or state changed.
void Changed(HWND window) {
  if (DialogPresenter* presenter = GetDialogPresenter()) presenter->ControlChanged(window);
}

}  // namespace

HWND GetDesktopWindow() {
  std::lock_guard<std::mutex> lock(StoreLock());
  return DesktopLocked();
}

void SetDesktopSize(int width, int height) {
  std::lock_guard<std::mutex> lock(StoreLock());
  SetDesktopRect({0, 0, width, height});
  if (WindowRecord* desktop = FindWindow(DesktopLocked())) desktop->rect = DesktopRect();
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  if (rect == nullptr) return FALSE;
  return WithWindow(
      window,
      [&](WindowRecord& r) {
        *rect = r.rect;
        return TRUE;
      },
      FALSE);
}

BOOL GetClientRect(HWND window, RECT* rect) {
  if (rect == nullptr) return FALSE;
  return WithWindow(
      window,
      [&](WindowRecord& r) {
        *rect = {0, 0, r.rect.right - r.rect.left - r.frame.left - r.frame.right,
                 r.rect.bottom - r.rect.top - r.frame.top - r.frame.bottom};
        return TRUE;
      },
      FALSE);
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  (void)repaint;
  std::unique_lock<std::mutex> lock(StoreLock());
  WindowRecord* record = FindWindow(window);
  if (record == nullptr || window == g_desktop) return FALSE;
  const LONG dx = x - record->rect.left;
  const LONG dy = y - record->rect.top;
  record->rect = {x, y, x + width, y + height};
  // Children keep their place inside the window.
  std::vector<HWND> pending = record->children;
  while (!pending.empty()) {
    WindowRecord* child = FindWindow(pending.back());
    pending.pop_back();
    if (child == nullptr) continue;
    child->rect = {child->rect.left + dx, child->rect.top + dy, child->rect.right + dx, child->rect.bottom + dy};
    pending.insert(pending.end(), child->children.begin(), child->children.end());
  }
  lock.unlock();
  Changed(window);
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  std::lock_guard<std::mutex> lock(StoreLock());
  WindowRecord* record = FindWindow(dialog);
  if (record == nullptr) return nullptr;
  for (HWND child : record->children) {
    WindowRecord* c = FindWindow(child);
    if (c != nullptr && c->id == id) return child;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND window) {
  return WithWindow(
      window, [](WindowRecord& r) { return r.id; }, 0);
}

HWND GetParent(HWND window) {
  return WithWindow(
      window, [](WindowRecord& r) { return r.parent != nullptr ? r.parent : r.owner; }, static_cast<HWND>(nullptr));
}

BOOL IsWindow(HWND window) {
  return WithWindow(
      window, [](WindowRecord&) { return TRUE; }, FALSE);
}

BOOL ShowWindow(HWND window, int command) {
  bool changed = false;
  const BOOL was = WithWindow(
      window,
      [&](WindowRecord& r) {
        BOOL before = r.visible ? TRUE : FALSE;
        r.visible = command != SW_HIDE;
        changed = r.visible != (before == TRUE);
        return before;
      },
      FALSE);
  if (changed) Changed(window);
  return was;
}

BOOL IsWindowVisible(HWND window) {
  return WithWindow(
      window, [](WindowRecord& r) { return r.visible ? TRUE : FALSE; }, FALSE);
}

BOOL EnableWindow(HWND window, BOOL enable) {
  // Returns TRUE when the window was disabled before.
  bool changed = false;
  const BOOL wasDisabled = WithWindow(
      window,
      [&](WindowRecord& r) {
        BOOL before = r.enabled ? FALSE : TRUE;
        r.enabled = enable != FALSE;
        changed = r.enabled == (before == TRUE);
        return before;
      },
      FALSE);
  if (changed) Changed(window);
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND window) {
  return WithWindow(
      window, [](WindowRecord& r) { return r.enabled ? TRUE : FALSE; }, FALSE);
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  if (!IsWindow(window)) return FALSE;
  return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowTextA(HWND window, LPSTR buffer, int size) {
  if (size <= 0) return 0;
  return static_cast<int>(
      SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  if (index != GWLP_USERDATA) return 0;
  return WithWindow(
      window,
      [&](WindowRecord& r) {
        LONG_PTR old = r.userData;
        r.userData = value;
        return old;
      },
      static_cast<LONG_PTR>(0));
}

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
  if (index != GWLP_USERDATA) return 0;
  return WithWindow(
      window, [](WindowRecord& r) { return r.userData; }, static_cast<LONG_PTR>(0));
}

BOOL DestroyWindow(HWND window) {
  if (!IsWindow(window) || window == GetDesktopWindow()) return FALSE;
  SendMessageA(window, WM_DESTROY, 0, 0);
  {
    std::lock_guard<std::mutex> lock(StoreLock());
    if (WindowRecord* record = FindWindow(window)) {
      // A modal dialog destroyed under its loop ends that loop.
      record->ended = true;
      WakeOwner(window);
    }
    RemoveWindow(window);
  }
  // The presenter learns it from a handle that no longer names a window.
  Changed(window);
  return TRUE;
}

BOOL MapDialogRect(HWND dialog, RECT* rect) {
  // The base units of the 8-point dialog font at 96 dots per inch.
  if (rect == nullptr || !IsWindow(dialog)) return FALSE;
  auto mapX = [](LONG v) { return v * 6 / 4; };
  auto mapY = [](LONG v) { return v * 13 / 8; };
  *rect = {mapX(rect->left), mapY(rect->top), mapX(rect->right), mapY(rect->bottom)};
  return TRUE;
}

bool QueryWindowState(HWND window, WindowState* state) {
  if (state == nullptr) return false;
  return WithWindow(
      window,
      [&](WindowRecord& r) {
        state->kind = r.kind;
        state->id = r.id;
        state->style = r.style;
        state->text = r.text;
        state->rect = r.rect;
        state->frame = r.frame;
        state->visible = r.visible;
        state->enabled = r.enabled;
        state->rangeMin = r.rangeMin;
        state->rangeMax = r.rangeMax;
        state->position = r.position;
        state->check = r.check;
        state->textLimit = r.textLimit;
        state->items = r.items;
        state->selection = r.selection;
        return true;
      },
      false);
}

std::vector<HWND> GetDialogControls(HWND dialog) {
  return WithWindow(
      dialog, [](WindowRecord& r) { return r.children; }, std::vector<HWND>());
}
