#include "ui/tab_pages.h"

#include "platform/win/dialog_box.h"
#include "platform/win/local_memory.h"
#include "platform/win/resources.h"
#include "platform/win/window_position.h"
#include "plugin/module_globals.h"
#include "ui/control_text.h"
#include "ui/page_events.h"

namespace {

TabPages* HeaderOf(HWND mainDialog) {
  return reinterpret_cast<TabPages*>(GetWindowLongPtrA(mainDialog, GWLP_USERDATA));
}

}  // namespace

HWND InitTabPages(HWND mainDialog) {
  auto* header = static_cast<TabPages*>(LocalAlloc(LPTR, sizeof(TabPages)));
  SetWindowLongPtrA(mainDialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(header));
  if (header == nullptr) return nullptr;
  header->groupBox = GetDlgItem(mainDialog, kPageGroupBox);
  if (header->groupBox == nullptr) return nullptr;
  SendMessageA(header->groupBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPageNames[kGeneralPage]));
  RECT rect = {0, 0, 0, 0};
  GetClientRect(header->groupBox, &rect);
  rect.left = 20;
  rect.top = 100;
  rect.bottom += 50;
  header->pageRect = rect;
  for (int page = 0; page < kPageCount; ++page) header->pageTemplates[page] = LockDialogTemplate(kPageTemplates[page]);
  return header->groupBox;
}

const DialogTemplate* LockDialogTemplate(int id) {
  HRSRC resource = FindResourceA(g_hInstance, MAKEINTRESOURCEA(id), RT_DIALOG);
  if (resource == nullptr) return nullptr;
  return static_cast<const DialogTemplate*>(LockResource(LoadResource(g_hInstance, resource)));
}

HWND SelectTabPage(HWND mainDialog, int index, OutputOptions* options) {
  TabPages* header = HeaderOf(mainDialog);
  if (header == nullptr || index < 0 || index >= kPageCount) return nullptr;
  if (header->currentPage != nullptr) DestroyWindow(header->currentPage);
  header->currentPage = CreateDialogIndirectParamA(g_hInstance, header->pageTemplates[index], mainDialog,
                                                   PageDialogProc, reinterpret_cast<LPARAM>(options));
  return header->currentPage;
}

void PositionTabPage(HWND page) {
  const TabPages* header = HeaderOf(GetParent(page));
  if (header == nullptr) return;
  const RECT& r = header->pageRect;
  SetWindowPos(page, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_FRAMECHANGED);
}

void ReleaseTabPages(HWND mainDialog) {
  LocalFree(HeaderOf(mainDialog));
  SetWindowLongPtrA(mainDialog, GWLP_USERDATA, 0);
}
