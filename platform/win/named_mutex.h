// Named mutexes of our Windows layer, as a process holds one for as long as
// it keeps others out of something that processes share. While any handle
// made by CreateMutexA holds the name, a CreateMutexA of that name in any
// process (this one included) finds it taken; the name is free again once
// that handle is closed or its process ends, however it ends. Waiting on a
// mutex is not modelled: holding the name is holding the mutex.
#pragma once

#include "platform/win/last_error.h"
#include "platform/win/types.h"

// Makes the mutex `name` (at most 107 bytes; the security attributes and
// the initial ownership are not used) and returns its handle, which holds
// the name, with the last error ERROR_SUCCESS. When a handle holds the name
// already: a handle that holds nothing, with the last error
// ERROR_ALREADY_EXISTS. nullptr when no mutex can be made, with the last
// error set and errno giving the system's reason: no name or an empty one
// (ERROR_INVALID_PARAMETER), a longer one (ERROR_FILENAME_EXCED_RANGE), or
// no room for it (ERROR_TOO_MANY_OPEN_FILES, ERROR_NOT_ENOUGH_MEMORY). On
// this system the name is the address of a socket in the abstract namespace
// of Unix sockets: no file is made for it, and the kernel frees it with the
// last descriptor of the socket, which programs started from the process do
// not inherit.
HANDLE CreateMutexA(LPVOID securityAttributes, BOOL initialOwner, LPCSTR name);

// Used by CloseHandle (platform/win/threads.h): closes the handle when it is
// a mutex's, freeing the name it holds. FALSE when it is no mutex's.
BOOL CloseMutexHandle(HANDLE handle);
