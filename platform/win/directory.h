// Folder calls of our Windows layer: create one folder (CreateDirectoryA with
// its thread's last error) and remove one folder tree with a filesystem call.
#pragma once

#include "platform/win/last_error.h"
#include "platform/win/types.h"

// Creates the folder `path` (its parent must exist). The security attributes
// are not used. On failure returns FALSE and sets the calling thread's last
// error: ERROR_ALREADY_EXISTS when anything of that name is there already.
BOOL CreateDirectoryA(LPCSTR path, LPVOID securityAttributes);

// Removes the folder `path` and everything below it, and nothing else: links
// inside the tree are removed, never followed. TRUE when the folder is gone;
// FALSE, with the thread's last error set, when `path` is empty, is not a
// folder, or cannot be removed completely.
BOOL RemoveDirectoryTree(LPCSTR path);
