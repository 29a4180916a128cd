// Threads: made running or suspended, waited for, their exit codes.
#pragma once

#include <cstddef>

#include "platform/win/types.h"

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID);

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 0x102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr DWORD STILL_ACTIVE = 259;

// Starts `start(param)` on a new thread (the stack size and the security
// and creation arguments are not used); nullptr when it cannot be made.
HANDLE CreateThread(void* security, size_t stackSize, LPTHREAD_START_ROUTINE start, LPVOID param, DWORD flags,
                    DWORD* threadId);
// WAIT_OBJECT_0 once the thread has ended, WAIT_TIMEOUT when `milliseconds`
// passed first, WAIT_FAILED for a handle that is not a thread.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// STILL_ACTIVE while it runs, then the start routine's result.
BOOL GetExitCodeThread(HANDLE handle, DWORD* exitCode);
// Releases the handle of a thread, or of a mutex (platform/win/named_mutex.h);
// a thread still running goes on by itself. FALSE for any other handle.
BOOL CloseHandle(HANDLE handle);
DWORD GetCurrentThreadId();

// For tests: the next `count` calls of CreateThread fail as when the
// system has no room for another thread.
void SimulateThreadCreationFailures(int count);
