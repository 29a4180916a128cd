#include "ui/options_dialog.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "package/subtitle_check.h"
#include "platform/win/common_controls.h"
#include "platform/win/dialog_box.h"
#include "platform/win/window.h"
#include "platform/win/window_messages.h"
#include "plugin/module_globals.h"
#include "plugin/output_options.h"
#include "plugin/suite_handler.h"
#include "ui/audio_page.h"
#include "ui/control_text.h"
#include "ui/dialog_ids.h"
#include "ui/dialog_templates.h"
#include "ui/general_page.h"
#include "ui/options_state.h"
#include "ui/subtitle_page.h"
#include "ui/tab_pages.h"
#include "ui/video_page.h"

namespace {

void CentreOnDesktop(HWND dialog) {
  HWND desktop = GetDesktopWindow();
  RECT desk, own;
  if (desktop == nullptr || !GetWindowRect(desktop, &desk) || !GetWindowRect(dialog, &own)) return;
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  const int x = (desk.right - desk.left) / 2 - width / 2;
  const int y = (desk.bottom - desk.top) / 2 - height / 2;
  MoveWindow(dialog, x, y, width, height, TRUE);
}

int PageOfButton(int id) {
  for (int page = 0; page < kPageCount; ++page) {
    if (kPageButtons[page] == id) return page;
  }
  return -1;
}

void FillPage(int page, OutputOptions* options) {
  switch (page) {
    case kGeneralPage: InitGeneralPage(options); break;
    case kVideoPage: InitVideoPage(options); break;
    case kAudioPage: InitAudioPage(options); break;
    case kSubtitlePage: InitSubtitlePage(options); break;
    default: InitAboutPage(); break;
  }
}

// Makes the page current: its window, the group box's caption, its fill.
void ShowOptionsPage(HWND dialog, int page) {
  OptionsDialogState& state = OptionsDialog();
  state.currentPage = SelectTabPage(dialog, page, state.options);
  SetControlText(dialog, kPageGroupBox, kPageNames[page]);
  FillPage(page, state.options);
  if (page != kGeneralPage) ShowWindow(state.currentPage, SW_SHOW);
}

}  // namespace

void InitAboutPage() {
  char version[64];
  std::snprintf(version, sizeof version, "%s %d.%d.%d", "Version", 1, 5, 6);
  SetControlText(OptionsDialog().currentPage, kVersionText, version);
}

INT_PTR OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  OptionsDialogState& state = OptionsDialog();
  switch (message) {
    case WM_INITDIALOG:
      state.options = reinterpret_cast<OutputOptions*>(lParam);
      CentreOnDesktop(dialog);
      InitCommonControls();
      InitTabPages(dialog);
      state.mainDialog = dialog;
      state.currentPage = SelectTabPage(dialog, kGeneralPage, state.options);
      InitGeneralPage(state.options);
      return FALSE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDOK) {
        // A typed subtitle path is inspected as a browsed one is: one that
        // is refused keeps the dialog open on the Subtitle page, saying why.
        char refusal[kSubtitleMessageSize] = "";
        if (!CheckTypedSubtitlePath(state.options, refusal)) {
          if (GetDlgItem(state.currentPage, kSubtitleMessageText) == nullptr) ShowOptionsPage(dialog, kSubtitlePage);
          SetControlText(state.currentPage, kSubtitleMessageText, refusal);
          return TRUE;
        }
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return FALSE;
      }
      const int page = PageOfButton(id);
      if (page < 0) return FALSE;
      ShowOptionsPage(dialog, page);
      return FALSE;
    }
    case WM_DESTROY:
      // The dialog's own state ends with it.
      ReleaseTabPages(dialog);
      state = OptionsDialogState();
      return FALSE;
    default: return FALSE;
  }
}

A_Err RunOptionsDialog(AEIO_BasicData* basicData, OutputOptions* options, A_Boolean* userInteracted) {
  SuiteHandler suites(basicData != nullptr ? basicData->pica_basicP : nullptr);
  HWND owner = nullptr;
  suites.UtilitySuite7()->AEGP_GetMainHWND(&owner);
  auto scratch = std::make_unique<OutputOptions>();
  std::memcpy(scratch.get(), options, sizeof(OutputOptions));
  RegisterOptionsDialogTemplates(g_hInstance);
  const INT_PTR result = DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(kOptionsDialogTemplate), owner,
                                         OptionsDialogProc, reinterpret_cast<LPARAM>(scratch.get()));
  if (result == IDOK) {
    std::memcpy(options, scratch.get(), sizeof(OutputOptions));
    if (userInteracted != nullptr) *userInteracted = 1;
  } else if (result == IDCANCEL) {
    if (userInteracted != nullptr) *userInteracted = 0;
  }
  return A_Err_NONE;
}

A_Err OpenOptionsDialog(AEIO_BasicData* basicData, OutputOptions* options, A_Boolean* userInteracted) {
  if (options == nullptr) return A_Err_NONE;
  return RunOptionsDialog(basicData, options, userInteracted);
}
