// The state behind the window calls: the windows, the message queue of
// each thread, and the one lock that guards both. Internal to this layer.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/dialog_box.h"
#include "platform/win/window.h"

namespace win_internal {

struct WindowRecord {
  HWND handle = nullptr;
  ControlKind kind = ControlKind::Dialog;
  int id = -1;
  DWORD style = 0;
  HWND parent = nullptr;   // the dialog of a control, the parent of a child page
  HWND owner = nullptr;    // the owner of a top-level dialog
  std::thread::id thread;  // the thread that handles its messages
  std::string text;
  RECT rect = {0, 0, 0, 0};   // screen pixels, frame included
  RECT frame = {0, 0, 0, 0};  // thickness of the frame on each side
  bool visible = false;
  bool enabled = true;
  LONG_PTR userData = 0;
  DLGPROC dialogProc = nullptr;
  bool modal = false;
  bool ended = false;  // EndDialog was called
  INT_PTR result = 0;
  int rangeMin = 0;
  int rangeMax = 100;
  int position = 0;
  int check = 0;
  std::vector<std::string> items;
  int selection = -1;
  bool allSelected = false;          // edits: the next key typed replaces the text
  size_t textLimit = 0;              // edits: the most bytes the user can type in, 0 for no bound
  bool characterRefused = false;     // edits: the bound refused the character of the last key
  int year = 0, month = 0, day = 0;  // date pickers: the date shown
  std::string format;                // date pickers: the display format
  std::vector<HWND> children;
};

struct SentMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result = 0;
  bool done = false;
  std::thread::id sender;
};

struct PostedMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

struct ThreadQueue {
  std::condition_variable wake;
  // The thread waits for input with nothing queued (see WaitForDialogIdle).
  bool idle = false;
  std::condition_variable idleWake;
  std::deque<PostedMessage> posted;
  std::deque<std::shared_ptr<SentMessage>> sent;
  // The control that the user acted on last: it has the keyboard focus
  // until the user acts on another (a handle never reused, so a removed
  // control is simply no longer found).
  HWND focus = nullptr;
};

// The one lock of the layer; every function below expects it held.
std::mutex& StoreLock();
WindowRecord* FindWindow(HWND window);
HWND AddWindow(std::unique_ptr<WindowRecord> record);
// Removes the window and its children; messages sent to any of them are
// answered with 0 so that their senders go on.
void RemoveWindow(HWND window);
ThreadQueue& QueueOf(std::thread::id thread);
// Wakes the thread that owns the window (a state change it waits for).
void WakeOwner(HWND window);
RECT DesktopRect();
void SetDesktopRect(RECT rect);

}  // namespace win_internal
