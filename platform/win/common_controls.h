// The common controls beyond buttons, edits and lists: track bars, date
// pickers and scroll bars, with their messages and notifications.
#pragma once

#include "platform/win/types.h"

// Registers the common control classes; they always exist here.
void InitCommonControls();

// Scroll bars of a window: shown always, whatever its contents.
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
BOOL ShowScrollBar(HWND window, int bar, BOOL show);

// Notifications that carry a header (WM_NOTIFY, lParam an NMHDR*).
constexpr UINT WM_NOTIFY = 0x004E;
struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};

// Scroll requests of WM_HSCROLL (low word of wParam; for the two thumb
// requests the high word is the position). Track bars send them to their
// parent with lParam the track bar.
constexpr WORD SB_LINEUP = 0;
constexpr WORD SB_LINEDOWN = 1;
constexpr WORD SB_PAGEUP = 2;
constexpr WORD SB_PAGEDOWN = 3;
constexpr WORD SB_THUMBPOSITION = 4;
constexpr WORD SB_THUMBTRACK = 5;
constexpr WORD SB_ENDSCROLL = 8;

// Date and time pickers.
struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
constexpr UINT DTM_FIRST = 0x1000;
constexpr UINT DTM_GETSYSTEMTIME = DTM_FIRST + 1;
constexpr UINT DTM_SETFORMATA = DTM_FIRST + 5;
constexpr DWORD GDT_VALID = 0;
// Sent (WM_NOTIFY) when the user changes the date.
constexpr UINT DTN_DATETIMECHANGE = 0u - 759u;
struct NMDATETIMECHANGE {
  NMHDR nmhdr;
  DWORD dwFlags;
  SYSTEMTIME st;
};
