#include "platform/win/window_store.h"

#include <algorithm>
#include <map>

namespace win_internal {

namespace {

std::map<HWND, std::unique_ptr<WindowRecord>>& Windows() {
  static std::map<HWND, std::unique_ptr<WindowRecord>> windows;
  return windows;
}

std::map<std::thread::id, std::unique_ptr<ThreadQueue>>& Queues() {
  static std::map<std::thread::id, std::unique_ptr<ThreadQueue>> queues;
  return queues;
}

uintptr_t g_nextHandle = 0x10010;
RECT g_desktop = {0, 0, 1920, 1080};

}  // namespace

std::mutex& StoreLock() {
  static std::mutex lock;
  return lock;
}

WindowRecord* FindWindow(HWND window) {
  if (window == nullptr) return nullptr;
  auto found = Windows().find(window);
  return found == Windows().end() ? nullptr : found->second.get();
}

HWND AddWindow(std::unique_ptr<WindowRecord> record) {
  // Handles are never reused, so a stale handle never names a new window.
  HWND handle = reinterpret_cast<HWND>(g_nextHandle);
  g_nextHandle += 4;
  record->handle = handle;
  if (WindowRecord* parent = FindWindow(record->parent)) parent->children.push_back(handle);
  Windows()[handle] = std::move(record);
  return handle;
}

void RemoveWindow(HWND window) {
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return;
  std::vector<HWND> children = record->children;
  for (HWND child : children) RemoveWindow(child);
  if (WindowRecord* parent = FindWindow(record->parent)) {
    auto& list = parent->children;
    list.erase(std::remove(list.begin(), list.end(), window), list.end());
  }
  std::thread::id thread = record->thread;
  Windows().erase(window);
  // Whoever waits for the window to be idle learns that it is gone.
  if (thread != std::thread::id()) QueueOf(thread).idleWake.notify_all();
  // Messages sent to the window and not handled yet get 0.
  auto found = Queues().find(thread);
  if (found == Queues().end()) return;
  ThreadQueue& queue = *found->second;
  for (auto it = queue.sent.begin(); it != queue.sent.end();) {
    if ((*it)->window == window) {
      (*it)->done = true;
      (*it)->result = 0;
      QueueOf((*it)->sender).wake.notify_all();
      it = queue.sent.erase(it);
    } else {
      ++it;
    }
  }
}

ThreadQueue& QueueOf(std::thread::id thread) {
  auto& slot = Queues()[thread];
  if (!slot) slot = std::make_unique<ThreadQueue>();
  return *slot;
}

void WakeOwner(HWND window) {
  if (WindowRecord* record = FindWindow(window)) QueueOf(record->thread).wake.notify_all();
}

RECT DesktopRect() { return g_desktop; }
void SetDesktopRect(RECT rect) { g_desktop = rect; }

}  // namespace win_internal
