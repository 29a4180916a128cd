// Sending and posting messages. A window's messages are handled on the
// thread that made it: SendMessageA from that thread calls the window's
// procedure at once; from any other thread it queues the message and waits
// until the window's thread has handled it (handling messages sent to the
// waiting thread meanwhile). A message sent to a window that is destroyed
// before handling it gives 0. PostMessageA queues and returns at once.
#pragma once

#include <functional>

#include "platform/win/types.h"
#include "platform/win/window_store.h"

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace win_internal {

// Calls the window's procedure on this thread: the dialog procedure first,
// then, when that returns FALSE (or for a control), the default handling.
LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Handles the calling thread's messages, sent ones first, until `done`
// (called with the store lock held) is true. `translate` sees each posted
// message first and returns true when it has handled it.
void PumpMessages(const std::function<bool()>& done, const std::function<bool(const PostedMessage&)>& translate);

}  // namespace win_internal
