#include "package/progress_dialog.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "package/asset_digest.h"
#include "platform/win/dialog_box.h"
#include "platform/win/dialog_template.h"
#include "platform/win/message_box.h"
#include "platform/win/messages.h"
#include "platform/win/threads.h"
#include "platform/win/window.h"
#include "platform/win/window_messages.h"
#include "plugin/composition_info.h"
#include "plugin/module_globals.h"
#include "plugin/product.h"
#include "plugin/suite_handler.h"

namespace {

// One digest dialog at a time: its window, its worker and the worker's job.
HWND g_progressDialog = nullptr;
HANDLE g_hashThread = nullptr;
DcpCompositionInfo* g_hashJob = nullptr;
// Set by Cancel; the worker stops before its next chunk and writes nothing
// more into the job.
std::atomic<bool> g_hashCancelled{false};
// The system's error number of the last failed digest (0: none, or none
// given); written by the worker before it posts that it is done.
int g_digestError = 0;

constexpr const char* kFailedText = "Calculating security contraints failed";

const DialogTemplate& ProgressTemplate() {
  static const DialogTemplate t = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                                   0,
                                   0,
                                   302,
                                   78,
                                   kProductName,
                                   "MS Shell Dlg",
                                   8,
                                   {
                                       {kProgressTextId, ControlKind::Static, SS_CENTER, 0, 7, 296, 10, ""},
                                       {kProgressBarId, ControlKind::ProgressBar, WS_BORDER, 10, 25, 285, 14, ""},
                                       {IDCANCEL, ControlKind::PushButton, WS_TABSTOP, 126, 54, 50, 14, "Cancel"},
                                   }};
  return t;
}

void CentreOnDesktop(HWND dialog) {
  HWND desktop = GetDesktopWindow();
  RECT desk, own;
  if (desktop == nullptr || !GetWindowRect(desktop, &desk) || !GetWindowRect(dialog, &own)) return;
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  const int deskWidth = desk.right - desk.left;
  const int deskHeight = desk.bottom - desk.top;
  MoveWindow(dialog, deskWidth / 2 - width / 2, deskHeight / 2 - height / 2, width, height, TRUE);
}

// Announces the file on standard error and in the dialog, then digests it.
int HashOneFile(const char* path, const char* fileName, uint64_t size, char* digest) {
  std::fprintf(stderr, "Calculating security contraints for %s\n", path);
  char line[512];
  std::snprintf(line, sizeof line, "Calculating security contraints for %s", fileName);
  SendMessageA(GetDlgItem(g_progressDialog, kProgressTextId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(line));
  return HashFileWithProgress(path, size, digest);
}

}  // namespace

int HashFileWithProgress(const char* path, uint64_t size, char* digest) {
  std::FILE* probe = std::fopen(path, "rb");
  if (probe == nullptr) {
    std::fprintf(stderr, "Can't open file: %s", path);
    return -1;
  }
  (void)std::fclose(probe);  // opened only to see that it can be read
  HWND bar = GetDlgItem(g_progressDialog, kProgressBarId);
  uint64_t knownSize = size;
  return DigestFileInChunks(path, &knownSize, false, digest, [bar](uint64_t done, uint64_t total) {
    if (g_hashCancelled) return false;
    // The last chunk shows 100; an empty file is done at once.
    const uint64_t shown = done < total ? done : total;
    const int percent = total == 0 ? 100
                                   : static_cast<int>(static_cast<double>(shown) / static_cast<double>(total) * 100.0);
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    return true;
  });
}

DWORD HashThreadProc(LPVOID job) {
  auto* info = static_cast<DcpCompositionInfo*>(job);
  char digest[kDigestTextSize];
  g_digestError = 0;
  errno = 0;
  bool ok = HashOneFile(info->picturePath, info->pictureFileName, info->pictureSize, digest) == 0;
  if (g_hashCancelled) return 0;
  if (ok) {
    std::memcpy(info->pictureHash, digest, sizeof info->pictureHash);
    errno = 0;
    ok = HashOneFile(info->soundPath, info->soundFileName, info->soundSize, digest) == 0;
    if (g_hashCancelled) return 0;
    if (ok) std::memcpy(info->soundHash, digest, sizeof info->soundHash);
  }
  if (!ok) g_digestError = errno;
  if (!ok) MessageBoxA(g_progressDialog, kFailedText, "ERROR", MB_OK | MB_ICONERROR);
  if (g_hashCancelled) return 0;
  PostMessageA(g_progressDialog, kHashDoneMessage, 0, 0);
  return 0;
}

INT_PTR ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      g_progressDialog = dialog;
      g_hashJob = reinterpret_cast<DcpCompositionInfo*>(lParam);
      g_hashCancelled = false;
      CentreOnDesktop(dialog);
      g_hashThread = CreateThread(nullptr, 0, HashThreadProc, g_hashJob, 0, nullptr);
      if (g_hashThread == nullptr) {
        std::fprintf(stderr, "Cannot start the digest thread\n");
        MessageBoxA(dialog, kFailedText, "ERROR", MB_OK | MB_ICONERROR);
        EndDialog(dialog, -1);
      }
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDCANCEL) return FALSE;
      std::fprintf(stderr, "Progress cancelled\n");
      g_hashCancelled = true;
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    case kHashDoneMessage:
      std::fprintf(stderr, "Progress thread terminated\n");
      EndDialog(dialog, 0);
      return TRUE;
    default: return FALSE;
  }
}

int LastDigestError() { return g_digestError; }

int RunHashProgressDialogOwned(HINSTANCE module, HWND owner, DcpCompositionInfo* info) {
  std::fprintf(stderr, "Time for progressbar\n");
  RegisterDialogTemplate(module, kProgressDialogTemplate, &ProgressTemplate());
  g_hashThread = nullptr;
  g_digestError = 0;
  const INT_PTR result = DialogBoxParamA(module, MAKEINTRESOURCEA(kProgressDialogTemplate), owner, ProgressDialogProc,
                                         reinterpret_cast<LPARAM>(info));
  // The dialog is gone; after Cancel the worker stops at its next chunk.
  if (g_hashThread != nullptr) {
    if (result != 0) g_hashCancelled = true;
    WaitForSingleObject(g_hashThread, INFINITE);
    CloseHandle(g_hashThread);
    g_hashThread = nullptr;
  }
  return static_cast<int>(result);
}

int RunHashProgressDialog(const AEIO_BasicData* basicData, DcpCompositionInfo* info) {
  HWND owner = nullptr;
  if (basicData != nullptr && basicData->pica_basicP != nullptr) {
    SuiteHandler suites(basicData->pica_basicP);
    suites.UtilitySuite7()->AEGP_GetMainHWND(&owner);
  }
  return RunHashProgressDialogOwned(g_hInstance, owner, info);
}
