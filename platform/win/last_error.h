// The calling thread's last error, which the calls of our Windows layer set
// on failure (and some on success), and the error numbers they use.
#pragma once

#include "platform/win/types.h"

inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
inline constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;
inline constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;

// The calling thread's last error, as the last call that sets it left it.
DWORD GetLastError();
void SetLastError(DWORD error);

// The last error that stands for the system's error number `error`;
// ERROR_INVALID_PARAMETER for one that has none of its own here.
DWORD LastErrorOfErrno(int error);
