#include "platform/win/file_dialog.h"

#include <sys/stat.h>
#include <cstring>
#include <string>

#include "platform/win/dialog_presenter.h"

BOOL GetOpenFileNameA(OPENFILENAMEA* request) {
  if (request == nullptr || request->lpstrFile == nullptr || request->nMaxFile == 0) return FALSE;
  DialogPresenter* presenter = GetDialogPresenter();
  std::string path;
  if (presenter == nullptr || !presenter->OpenFileChosen(request->hwndOwner, request->lpstrFilter, &path)) {
    return FALSE;
  }
  if (path.empty() || path.size() + 1 > request->nMaxFile) return FALSE;
  struct stat info {};
  const bool exists = ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
  if ((request->Flags & OFN_FILEMUSTEXIST) && !exists) return FALSE;
  std::memcpy(request->lpstrFile, path.c_str(), path.size() + 1);
  const size_t slash = path.find_last_of("/\\");
  const size_t name = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.find_last_of('.');
  request->nFileOffset = static_cast<WORD>(name);
  request->nFileExtension = static_cast<WORD>(dot == std::string::npos || dot < name ? path.size() : dot + 1);
  return TRUE;
}
