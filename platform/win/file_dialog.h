// The file-open dialog. Headless: the dialog presenter chooses the file as
// the user would (DialogPresenter::OpenFileChosen); without a presenter the
// dialog is cancelled.
#pragma once

#include "platform/win/types.h"

constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;  // pairs of description and pattern, each NUL-ended, then a NUL
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;  // 1 for the first pair
  LPSTR lpstrFile;     // in: the initial name; out: the chosen path
  DWORD nMaxFile;      // bytes in lpstrFile
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
};

// TRUE with the chosen path in lpstrFile; FALSE when the user cancels, when
// the path does not fit nMaxFile, or when OFN_FILEMUSTEXIST is set and the
// file does not exist (the real dialog would not have let it be chosen).
BOOL GetOpenFileNameA(OPENFILENAMEA* request);
