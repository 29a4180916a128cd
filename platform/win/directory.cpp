#include "platform/win/directory.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

BOOL CreateDirectoryA(LPCSTR path, LPVOID /*securityAttributes*/) {
  if (path == nullptr || path[0] == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (mkdir(path, 0777) != 0) {
    SetLastError(LastErrorOfErrno(errno));
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL RemoveDirectoryTree(LPCSTR path) {
  namespace fs = std::filesystem;
  if (path == nullptr || path[0] == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  std::error_code ec;
  // The folder itself must be a real folder: a link to one is not removed
  // through, and a file of that name is not a folder to remove.
  const fs::file_status status = fs::symlink_status(path, ec);
  if (ec || status.type() != fs::file_type::directory) {
    SetLastError(ec ? LastErrorOfErrno(ec.value()) : ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  fs::remove_all(path, ec);
  if (ec) {
    SetLastError(LastErrorOfErrno(ec.value()));
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
