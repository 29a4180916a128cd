// The dialog layer driven as a user drives it: templates, the modal loop,
// Cancel by button, Escape and close box, messages between threads, the
// progress bar, message boxes through a presenter, threads.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win/dialog_box.h"
#include "platform/win/dialog_presenter.h"
#include "platform/win/message_box.h"
#include "platform/win/messages.h"
#include "platform/win/threads.h"
#include "platform/win/user_input.h"
#include "platform/win/window.h"
#include "platform/win/window_messages.h"

namespace {

HINSTANCE TestModule() { return reinterpret_cast<HINSTANCE>(0x7e57); }
constexpr int kTemplate = 901;
constexpr UINT kDone = WM_USER + 256;

const DialogTemplate& Template() {
  static const DialogTemplate t = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                                   0,
                                   0,
                                   302,
                                   78,
                                   "Test",
                                   "MS Shell Dlg",
                                   8,
                                   {{2701, ControlKind::Static, SS_CENTER, 0, 7, 296, 10, ""},
                                    {2700, ControlKind::ProgressBar, WS_BORDER, 10, 25, 285, 14, ""},
                                    {IDCANCEL, ControlKind::PushButton, WS_TABSTOP, 126, 54, 50, 14, "Cancel"}}};
  return t;
}

// Records what the dialog procedure saw; a test sets `onInit`.
struct Seen {
  LPARAM param = 0;
  std::vector<WORD> commands;
  std::function<void(HWND)> onInit;
};
Seen* g_seen = nullptr;

INT_PTR TestProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      g_seen->param = lParam;
      if (g_seen->onInit) g_seen->onInit(dialog);
      return TRUE;
    case WM_COMMAND:
      g_seen->commands.push_back(LOWORD(wParam));
      if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) EndDialog(dialog, LOWORD(wParam));
      return TRUE;
    case kDone: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
  }
}

// A presenter that acts as the user: it runs `act` once the dialog shows.
class ActingUser : public DialogPresenter {
 public:
  explicit ActingUser(std::function<void(HWND)> act) : act_(std::move(act)) { previous_ = SetDialogPresenter(this); }
  ~ActingUser() override { SetDialogPresenter(previous_); }
  void DialogOpened(HWND dialog) override {
    opened++;
    if (act_) act_(dialog);
  }
  void DialogClosed(HWND, INT_PTR result) override { closedWith = result; }
  void ControlChanged(HWND control) override {
    WindowState s;
    if (QueryWindowState(control, &s) && s.kind == ControlKind::ProgressBar) positions.push_back(s.position);
  }
  int MessageBoxShown(HWND, LPCSTR text, LPCSTR caption, UINT) override {
    std::lock_guard<std::mutex> lock(mutex);
    boxes.push_back(std::string(caption) + ": " + text);
    return answer;
  }
  int opened = 0;
  INT_PTR closedWith = -99;
  std::vector<int> positions;
  std::mutex mutex;
  std::vector<std::string> boxes;
  int answer = 0;

 private:
  std::function<void(HWND)> act_;
  DialogPresenter* previous_;
};

INT_PTR RunTestDialog(Seen& seen, LPARAM param = 42) {
  RegisterDialogTemplate(TestModule(), kTemplate, &Template());
  g_seen = &seen;
  return DialogBoxParamA(TestModule(), MAKEINTRESOURCEA(kTemplate), nullptr, TestProc, param);
}

TEST(DialogLayer, UserEndsTheDialogByCancelEscapeOrCloseBox) {
  const std::vector<std::function<void(HWND)>> ways = {
      [](HWND d) { UserClickButton(d, IDCANCEL); },
      [](HWND d) { UserPressKey(d, VK_ESCAPE); },
      [](HWND d) { UserClickCloseBox(d); },
  };
  for (const auto& way : ways) {
    ActingUser user(way);
    Seen seen;
    EXPECT_EQ(RunTestDialog(seen), IDCANCEL);
    EXPECT_EQ(seen.param, 42);
    EXPECT_EQ(seen.commands, std::vector<WORD>{IDCANCEL});
    EXPECT_EQ(user.opened, 1);
    EXPECT_EQ(user.closedWith, IDCANCEL);
  }
  ActingUser enter([](HWND d) { UserPressKey(d, VK_RETURN); });
  Seen seen;
  EXPECT_EQ(RunTestDialog(seen), IDOK);
}

TEST(DialogLayer, MissingTemplateGivesMinusOne) {
  g_seen = nullptr;
  EXPECT_EQ(DialogBoxParamA(TestModule(), MAKEINTRESOURCEA(4711), nullptr, TestProc, 0), -1);
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kTemplate), nullptr, TestProc, 0), -1);
}

TEST(DialogLayer, EndDialogDuringInitialisationNeverShowsIt) {
  ActingUser user(nullptr);
  Seen seen;
  seen.onInit = [](HWND d) { EndDialog(d, -1); };
  EXPECT_EQ(RunTestDialog(seen), -1);
  EXPECT_EQ(user.opened, 0);
}

DWORD Worker(LPVOID arg) {
  HWND dialog = static_cast<HWND>(arg);
  HWND bar = GetDlgItem(dialog, 2700);
  for (int p : {10, 50, 150}) SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(p), 0);
  SendMessageA(GetDlgItem(dialog, 2701), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("reading"));
  // Each send has been handled when it returns.
  char text[32] = {};
  GetWindowTextA(GetDlgItem(dialog, 2701), text, sizeof text);
  DWORD ok = std::string(text) == "reading" && SendMessageA(bar, PBM_GETPOS, 0, 0) == 100;
  PostMessageA(dialog, kDone, 0, 0);
  return ok ? 7 : 8;
}

TEST(DialogLayer, WorkerThreadDrivesTheDialogBySendAndPost) {
  HANDLE thread = nullptr;
  ActingUser user(nullptr);
  Seen seen;
  seen.onInit = [&](HWND d) { thread = CreateThread(nullptr, 0, Worker, d, 0, nullptr); };
  EXPECT_EQ(RunTestDialog(seen), 0);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_TRUE(CloseHandle(thread));
  EXPECT_EQ(user.positions, (std::vector<int>{10, 50, 100}));  // clamped to the range 0 to 100
}

std::atomic<int> g_sendsAnswered{0};
DWORD LateSender(LPVOID arg) {
  // Sends until the dialog is gone; a send to a destroyed window returns 0.
  HWND bar = GetDlgItem(static_cast<HWND>(arg), 2700);
  while (SendMessageA(bar, PBM_GETRANGE, FALSE, 0) == 100) g_sendsAnswered++;
  return 0;
}

TEST(DialogLayer, SendsToADialogThatEndsDoNotHang) {
  HANDLE thread = nullptr;
  ActingUser user([](HWND d) { UserClickButton(d, IDCANCEL); });
  Seen seen;
  seen.onInit = [&](HWND d) { thread = CreateThread(nullptr, 0, LateSender, d, 0, nullptr); };
  EXPECT_EQ(RunTestDialog(seen), IDCANCEL);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  CloseHandle(thread);
  EXPECT_EQ(SendMessageA(nullptr, WM_SETTEXT, 0, 0), 0);
  EXPECT_EQ(SendMessageA(GetDesktopWindow(), WM_GETTEXTLENGTH, 0, 0), 7);  // "Desktop", no thread to wait for
}

TEST(DialogLayer, DialogCentresItselfOnTheDesktop) {
  ActingUser user([](HWND d) { UserClickButton(d, IDCANCEL); });
  Seen seen;
  RECT before = {}, after = {}, bar = {};
  seen.onInit = [&](HWND d) {
    RECT desk;
    ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &desk));
    GetWindowRect(d, &before);
    const int w = before.right - before.left, h = before.bottom - before.top;
    MoveWindow(d, desk.right / 2 - w / 2, desk.bottom / 2 - h / 2, w, h, TRUE);
    GetWindowRect(d, &after);
    GetWindowRect(GetDlgItem(d, 2700), &bar);
  };
  RunTestDialog(seen);
  EXPECT_EQ(after.left, 960 - 459 / 2);
  EXPECT_EQ(after.top, 540 - 155 / 2);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  // 302 x 78 dialog units with the 8-point font, plus the caption frame.
  EXPECT_EQ(after.right - after.left, 453 + 6);
  EXPECT_EQ(after.bottom - after.top, 126 + 29);
  // The progress bar moved with its dialog: 10, 25 units inside the client area.
  EXPECT_EQ(bar.left, after.left + 3 + 15);
  EXPECT_EQ(bar.top, after.top + 26 + 40);
}

TEST(DialogLayer, MessageBoxesGoThroughThePresenter) {
  EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_YESNO | MB_DEFBUTTON2), IDNO);
  ActingUser user(nullptr);
  user.answer = IDCANCEL;
  EXPECT_EQ(MessageBoxA(nullptr, "Something failed", "ERROR", MB_OKCANCEL), IDCANCEL);
  ASSERT_EQ(user.boxes.size(), 1u);
  EXPECT_EQ(user.boxes[0], "ERROR: Something failed");
}

DWORD ReturnParam(LPVOID p) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(p)); }

TEST(DialogLayer, ThreadsEndWithTheirCodeAndCreationCanFail) {
  HANDLE t = CreateThread(nullptr, 0, ReturnParam, reinterpret_cast<LPVOID>(uintptr_t{1234}), 0, nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(t, &code);
  EXPECT_EQ(code, 1234u);
  EXPECT_TRUE(CloseHandle(t));
  EXPECT_FALSE(CloseHandle(t));
  EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_FAILED);
  SimulateThreadCreationFailures(1);
  EXPECT_EQ(CreateThread(nullptr, 0, ReturnParam, nullptr, 0, nullptr), nullptr);
  t = CreateThread(nullptr, 0, ReturnParam, nullptr, 0, nullptr);
  EXPECT_NE(t, nullptr);
  CloseHandle(t);
}

}  // namespace
