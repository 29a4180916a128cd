#include "platform/win/dialog_box.h"

#include "platform/win/control_styles.h"
#include "platform/win/date_text.h"
#include "platform/win/dialog_presenter.h"
#include "platform/win/messages.h"
#include "platform/win/window.h"
#include "platform/win/window_messages.h"
#include "platform/win/window_store.h"

using namespace win_internal;

namespace {

// Frame of a dialog with a caption bar, in pixels: borders and caption.
constexpr RECT kCaptionFrame = {3, 26, 3, 3};

LONG UnitsToPixelsX(LONG v) { return v * 6 / 4; }
LONG UnitsToPixelsY(LONG v) { return v * 13 / 8; }

// Makes the dialog window and its controls; returns the dialog.
HWND MakeDialog(const DialogTemplate& t, HWND parent, HWND owner, DLGPROC procedure, bool modal) {
  std::lock_guard<std::mutex> lock(StoreLock());
  auto dialog = std::make_unique<WindowRecord>();
  dialog->kind = ControlKind::Dialog;
  dialog->style = t.style;
  dialog->text = t.caption;
  dialog->parent = parent;
  dialog->owner = owner;
  dialog->thread = std::this_thread::get_id();
  dialog->dialogProc = procedure;
  dialog->modal = modal;
  dialog->enabled = (t.style & WS_DISABLED) == 0;
  dialog->visible = !modal && (t.style & WS_VISIBLE) != 0;
  if ((t.style & WS_CAPTION) == WS_CAPTION) dialog->frame = kCaptionFrame;
  // Placed in dialog units from the parent's client area (a child page) or
  // from the owner's top-left corner (a top-level dialog).
  LONG originX = 0, originY = 0;
  if (WindowRecord* base = FindWindow(parent != nullptr ? parent : owner)) {
    originX = base->rect.left + (parent != nullptr ? base->frame.left : 0);
    originY = base->rect.top + (parent != nullptr ? base->frame.top : 0);
  }
  const LONG left = originX + UnitsToPixelsX(t.x);
  const LONG top = originY + UnitsToPixelsY(t.y);
  const RECT& f = dialog->frame;
  dialog->rect = {left, top, left + UnitsToPixelsX(t.cx) + f.left + f.right,
                  top + UnitsToPixelsY(t.cy) + f.top + f.bottom};
  const LONG clientX = left + f.left;
  const LONG clientY = top + f.top;
  HWND handle = AddWindow(std::move(dialog));
  for (const DialogItemTemplate& item : t.items) {
    auto control = std::make_unique<WindowRecord>();
    control->kind = item.kind;
    control->id = item.id;
    control->style = item.style;
    control->text = item.text;
    control->parent = handle;
    control->thread = std::this_thread::get_id();
    control->enabled = (item.style & WS_DISABLED) == 0;
    control->visible = true;
    const LONG x = clientX + UnitsToPixelsX(item.x);
    const LONG y = clientY + UnitsToPixelsY(item.y);
    control->rect = {x, y, x + UnitsToPixelsX(item.cx), y + UnitsToPixelsY(item.cy)};
    if (item.kind == ControlKind::DatePicker) {
      // A date picker starts at today's date in the short date format.
      Today(&control->year, &control->month, &control->day);
      control->text = FormatDate(DefaultDateFormat(), control->year, control->month, control->day);
    }
    AddWindow(std::move(control));
  }
  return handle;
}

HWND FirstTabStop(HWND dialog) {
  for (HWND control : GetDialogControls(dialog)) {
    WindowState state;
    if (QueryWindowState(control, &state) && (state.style & WS_TABSTOP) != 0) return control;
  }
  return nullptr;
}

// The command of Enter: the dialog's default push button when it has one
// and the button is enabled, else IDOK.
int DefaultCommand(HWND dialog) {
  for (HWND control : GetDialogControls(dialog)) {
    WindowState state;
    if (QueryWindowState(control, &state) && state.kind == ControlKind::PushButton &&
        (state.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      return state.enabled ? state.id : IDOK;
    }
  }
  return IDOK;
}

// The keyboard interface of a dialog: Escape is Cancel, Enter presses the
// default button.
bool TranslateDialogKey(HWND dialog, const PostedMessage& posted) {
  if (posted.message != WM_KEYDOWN) return false;
  if (posted.window != dialog && GetParent(posted.window) != dialog) return false;
  int command = 0;
  if (posted.wParam == static_cast<WPARAM>(VK_ESCAPE)) command = IDCANCEL;
  if (posted.wParam == static_cast<WPARAM>(VK_RETURN)) command = DefaultCommand(dialog);
  if (command == 0) return false;
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, command)));
  return true;
}

}  // namespace

INT_PTR DialogBoxParamA(HINSTANCE module, LPCSTR name, HWND owner, DLGPROC procedure, LPARAM param) {
  const auto id = reinterpret_cast<uintptr_t>(name);
  if (id > 0xFFFF) return -1;  // only numbered templates exist here
  const DialogTemplate* t = FindDialogTemplate(module, static_cast<int>(id));
  if (t == nullptr) return -1;
  if (owner != nullptr && !IsWindow(owner)) owner = nullptr;
  // A child window cannot own a dialog: its top-level window does.
  for (WindowState state; owner != nullptr && QueryWindowState(owner, &state) && (state.style & WS_CHILD);) {
    owner = GetParent(owner);
  }

  HWND dialog = MakeDialog(*t, nullptr, owner, procedure, true);
  const bool ownerWasDisabled = owner != nullptr && EnableWindow(owner, FALSE);
  win_internal::Dispatch(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(FirstTabStop(dialog)), param);

  bool shown = false;
  {
    std::lock_guard<std::mutex> lock(StoreLock());
    WindowRecord* record = FindWindow(dialog);
    if (record != nullptr && !record->ended) {
      record->visible = true;
      shown = true;
    }
  }
  DialogPresenter* presenter = GetDialogPresenter();
  if (shown && presenter != nullptr) presenter->DialogOpened(dialog);

  PumpMessages(
      [dialog] {
        WindowRecord* record = FindWindow(dialog);
        return record == nullptr || record->ended;
      },
      [dialog](const PostedMessage& posted) { return TranslateDialogKey(dialog, posted); });

  INT_PTR result = 0;
  {
    std::lock_guard<std::mutex> lock(StoreLock());
    if (WindowRecord* record = FindWindow(dialog)) result = record->result;
  }
  presenter = GetDialogPresenter();
  if (shown && presenter != nullptr) presenter->DialogClosed(dialog, result);
  DestroyWindow(dialog);
  if (owner != nullptr && !ownerWasDisabled) EnableWindow(owner, TRUE);
  return result;
}

HWND CreateDialogIndirectParamA(HINSTANCE module, const DialogTemplate* dialogTemplate, HWND parent, DLGPROC procedure,
                                LPARAM param) {
  (void)module;
  if (dialogTemplate == nullptr) return nullptr;
  const bool child = (dialogTemplate->style & WS_CHILD) != 0;
  HWND dialog = MakeDialog(*dialogTemplate, child ? parent : nullptr, child ? nullptr : parent, procedure, false);
  win_internal::Dispatch(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(FirstTabStop(dialog)), param);
  if (IsWindow(dialog) && IsWindowVisible(dialog)) {
    if (DialogPresenter* presenter = GetDialogPresenter()) presenter->DialogOpened(dialog);
  }
  return dialog;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  std::lock_guard<std::mutex> lock(StoreLock());
  WindowRecord* record = FindWindow(dialog);
  if (record == nullptr || record->kind != ControlKind::Dialog) return FALSE;
  if (!record->ended) {
    record->ended = true;
    record->result = result;
  }
  record->visible = false;
  WakeOwner(dialog);
  return TRUE;
}
