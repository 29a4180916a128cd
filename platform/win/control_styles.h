// Control and dialog styles beyond those of dialog_template.h.
#pragma once

#include "platform/win/types.h"

constexpr DWORD WS_VSCROLL = 0x00200000u;
constexpr DWORD WS_GROUP = 0x00020000u;
constexpr DWORD DS_CONTROL = 0x0400u;
// Statics.
constexpr DWORD SS_RIGHT = 0x0002u;
constexpr DWORD SS_BITMAP = 0x000Eu;
// Buttons.
constexpr DWORD BS_PUSHBUTTON = 0x0000u;
// The dialog's default push button: Enter presses it, and it is drawn so.
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001u;
constexpr DWORD BS_GROUPBOX = 0x0007u;
// Edits: typed letters become capitals with ES_UPPERCASE.
constexpr DWORD ES_AUTOVSCROLL = 0x0040u;
constexpr DWORD ES_AUTOHSCROLL = 0x0080u;
constexpr DWORD ES_UPPERCASE = 0x0008u;
// Combo boxes.
constexpr DWORD CBS_DROPDOWNLIST = 0x0003u;
// Track bars.
constexpr DWORD TBS_AUTOTICKS = 0x0001u;
constexpr DWORD TBS_BOTH = 0x0008u;
// Date pickers.
constexpr DWORD DTS_RIGHTALIGN = 0x0020u;
