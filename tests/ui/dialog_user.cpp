#include "tests/ui/dialog_user.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/win/control_input.h"
#include "platform/win/dialog_box.h"
#include "platform/win/dialog_template.h"
#include "platform/win/user_input.h"
#include "platform/win/window_messages.h"

namespace ui_test {

DialogUser::DialogUser() { previous_ = SetDialogPresenter(this); }
DialogUser::~DialogUser() { SetDialogPresenter(previous_); }

void DialogUser::Run(const std::function<void()>& show, const std::function<void(DialogUser&)>& act) {
  std::thread user([&] {
    if (Dialog(1) != nullptr) act(*this);
    bool leftOpen = false;
    while (OpenDialogs() > 0) {
      leftOpen = true;
      HWND top = Dialog(OpenDialogs());
      EndDialog(top, -2);
      WaitForDialogIdle(top);
    }
    EXPECT_FALSE(leftOpen) << "the user left a dialog open";
  });
  show();
  user.join();
}

HWND DialogUser::Dialog(size_t depth) {
  std::unique_lock<std::mutex> lock(mutex_);
  const bool open = changed_.wait_for(lock, std::chrono::seconds(20), [&] { return open_.size() >= depth; });
  EXPECT_TRUE(open) << "no dialog " << depth << " deep opened";
  return open ? open_[depth - 1] : nullptr;
}

size_t DialogUser::OpenDialogs() {
  std::lock_guard<std::mutex> lock(mutex_);
  return open_.size();
}

HWND DialogUser::Target(HWND window) {
  if (window != nullptr) return window;
  std::lock_guard<std::mutex> lock(mutex_);
  return open_.empty() ? nullptr : open_.back();
}

bool DialogUser::Act(HWND window, const std::function<BOOL(HWND)>& action) {
  window = Target(window);
  const bool acted = action(window) != FALSE;
  // The dialogs share one thread: once the outermost is idle, whatever the
  // action started (a nested dialog ending, say) has run to its end.
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_.empty()) window = open_.front();
  }
  WaitForDialogIdle(window);
  return acted;
}

bool DialogUser::Click(int id, HWND window) {
  return Act(window, [&](HWND w) { return UserClickButton(w, id); });
}
bool DialogUser::Type(int id, const std::string& text, HWND window) {
  return Act(window, [&](HWND w) { return UserTypeText(w, id, text.c_str()); });
}
bool DialogUser::Choose(int id, int index, HWND window) {
  return Act(window, [&](HWND w) { return UserChooseItem(w, id, index); });
}
bool DialogUser::Drag(int id, int position, HWND window) {
  return Act(window, [&](HWND w) { return UserDragTrackBar(w, id, position); });
}
bool DialogUser::ClickChannel(int id, bool towardMaximum, HWND window) {
  return Act(window, [&](HWND w) { return UserClickTrackBarChannel(w, id, towardMaximum); });
}
bool DialogUser::PickDate(int id, int year, int month, int day, HWND window) {
  return Act(window, [&](HWND w) { return UserPickDate(w, id, year, month, day); });
}
void DialogUser::PressEscape() {
  Act(nullptr, [](HWND w) { return UserPressKey(w, VK_ESCAPE); });
}
void DialogUser::ClickCloseBox() {
  Act(nullptr, [](HWND w) { return UserClickCloseBox(w); });
}
void DialogUser::ChooseFileNext(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  files_.push_back(path);
}

WindowState DialogUser::State(int id, HWND window) {
  WindowState state;
  EXPECT_TRUE(QueryWindowState(GetDlgItem(Target(window), id), &state)) << "no control " << id;
  return state;
}

void DialogUser::DialogOpened(HWND dialog) {
  WindowState state;
  if (!QueryWindowState(dialog, &state) || (state.style & WS_CHILD)) return;
  std::lock_guard<std::mutex> lock(mutex_);
  open_.push_back(dialog);
  changed_.notify_all();
}

void DialogUser::DialogClosed(HWND dialog, INT_PTR) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = open_.begin(); it != open_.end(); ++it) {
    if (*it == dialog) {
      open_.erase(it);
      break;
    }
  }
  changed_.notify_all();
}

bool DialogUser::OpenFileChosen(HWND, LPCSTR filter, std::string* path) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string pairs;
  for (const char* p = filter; p != nullptr && *p != '\0'; p += std::strlen(p) + 1) pairs += std::string(p) + "|";
  fileFilters.push_back(pairs);
  if (files_.empty()) return false;
  *path = files_.front();
  files_.pop_front();
  return !path->empty();
}

int DialogUser::MessageBoxShown(HWND, LPCSTR text, LPCSTR caption, UINT) {
  std::lock_guard<std::mutex> lock(mutex_);
  messageBoxes.push_back(std::string(caption) + ": " + text);
  return 0;
}

}  // namespace ui_test
