#include "platform/win/default_procedures.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "platform/text/utf8_cut.h"
#include "platform/win/common_controls.h"
#include "platform/win/control_styles.h"
#include "platform/win/date_text.h"
#include "platform/win/dialog_presenter.h"
#include "platform/win/input_messages.h"
#include "platform/win/messages.h"
#include "platform/win/window_messages.h"
#include "platform/win/window_store.h"

namespace win_internal {

namespace {

void Changed(HWND window) {
  if (DialogPresenter* presenter = GetDialogPresenter()) presenter->ControlChanged(window);
}

// Copies text into a caller's buffer of `size` bytes, cut on a character
// boundary when it does not fit; returns the count copied.
LRESULT CopyOut(const std::string& text, size_t size, char* buffer) {
  if (buffer == nullptr || size == 0) return 0;
  const size_t n = Utf8CutLength(text.data(), text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<LRESULT>(n);
}

void Notify(HWND parent, int id, WORD code, HWND control) {
  if (parent != nullptr)
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), code), reinterpret_cast<LPARAM>(control));
}

int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }

constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_CLEAR = 0x0303;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr WORD CBN_SELCHANGE = 1;

std::string Capitals(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

void Scroll(HWND parent, HWND bar, WORD request, int position) {
  if (parent != nullptr) {
    SendMessageA(parent, WM_HSCROLL, MAKEWPARAM(request, static_cast<WORD>(position)), reinterpret_cast<LPARAM>(bar));
  }
}

// A typed byte joins the edit's text unless the edit's bound refuses the
// character that it belongs to: a character that would cross the bound is
// refused whole, its bytes already in the text and those still to come.
void TypeByte(WindowRecord& record, char byte) {
  const bool continuation = (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
  if (continuation && record.characterRefused) return;
  record.text.push_back(byte);
  record.characterRefused = false;
  if (record.textLimit != 0 && record.text.size() > record.textLimit) {
    record.text = TextCut(record.text, record.textLimit);
    record.characterRefused = true;
  }
}

// The edit's reply to a typed character, a backspace or a delete of the
// selection; the lock is released on return.
LRESULT EditInput(std::unique_lock<std::mutex>& lock, WindowRecord& record, UINT message, WPARAM wParam) {
  if (!record.enabled || (record.style & ES_READONLY)) return 0;
  const HWND window = record.handle, parent = record.parent;
  const int id = record.id;
  if (message == WM_CLEAR) {
    if (record.allSelected) record.text.clear();
    record.characterRefused = false;
  } else {
    const char c = static_cast<char>(wParam);
    if (record.allSelected) record.text.clear();
    if (c == '\b') {
      if (!record.text.empty()) record.text.pop_back();
      record.characterRefused = false;
    } else {
      TypeByte(record, (record.style & ES_UPPERCASE) ? Capitals(std::string(1, c))[0] : c);
    }
  }
  record.allSelected = false;
  lock.unlock();
  Changed(window);
  Notify(parent, id, EN_CHANGE, window);
  return 0;
}

// The user acts on `window`: the keyboard focus moves to it, and an edit
// that had it tells its dialog that it was left (EN_KILLFOCUS) before the
// action is carried out, as a click or a key in another control does.
// Returns the window's record found again (the dialog's handling of the
// leave may have removed it: null then); the lock is held on return.
WindowRecord* TakeFocus(std::unique_lock<std::mutex>& lock, HWND window) {
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return nullptr;
  ThreadQueue& queue = QueueOf(record->thread);
  const HWND left = queue.focus;
  queue.focus = window;
  const WindowRecord* previous = FindWindow(left);
  if (left == window || previous == nullptr || previous->kind != ControlKind::Edit) return record;
  const HWND leftParent = previous->parent;
  const int leftId = previous->id;
  lock.unlock();
  Notify(leftParent, leftId, EN_KILLFOCUS, left);
  lock.lock();
  return FindWindow(window);
}

// The track bar's reply to a drag of its thumb: a tracking request at every
// position passed, then the end position and the end of the scroll.
LRESULT DragThumb(std::unique_lock<std::mutex>& lock, HWND window, int target) {
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return 0;
  const HWND parent = record->parent;
  target = Clamp(target, record->rangeMin, record->rangeMax);
  int position = record->position;
  do {
    position += position < target ? 1 : (position > target ? -1 : 0);
    record->position = position;
    lock.unlock();
    Changed(window);
    Scroll(parent, window, SB_THUMBTRACK, position);
    lock.lock();
    record = FindWindow(window);
    if (record == nullptr) return 0;
  } while (position != target);
  lock.unlock();
  Scroll(parent, window, SB_THUMBPOSITION, position);
  Scroll(parent, window, SB_ENDSCROLL, 0);
  return 0;
}

}  // namespace

LRESULT DefaultProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::unique_lock<std::mutex> lock(StoreLock());
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return 0;
  const ControlKind kind = record->kind;
  const HWND parent = record->parent;
  const int id = record->id;

  switch (message) {
    case WM_SETTEXT: {
      record->text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
      record->allSelected = false;
      record->characterRefused = false;
      if (kind == ControlKind::Edit && (record->style & ES_UPPERCASE)) record->text = Capitals(record->text);
      lock.unlock();
      Changed(window);
      if (kind == ControlKind::Edit) Notify(parent, id, EN_CHANGE, window);
      return TRUE;
    }
    case WM_GETTEXT: return CopyOut(record->text, wParam, reinterpret_cast<char*>(lParam));
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(record->text.size());
    default: break;
  }

  switch (kind) {
    case ControlKind::Dialog:
      if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        lock.unlock();
        return SendMessageA(window, WM_CLOSE, 0, 0);
      }
      if (message == WM_CLOSE) {
        // The close box does what the Cancel button does, unless that button
        // is there and disabled.
        HWND cancel = nullptr;
        for (HWND child : record->children) {
          WindowRecord* c = FindWindow(child);
          if (c != nullptr && c->id == IDCANCEL) cancel = child;
        }
        WindowRecord* c = FindWindow(cancel);
        if (c != nullptr && !c->enabled) return 0;
        lock.unlock();
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
        return 0;
      }
      return 0;

    case ControlKind::PushButton:
    case ControlKind::CheckBox:
      if (message == WM_LBUTTONUP) {
        if (!record->enabled) return 0;
        record = TakeFocus(lock, window);
        if (record == nullptr || !record->enabled) return 0;
        bool changed = false;
        if (kind == ControlKind::CheckBox && (record->style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
          record->check = record->check ? 0 : 1;
          changed = true;
        }
        lock.unlock();
        if (changed) Changed(window);
        Notify(parent, id, BN_CLICKED, window);
        return 0;
      }
      if (message == BM_GETCHECK) return record->check;
      if (message == BM_SETCHECK) {
        record->check = static_cast<int>(wParam);
        lock.unlock();
        Changed(window);
        return 0;
      }
      return 0;

    case ControlKind::Edit:
      if (message == EM_SETSEL) {
        record = TakeFocus(lock, window);
        if (record == nullptr) return 0;
        record->allSelected = wParam == 0 && lParam == -1;
        return 0;
      }
      if (message == EM_LIMITTEXT) {
        record->textLimit = static_cast<size_t>(wParam);
        lock.unlock();
        Changed(window);
        return 0;
      }
      if (message == WM_CHAR || message == WM_CLEAR) return EditInput(lock, *record, message, wParam);
      return 0;

    case ControlKind::DatePicker:
      if (record->year == 0) Today(&record->year, &record->month, &record->day);
      if (message == kInputPickDate) {
        record = TakeFocus(lock, window);
        if (record == nullptr) return 0;
      }
      if (message == DTM_SETFORMATA || message == kInputPickDate) {
        if (message == DTM_SETFORMATA) {
          record->format = lParam != 0 ? reinterpret_cast<const char*>(lParam) : DefaultDateFormat();
        } else {
          record->year = static_cast<int>(wParam / 10000);
          record->month = static_cast<int>(wParam / 100 % 100);
          record->day = static_cast<int>(wParam % 100);
        }
        record->text = FormatDate(record->format.empty() ? DefaultDateFormat() : record->format, record->year,
                                  record->month, record->day);
        NMDATETIMECHANGE change{};
        change.nmhdr = {window, static_cast<UINT_PTR>(id), DTN_DATETIMECHANGE};
        change.st.wYear = static_cast<WORD>(record->year);
        change.st.wMonth = static_cast<WORD>(record->month);
        change.st.wDay = static_cast<WORD>(record->day);
        lock.unlock();
        Changed(window);
        if (message == kInputPickDate && parent != nullptr) {
          SendMessageA(parent, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&change));
        }
        return message == DTM_SETFORMATA ? TRUE : 0;
      }
      if (message == DTM_GETSYSTEMTIME && lParam != 0) {
        SYSTEMTIME* time = reinterpret_cast<SYSTEMTIME*>(lParam);
        *time = SYSTEMTIME{};
        time->wYear = static_cast<WORD>(record->year);
        time->wMonth = static_cast<WORD>(record->month);
        time->wDay = static_cast<WORD>(record->day);
        return GDT_VALID;
      }
      return 0;

    case ControlKind::ProgressBar: {
      const int oldPos = record->position;
      const LRESULT oldRange = MAKELPARAM(static_cast<WORD>(record->rangeMin), static_cast<WORD>(record->rangeMax));
      switch (message) {
        case PBM_SETRANGE:
          record->rangeMin = LOWORD(static_cast<UINT_PTR>(lParam));
          record->rangeMax = HIWORD(static_cast<UINT_PTR>(lParam));
          break;
        case PBM_SETRANGE32:
          record->rangeMin = static_cast<int>(wParam);
          record->rangeMax = static_cast<int>(lParam);
          break;
        case PBM_SETPOS: record->position = static_cast<int>(wParam); break;
        case PBM_DELTAPOS: record->position += static_cast<int>(wParam); break;
        case PBM_GETPOS: return record->position;
        case PBM_GETRANGE: return wParam ? record->rangeMin : record->rangeMax;
        default: return 0;
      }
      record->position = Clamp(record->position, record->rangeMin, record->rangeMax);
      lock.unlock();
      Changed(window);
      return (message == PBM_SETRANGE) ? oldRange : (message == PBM_SETRANGE32 ? oldRange : oldPos);
    }

    case ControlKind::TrackBar:
      switch (message) {
        case TBM_GETPOS: return record->position;
        case TBM_SETRANGE:
          record->rangeMin = LOWORD(static_cast<UINT_PTR>(lParam));
          record->rangeMax = HIWORD(static_cast<UINT_PTR>(lParam));
          break;
        case TBM_SETPOS: record->position = static_cast<int>(lParam); break;
        case kInputDragThumb:
          if (TakeFocus(lock, window) == nullptr) return 0;
          return DragThumb(lock, window, static_cast<int>(wParam));
        case kInputClickChannel: {
          record = TakeFocus(lock, window);
          if (record == nullptr) return 0;
          // A click beside the thumb moves it by a page, a fifth of the range.
          const int page = std::max(1, (record->rangeMax - record->rangeMin) / 5);
          record->position = Clamp(record->position + (wParam ? page : -page), record->rangeMin, record->rangeMax);
          lock.unlock();
          Changed(window);
          Scroll(parent, window, wParam ? SB_PAGEDOWN : SB_PAGEUP, 0);
          Scroll(parent, window, SB_ENDSCROLL, 0);
          return 0;
        }
        default: return 0;
      }
      record->position = Clamp(record->position, record->rangeMin, record->rangeMax);
      lock.unlock();
      Changed(window);
      return 0;

    case ControlKind::ComboBox:
      switch (message) {
        case CB_ADDSTRING: {
          record->items.push_back(lParam != 0 ? reinterpret_cast<const char*>(lParam) : "");
          const auto index = static_cast<LRESULT>(record->items.size() - 1);
          lock.unlock();
          Changed(window);
          return index;
        }
        case CB_RESETCONTENT:
          record->items.clear();
          record->selection = -1;
          lock.unlock();
          Changed(window);
          return 0;
        case CB_GETCOUNT: return static_cast<LRESULT>(record->items.size());
        case CB_GETCURSEL: return record->selection;
        case CB_SETCURSEL: {
          const auto index = static_cast<size_t>(wParam);
          const bool valid = index < record->items.size();
          record->selection = valid ? static_cast<int>(index) : -1;
          lock.unlock();
          Changed(window);
          return valid ? static_cast<LRESULT>(index) : CB_ERR;
        }
        case kInputChooseItem: {
          record = TakeFocus(lock, window);
          if (record == nullptr || wParam >= record->items.size()) return 0;
          record->selection = static_cast<int>(wParam);
          lock.unlock();
          Changed(window);
          Notify(parent, id, CBN_SELCHANGE, window);
          Notify(parent, id, CBN_SELENDOK, window);
          return 0;
        }
        case CB_GETLBTEXT:
        case CB_GETLBTEXTLEN: {
          const auto index = static_cast<size_t>(wParam);
          if (index >= record->items.size()) return CB_ERR;
          const std::string& item = record->items[index];
          if (message == CB_GETLBTEXTLEN) return static_cast<LRESULT>(item.size());
          std::strcpy(reinterpret_cast<char*>(lParam), item.c_str());
          return static_cast<LRESULT>(item.size());
        }
        default: return 0;
      }

    default: return 0;
  }
}

}  // namespace win_internal
