// Reading and writing the texts of a dialog's controls, and record text
// fields read within their width (a field of a stored record need not end
// with a zero).
#pragma once

#include <cstring>
#include <string>

#include "platform/text/utf8_cut.h"
#include "platform/win/messages.h"
#include "platform/win/window.h"
#include "platform/win/window_messages.h"

template <size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

inline void SetControlText(HWND dialog, int id, const std::string& text) {
  SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Reads the control's text into a field of `size` bytes, cut to fit.
inline void GetControlText(HWND dialog, int id, char* field, size_t size) {
  SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(field));
}

inline LRESULT SendToControl(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageA(GetDlgItem(dialog, id), message, wParam, lParam);
}

// An edit of a record's text field: it takes no more than the field holds
// (a character that would cross the bound is refused whole) and shows the
// field's text, so that what it shows is what OK stores.
template <size_t N>
void SetBoundedEdit(HWND dialog, int id, const char (&field)[N]) {
  SendToControl(dialog, id, EM_LIMITTEXT, N - 1);
  SetControlText(dialog, id, TextCut(FieldText(field), N - 1));
}
