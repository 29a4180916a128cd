#include "ui/subtitle_page.h"

#include <cstdio>

#include "package/subtitle_check.h"
#include "platform/text/utf8_cut.h"
#include "platform/win/file_dialog.h"
#include "plugin/output_options.h"
#include "ui/control_text.h"
#include "ui/dialog_ids.h"
#include "ui/options_state.h"

void InitSubtitlePage(OutputOptions* options) {
  const HWND page = OptionsDialog().currentPage;
  SendToControl(page, kSubtitleCheck, BM_SETCHECK, options->subtitleOn);
  SetControlText(page, kSubtitlePathEdit, FieldText(options->subtitlePath));
  SetControlText(page, kSubtitleMessageText, "");
  EnableSubtitleControls(options);
}

void EnableSubtitleControls(OutputOptions* options) {
  const HWND page = OptionsDialog().currentPage;
  const bool on = SendToControl(page, kSubtitleCheck, BM_GETCHECK) == 1;
  EnableWindow(GetDlgItem(page, kSubtitlePathEdit), on);
  EnableWindow(GetDlgItem(page, kSubtitleBrowseButton), on);
  options->subtitleOn = on ? 1 : 0;
}

void BrowseSubtitleFile(HWND page, OutputOptions* options) {
  char file[260] = "";
  OPENFILENAMEA request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = page;
  request.lpstrFilter = "All\0*.*\0XML\0*.xml\0";
  request.nFilterIndex = 1;
  request.lpstrFile = file;
  request.nMaxFile = sizeof file;
  request.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameA(&request)) {
    SetControlText(page, kSubtitlePathEdit, "");
    options->subtitlePath[0] = '\0';
    return;
  }
  char message[kSubtitleMessageSize] = "";
  const bool accepted = CheckSubtitleFile(file, options, message) != 0;
  SetControlText(page, kSubtitlePathEdit, accepted ? file : "");
  SetControlText(page, kSubtitleMessageText, message);
  CopyTextCut(options->subtitlePath, sizeof options->subtitlePath, accepted ? file : "");
}

void OnSubtitleCommand(HWND page, int id, OutputOptions* options) {
  if (id == kSubtitleCheck) {
    EnableSubtitleControls(options);
  } else if (id == kSubtitlePathEdit) {
    GetControlText(page, kSubtitlePathEdit, options->subtitlePath, sizeof options->subtitlePath);
  } else {
    BrowseSubtitleFile(page, options);
  }
}
