#include "plugin/package_folder_lock.h"

#include <openssl/evp.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/win/named_mutex.h"
#include "platform/win/threads.h"
#include "plugin/debug_log.h"
#include "plugin/module_errors.h"
#include "plugin/render_report.h"

namespace {

// The mutex of the folder that this process's render holds.
HANDLE g_folderMutex = nullptr;

// The folder's absolute path with its parent's links, "." and ".." resolved
// as the system resolves them; the folder itself is not followed (a link of
// its name is no package folder a render writes).
std::string FolderKey(const char* folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path written = fs::absolute(folder, ec);
  fs::path parent = fs::weakly_canonical(written.parent_path(), ec);
  if (ec) parent = written.parent_path().lexically_normal();
  return (parent / written.filename()).string();
}

// The mutex name of the folder; empty when the digest cannot be made.
std::string LockName(const char* folder) {
  const std::string key = FolderKey(folder);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(key.data(), key.size(), digest, &length, EVP_sha256(), nullptr) != 1) return std::string();
  std::string name = "Lumavox package folder ";
  static const char kHex[] = "0123456789abcdef";
  for (unsigned int k = 0; k < length; ++k) {
    name += kHex[digest[k] >> 4];
    name += kHex[digest[k] & 15];
  }
  return name;
}

}  // namespace

A_Err LockPackageFolder(AEIO_BasicData* basic, const char* folder) {
  UnlockPackageFolder();
  const std::string name = LockName(folder);
  errno = 0;
  HANDLE mutex = name.empty() ? nullptr : CreateMutexA(nullptr, TRUE, name.c_str());
  if (mutex == nullptr) {
    char buffer[256];
    const char* reason = errno != 0 ? strerror_r(errno, buffer, sizeof buffer) : "its name cannot be made";
    ShowMessage(basic, (std::string("Cannot lock the package folder ") + folder +
                        ", which keeps other renders out of it while this one writes: " + reason +
                        ".\n This output is not rendered.")
                           .c_str());
    return kErrStartCheck;
  }
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    (void)CloseHandle(mutex);  // holds nothing
    LogBoth((std::string("My_StartAdding - refused: another render holds ") + folder + "\n").c_str());
    ShowMessage(basic, (std::string("Another render is writing the package in ") + folder +
                        ", so this one is not started.\n Please render this output again once that render has "
                        "ended.")
                           .c_str());
    return kErrStartCheck;
  }
  g_folderMutex = mutex;
  return A_Err_NONE;
}

void UnlockPackageFolder() {
  if (g_folderMutex == nullptr) return;
  (void)CloseHandle(g_folderMutex);
  g_folderMutex = nullptr;
}
