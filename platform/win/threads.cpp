#include "platform/win/threads.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/win/named_mutex.h"

namespace {

struct ThreadRecord {
  std::thread thread;
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  DWORD exitCode = STILL_ACTIVE;
};

std::mutex g_handlesMutex;
std::map<HANDLE, std::shared_ptr<ThreadRecord>> g_handles;
uintptr_t g_nextHandle = 0x20010;
std::atomic<int> g_failures{0};
std::atomic<DWORD> g_nextThreadId{1};

std::shared_ptr<ThreadRecord> Find(HANDLE handle) {
  std::lock_guard<std::mutex> lock(g_handlesMutex);
  auto found = g_handles.find(handle);
  return found == g_handles.end() ? nullptr : found->second;
}

}  // namespace

HANDLE CreateThread(void* security, size_t stackSize, LPTHREAD_START_ROUTINE start, LPVOID param, DWORD flags,
                    DWORD* threadId) {
  (void)security;
  (void)stackSize;
  (void)flags;
  if (start == nullptr) return nullptr;
  int pending = g_failures.load();
  while (pending > 0 && !g_failures.compare_exchange_weak(pending, pending - 1)) {
  }
  if (pending > 0) return nullptr;
  auto record = std::make_shared<ThreadRecord>();
  try {
    record->thread = std::thread([record, start, param] {
      DWORD code = start(param);
      std::lock_guard<std::mutex> lock(record->mutex);
      record->exitCode = code;
      record->done = true;
      record->ended.notify_all();
    });
  } catch (const std::system_error&) {
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(g_handlesMutex);
  HANDLE handle = reinterpret_cast<HANDLE>(g_nextHandle);
  g_nextHandle += 4;
  g_handles[handle] = record;
  if (threadId != nullptr) *threadId = g_nextThreadId++;
  return handle;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  std::shared_ptr<ThreadRecord> record = Find(handle);
  if (!record) return WAIT_FAILED;
  std::unique_lock<std::mutex> lock(record->mutex);
  if (milliseconds == INFINITE) {
    record->ended.wait(lock, [&] { return record->done; });
  } else if (!record->ended.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return record->done; })) {
    return WAIT_TIMEOUT;
  }
  return WAIT_OBJECT_0;
}

BOOL GetExitCodeThread(HANDLE handle, DWORD* exitCode) {
  std::shared_ptr<ThreadRecord> record = Find(handle);
  if (!record || exitCode == nullptr) return FALSE;
  std::lock_guard<std::mutex> lock(record->mutex);
  *exitCode = record->exitCode;
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  std::shared_ptr<ThreadRecord> record;
  {
    std::lock_guard<std::mutex> lock(g_handlesMutex);
    auto found = g_handles.find(handle);
    if (found == g_handles.end()) return CloseMutexHandle(handle);
    record = found->second;
    g_handles.erase(found);
  }
  bool done;
  {
    std::lock_guard<std::mutex> lock(record->mutex);
    done = record->done;
  }
  if (done) {
    record->thread.join();
  } else {
    record->thread.detach();
  }
  return TRUE;
}

DWORD GetCurrentThreadId() {
  thread_local DWORD id = g_nextThreadId++;
  return id;
}

void SimulateThreadCreationFailures(int count) { g_failures = count; }
