// Text conversion of our Windows layer: UTF-16 to 8-bit text in the UTF-8
// code page.
#pragma once

#include "platform/win/types.h"

using WCHAR = uint16_t;  // a UTF-16 code unit
using LPCWCH = const WCHAR*;
using LPCCH = const char*;
using LPBOOL = BOOL*;

inline constexpr UINT CP_UTF8 = 65001;
inline constexpr DWORD WC_ERR_INVALID_CHARS = 0x80;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;

// Converts `wideLength` code units of `wide` (-1: up to and including its
// terminating zero) into `multiByte`, at most `multiByteSize` bytes; with a
// size of 0 only measures. Returns the bytes written (or needed), or 0 on
// failure: an unsupported code page, a destination that is too small, or, with
// WC_ERR_INVALID_CHARS, a lone surrogate (without that flag a lone surrogate
// becomes U+FFFD). The default-character arguments must be null for UTF-8.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideLength, LPSTR multiByte, int multiByteSize,
                        LPCCH defaultChar, LPBOOL usedDefaultChar);
