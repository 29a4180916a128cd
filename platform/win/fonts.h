// Fonts as objects that controls are given; nothing is drawn here, so a
// font only has to exist from its creation to its deletion.
#pragma once

#include "platform/win/types.h"

struct HFONT__;
using HFONT = HFONT__*;
using HGDIOBJ = void*;

constexpr UINT WM_SETFONT = 0x0030;

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR face);
// FALSE for an object that does not exist (or was deleted already).
BOOL DeleteObject(HGDIOBJ object);
