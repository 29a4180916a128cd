#include "platform/win/messages.h"

#include "platform/win/default_procedures.h"

using namespace win_internal;

namespace {

// Handles one message sent to this thread; the lock is held on entry and
// on return.
void HandleSent(std::unique_lock<std::mutex>& lock, ThreadQueue& queue) {
  std::shared_ptr<SentMessage> sent = queue.sent.front();
  queue.sent.pop_front();
  lock.unlock();
  LRESULT result = Dispatch(sent->window, sent->message, sent->wParam, sent->lParam);
  lock.lock();
  sent->result = result;
  sent->done = true;
  QueueOf(sent->sender).wake.notify_all();
}

}  // namespace

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::unique_lock<std::mutex> lock(StoreLock());
  WindowRecord* record = FindWindow(window);
  if (record == nullptr) return 0;
  std::thread::id me = std::this_thread::get_id();
  // The desktop belongs to no thread: its messages are handled at once.
  if (record->thread == me || record->thread == std::thread::id()) {
    lock.unlock();
    return Dispatch(window, message, wParam, lParam);
  }
  auto sent = std::make_shared<SentMessage>();
  sent->window = window;
  sent->message = message;
  sent->wParam = wParam;
  sent->lParam = lParam;
  sent->sender = me;
  ThreadQueue& target = QueueOf(record->thread);
  target.sent.push_back(sent);
  target.wake.notify_all();
  ThreadQueue& mine = QueueOf(me);
  while (!sent->done) {
    if (!mine.sent.empty()) {
      HandleSent(lock, mine);
      continue;
    }
    mine.wake.wait(lock);
  }
  return sent->result;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::lock_guard<std::mutex> lock(StoreLock());
  WindowRecord* record = FindWindow(window);
  if (record == nullptr || record->thread == std::thread::id()) return FALSE;
  ThreadQueue& target = QueueOf(record->thread);
  target.posted.push_back({window, message, wParam, lParam});
  target.wake.notify_all();
  return TRUE;
}

namespace win_internal {

LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DLGPROC procedure = nullptr;
  {
    std::lock_guard<std::mutex> lock(StoreLock());
    WindowRecord* record = FindWindow(window);
    if (record == nullptr) return 0;
    procedure = record->dialogProc;
  }
  if (procedure != nullptr) {
    INT_PTR handled = procedure(window, message, wParam, lParam);
    if (handled) return handled;
  }
  return DefaultProcedure(window, message, wParam, lParam);
}

void PumpMessages(const std::function<bool()>& done, const std::function<bool(const PostedMessage&)>& translate) {
  std::unique_lock<std::mutex> lock(StoreLock());
  ThreadQueue& queue = QueueOf(std::this_thread::get_id());
  while (!done()) {
    if (!queue.sent.empty()) {
      HandleSent(lock, queue);
      continue;
    }
    if (!queue.posted.empty()) {
      PostedMessage posted = queue.posted.front();
      queue.posted.pop_front();
      lock.unlock();
      if (!translate || !translate(posted)) Dispatch(posted.window, posted.message, posted.wParam, posted.lParam);
      lock.lock();
      continue;
    }
    queue.idle = true;
    queue.idleWake.notify_all();
    queue.wake.wait(lock);
    queue.idle = false;
  }
}

}  // namespace win_internal
