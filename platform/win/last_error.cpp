#include "platform/win/last_error.h"

#include <cerrno>

namespace {

thread_local DWORD g_last_error = ERROR_SUCCESS;

}  // namespace

DWORD GetLastError() { return g_last_error; }

void SetLastError(DWORD error) { g_last_error = error; }

DWORD LastErrorOfErrno(int error) {
  switch (error) {
    case EEXIST:
    case EADDRINUSE: return ERROR_ALREADY_EXISTS;
    case ENOENT:
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
    case ENOBUFS: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_INVALID_PARAMETER;
  }
}
