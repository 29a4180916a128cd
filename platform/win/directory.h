// Folder calls of our Windows layer: create one folder (CreateDirectoryA with
// its thread's last error) and remove one folder tree with a filesystem call.
#pragma once

#include "platform/win/types.h"

inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;

// Creates the folder `path` (its parent must exist). The security attributes
// are not used. On failure returns FALSE and sets the calling thread's last
// error: ERROR_ALREADY_EXISTS when anything of that name is there already.
BOOL CreateDirectoryA(LPCSTR path, LPVOID securityAttributes);

// The calling thread's last error, as CreateDirectoryA left it.
DWORD GetLastError();

// Removes the folder `path` and everything below it, and nothing else: links
// inside the tree are removed, never followed. TRUE when the folder is gone;
// FALSE, with the thread's last error set, when `path` is empty, is not a
// folder, or cannot be removed completely.
BOOL RemoveDirectoryTree(LPCSTR path);
