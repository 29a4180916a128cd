// The digest dialog: the SHA-1 digests of the picture and sound track files
// computed on a worker thread while a modal progress dialog shows which
// file is read and how far. Cancel stops the worker between two chunks.
#pragma once

#include <cstdint>

#include "platform/aesdk/aeio_basic_data.h"
#include "platform/win/types.h"

struct DcpCompositionInfo;

constexpr int kProgressDialogTemplate = 2799;
constexpr int kProgressTextId = 2701;
constexpr int kProgressBarId = 2700;
constexpr UINT kHashDoneMessage = 0x0400 + 256;  // posted by the worker when it is done

// Shows the digest dialog over the host's main window and returns its
// result: 0 when the worker finished (a failed digest leaves its Hash
// empty), 2 after Cancel, -1 when the dialog cannot be shown or the worker
// cannot be started. The worker has ended when this returns.
int RunHashProgressDialog(const AEIO_BasicData* basicData, DcpCompositionInfo* info);
// The same with the module whose templates to use and the owner window.
int RunHashProgressDialogOwned(HINSTANCE module, HWND owner, DcpCompositionInfo* info);

// The system's error number (errno) of the digest that failed in the last
// dialog, or 0 when none failed or the system gave no reason.
int LastDigestError();

INT_PTR ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
DWORD HashThreadProc(LPVOID job);
// The digest of a track file of known size, moving the dialog's progress
// bar; 0 or -1 (also when Cancel stopped it).
int HashFileWithProgress(const char* path, uint64_t size, char* digest);
