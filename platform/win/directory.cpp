#include "platform/win/directory.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace {

thread_local DWORD g_last_error = ERROR_SUCCESS;

DWORD FromErrno(int error) {
  switch (error) {
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOENT:
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    default: return ERROR_INVALID_PARAMETER;
  }
}

}  // namespace

BOOL CreateDirectoryA(LPCSTR path, LPVOID /*securityAttributes*/) {
  if (path == nullptr || path[0] == '\0') {
    g_last_error = ERROR_PATH_NOT_FOUND;
    return FALSE;
  }
  if (mkdir(path, 0777) != 0) {
    g_last_error = FromErrno(errno);
    return FALSE;
  }
  g_last_error = ERROR_SUCCESS;
  return TRUE;
}

DWORD GetLastError() { return g_last_error; }

BOOL RemoveDirectoryTree(LPCSTR path) {
  namespace fs = std::filesystem;
  if (path == nullptr || path[0] == '\0') {
    g_last_error = ERROR_PATH_NOT_FOUND;
    return FALSE;
  }
  std::error_code ec;
  // The folder itself must be a real folder: a link to one is not removed
  // through, and a file of that name is not a folder to remove.
  const fs::file_status status = fs::symlink_status(path, ec);
  if (ec || status.type() != fs::file_type::directory) {
    g_last_error = ec ? FromErrno(ec.value()) : ERROR_PATH_NOT_FOUND;
    return FALSE;
  }
  fs::remove_all(path, ec);
  if (ec) {
    g_last_error = FromErrno(ec.value());
    return FALSE;
  }
  g_last_error = ERROR_SUCCESS;
  return TRUE;
}
