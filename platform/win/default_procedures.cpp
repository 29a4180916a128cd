#include "platform/win/default_procedures.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/win/dialog_presenter.h"
#include "platform/win/messages.h"
#include "platform/win/window_messages.h"
#include "platform/win/window_store.h"

namespace win_internal {

namespace {

void Changed(HWND window) {
  if (DialogPresenter* presenter = GetDialogPresenter()) presenter->ControlChanged(window);
}

// Copies text into a caller's buffer of `size` bytes; returns the count copied.
LRESULT CopyOut(const std::string& text, size_t size, char* buffer) {
  if (buffer == nullptr || size == 0) return 0;
  size_t n = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<LRESULT>(n);
}

void Notify(HWND parent, int id, WORD code, HWND control) {
  if (parent != nullptr) SendMessageA(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), code), reinterpret_cast<LPARAM>(control));
}

int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }

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
      lock.unlock();
      Changed(window);
      if (kind == ControlKind::Edit) Notify(parent, id, EN_CHANGE, window);
      return TRUE;
    }
    case WM_GETTEXT:
      return CopyOut(record->text, wParam, reinterpret_cast<char*>(lParam));
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(record->text.size());
    default:
      break;
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
        case PBM_SETPOS:
          record->position = static_cast<int>(wParam);
          break;
        case PBM_DELTAPOS:
          record->position += static_cast<int>(wParam);
          break;
        case PBM_GETPOS:
          return record->position;
        case PBM_GETRANGE:
          return wParam ? record->rangeMin : record->rangeMax;
        default:
          return 0;
      }
      record->position = Clamp(record->position, record->rangeMin, record->rangeMax);
      lock.unlock();
      Changed(window);
      return (message == PBM_SETRANGE) ? oldRange : (message == PBM_SETRANGE32 ? oldRange : oldPos);
    }

    case ControlKind::TrackBar:
      switch (message) {
        case TBM_GETPOS:
          return record->position;
        case TBM_SETRANGE:
          record->rangeMin = LOWORD(static_cast<UINT_PTR>(lParam));
          record->rangeMax = HIWORD(static_cast<UINT_PTR>(lParam));
          break;
        case TBM_SETPOS:
          record->position = static_cast<int>(lParam);
          break;
        default:
          return 0;
      }
      record->position = Clamp(record->position, record->rangeMin, record->rangeMax);
      lock.unlock();
      Changed(window);
      return 0;

    case ControlKind::ComboBox:
      switch (message) {
        case CB_ADDSTRING:
        {
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
        case CB_GETCOUNT:
          return static_cast<LRESULT>(record->items.size());
        case CB_GETCURSEL:
          return record->selection;
        case CB_SETCURSEL: {
          const auto index = static_cast<size_t>(wParam);
          const bool valid = index < record->items.size();
          record->selection = valid ? static_cast<int>(index) : -1;
          lock.unlock();
          Changed(window);
          return valid ? static_cast<LRESULT>(index) : CB_ERR;
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
        default:
          return 0;
      }

    default:
      return 0;
  }
}

}  // namespace win_internal
