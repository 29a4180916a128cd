#include "platform/win/named_mutex.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>

namespace {

// A mutex handle: the bound socket, or -1 for a handle of a name that
// another handle holds.
struct MutexRecord {
  int socket = -1;
};

std::mutex g_mutexesMutex;
std::map<HANDLE, std::unique_ptr<MutexRecord>> g_mutexes;

// The handle of `socket` (-1: of a name held elsewhere); nullptr, with the
// socket closed, when there is no room for it.
HANDLE Keep(int socket) {
  try {
    auto record = std::make_unique<MutexRecord>();
    record->socket = socket;
    HANDLE handle = record.get();
    const std::lock_guard<std::mutex> lock(g_mutexesMutex);
    g_mutexes.emplace(handle, std::move(record));
    return handle;
  } catch (const std::bad_alloc&) {
    if (socket >= 0) (void)close(socket);  // the name is not held without a handle
    errno = ENOMEM;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

}  // namespace

HANDLE CreateMutexA(LPVOID /*securityAttributes*/, BOOL /*initialOwner*/, LPCSTR name) {
  sockaddr_un address = {};
  const size_t length = name == nullptr ? 0 : std::strlen(name);
  if (length == 0 || length > sizeof address.sun_path - 1) {
    errno = length == 0 ? EINVAL : ENAMETOOLONG;
    SetLastError(length == 0 ? ERROR_INVALID_PARAMETER : ERROR_FILENAME_EXCED_RANGE);
    return nullptr;
  }
  // The abstract namespace: the address starts with a zero byte, and its
  // length counts the name's bytes, without a terminating zero.
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path + 1, name, length);
  const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket < 0) {
    SetLastError(LastErrorOfErrno(errno));
    return nullptr;
  }
  const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
  if (bind(socket, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
    const int error = errno;
    (void)close(socket);  // bound to nothing
    if (error != EADDRINUSE) {
      errno = error;
      SetLastError(LastErrorOfErrno(error));
      return nullptr;
    }
    SetLastError(ERROR_ALREADY_EXISTS);
    return Keep(-1);
  }
  SetLastError(ERROR_SUCCESS);
  return Keep(socket);
}

BOOL CloseMutexHandle(HANDLE handle) {
  std::unique_ptr<MutexRecord> record;
  {
    const std::lock_guard<std::mutex> lock(g_mutexesMutex);
    auto found = g_mutexes.find(handle);
    if (found == g_mutexes.end()) return FALSE;
    record = std::move(found->second);
    g_mutexes.erase(found);
  }
  if (record->socket >= 0) (void)close(record->socket);  // the name is free with it
  return TRUE;
}
